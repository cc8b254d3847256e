#pragma once

#include <QDialog>
#include <QPointer>

namespace Ui {
class DialogShooter;
}

class QComboBox;
class QShowEvent;
class TShooter;
class TUserModul;

// Creates a shooter of the competitions database or changes a stored one, and
// on its two further pages edits the teams and qualifications a shooter can
// have. It holds no data of its own: every field is read from and written
// through the competition module, whose current team and qualification are the
// ones a saved shooter gets. Opened from the members page, a new shooter joins
// the current competition at once.
//
// The main window builds it once and hides it on sig_shooterChanged.
class DialogShooter : public QDialog
{
    Q_OBJECT

public:
    // Where the dialog was opened from.
    enum Source { FromShooterList = 0, FromMembers = 1 };
    enum Mode { Create = 0, Change = 1 };

    // The module is not owned.
    explicit DialogShooter(TUserModul *modul, QWidget *parent = nullptr);
    ~DialogShooter() override;

signals:
    void sig_qualityOn();
    void sig_qualityOff();
    void sig_teamOn();
    void sig_teamOff();
    // A save succeeded or the operator cancelled; carries the source given to slot_Show.
    void sig_shooterChanged(int _sourse);

public slots:
    // _shooterID -1 for none (create).
    void slot_Show(int _shooterID, int _sourse, int _mode);

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void on_pB_EditQuality_clicked();
    void on_pB_EditTeam_clicked();
    void on_pBOK_clicked();
    void on_pBCansel_clicked();
    void on_CB_Team_currentIndexChanged(int index);
    void on_CB_Quality_currentIndexChanged(int index);
    void on_pbCreate_team_clicked();
    void on_pBChange_team_clicked();
    void on_pbRemove_team_clicked();
    void on_pbCreate_quality_clicked();
    void on_pBChange_quality_clicked();
    void on_pbRemove_quality_clicked();
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_CB_Team_2_currentIndexChanged(int index);
    void on_CB_Quality_2_currentIndexChanged(int index);

private:
    // The shooter's own fields (dialogshooter.cpp).
    void fillCountries();
    void fillShooterFields();
    void createShooter();
    void changeShooter();
    int chosenGender() const;
    int chosenCountryID() const;
    int chosenTeamID() const;
    int chosenQualityID() const;

    // Teams and qualifications (dialogshooterlists.cpp).
    void fillTeams();
    void fillQualities();
    void showCurrentTeam();
    void showCurrentQuality();
    void teamChosen(int row);
    void qualityChosen(int row);
    // Refills the choosers and makes the entry of that ID current in both.
    void chooseTeam(int teamID);
    void chooseQuality(int qualityID);
    void createTeam();
    void changeTeam();
    void removeTeam();
    void createQuality();
    void changeQuality();
    void removeQuality();
    // The chooser of the other page follows the one the operator used.
    QComboBox *followingChooser(QComboBox *mainChooser, QComboBox *pageChooser) const;

    Ui::DialogShooter *ui = nullptr; // owned
    TUserModul *m_modul = nullptr;   // not owned
    // The shooter being changed. Its record belongs to the module's shooter
    // list, which rebuilds every record when it reloads; the guard turns a
    // record gone with a reload into none instead of a dangling pointer.
    QPointer<TShooter> m_shooter;
    int m_source = FromShooterList;
    int m_mode = Create;
};
