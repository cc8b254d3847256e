#pragma once

#include <QModelIndex>
#include <QWidget>

namespace Ui {
class FormCompetitions;
}

class TCompetition;
class TCompetitionList;
class TUserModul;

// The first page of the competition wizard. Mode 0 creates a competition of
// a type from the competition type list; mode 1 opens, edits or deletes a
// stored competition that is not finished. Everything lives in the
// competition module; the page keeps its mode and the ID of the entry the
// operator chose, and takes the entry from its list again by that ID each
// time, since the stored list rebuilds its records on every reload.
class FormCompetitions : public QWidget
{
    Q_OBJECT

public:
    enum Mode { NoMode = -1, NewCompetition = 0, StoredCompetition = 1 };

    // The module is not owned.
    explicit FormCompetitions(TUserModul *modul, QWidget *parent = nullptr);
    ~FormCompetitions() override;

    // Puts the page into that mode with no entry chosen and the fields reset.
    void setMode(int mode);

signals:
    void sig_Back();
    void sig_Next();

private slots:
    void on_pbBack1_clicked();
    void on_cBWeaponPistol_clicked(bool);
    void on_cBWeaponRifle_clicked(bool);
    void on_lw_Competitions_clicked(const QModelIndex &index);
    void on_pBNext1_clicked();
    void on_pbSaveChanges_clicked();
    void on_pbDelete_clicked();
    void on_cBFinal_clicked();

private:
    void applyWeaponFilter();
    void fillCountries();
    void fillEvents();
    void loadCompetition(int mode);
    void selectCompetition(int mode, const QModelIndex &index);
    bool createCompetition();
    bool saveChanges();

    // The list the chosen entry comes from in the present mode; null in no mode.
    TCompetitionList *entryList() const;
    // The chosen entry, looked up by its ID; null when none is chosen or its
    // list no longer holds it.
    TCompetition *entry() const;
    void setEntryID(int id) { m_entryID = id; }
    void clearEntry() { m_entryID = -1; }
    void setEditWidgetsEnabled(bool enabled);
    // The module's current competition becomes a copy of the stored one, unless it is that one.
    void openEntry(const TCompetition *stored);
    // The proxy row of the stored competition; -1 when the filter hides it.
    int rowOfStoredCompetition(int competitionID) const;
    void warn(const QString &title, const QString &text);
    // False, with a warning naming them, when the reference lists lack the
    // competition's type or one of its exercises' types.
    bool typesListed(const TCompetition *competition);

    Ui::FormCompetitions *ui = nullptr; // owned
    TUserModul *m_modul = nullptr;      // not owned
    int m_mode = NoMode;
    // Type ID in mode 0, competition ID in mode 1; -1 for none.
    int m_entryID = -1;
};
