#pragma once

#include <QDate>
#include <QString>
#include <QWidget>

class QFrame;
class TPracticeModul;
class TQuality;
class TShooter;
class TTeam;

namespace Ui {
class formPracticeShooter;
}

// Shows, creates and changes one shooter of the practice roster, and edits
// the roster's teams and qualifications on the way. It has no window of its
// own: the shooter list dialog hosts it in list mode (new shooters, changes
// of the one picked there) and the practice shooter dialog in change mode
// (one participant with its target address).
//
// A shooter is entered on the short page (target, name, family name) or on
// the full page (also gender, birth date, country, team, qualification);
// which one it was saved from is kept as its addition flag.
class formPracticeShooter : public QWidget
{
    Q_OBJECT

public:
    enum Mode { ListMode = 0, ChangeMode = 1 };
    // Pages of the stack.
    enum PageIndex { ShortPage = 0, FullPage = 1, TeamPage = 2, QualityPage = 3 };

    explicit formPracticeShooter(QWidget *parent = nullptr);
    ~formPracticeShooter() override;

    // A new form filling the host's frame (which gets a layout without
    // margins), filled from the module and set to the mode. The frame is
    // its parent; the host deletes it first all the same.
    static formPracticeShooter *embed(QFrame *frame, TPracticeModul *module, int mode);

    // Takes the module (not owned) and fills the team, qualification and
    // country boxes; the shown shooter is not refreshed.
    void fillAll(TPracticeModul *module);
    // ListMode hides the target rows and offers creation; ChangeMode shows
    // the target rows and offers changes only.
    void setChangeEnabled(int mode);
    // The roster shooter with that ID, or empty fields for a negative ID.
    void showShooter(int id);
    void refillTeamsQualities();
    // The shown roster shooter; null when none.
    TShooter *currentShooter() const;
    int shownID() const { return m_shownID; }

signals:
    // A save button was pressed and nothing of the change was lost.
    void sig_changeBTNClicked();

private slots:
    void on_pBChangeShooter_clicked();
    void on_pBChangeShooter_a_clicked();
    void on_pBCreateShooter_clicked();
    void on_pBCreateShooter_a_clicked();
    void on_pbAddition_clicked();
    void on_pbShortly_clicked();
    void on_pB_EditTeam_clicked();
    void on_CB_Team_2_currentIndexChanged(int index);
    void on_pbSave_Team_clicked();
    void on_pbCreate_team_clicked();
    void on_pBChange_team_clicked();
    void on_pbRemove_team_clicked();
    void on_pB_EditQuality_clicked();
    void on_CB_Quality_2_currentIndexChanged(int index);
    void on_pbSave_Quality_clicked();
    void on_pbCreate_quality_clicked();
    void on_pBChange_quality_clicked();
    void on_pbRemove_quality_clicked();

private:
    // What a save reads from the short (full = false) or the full page.
    struct Entry
    {
        int target = 1;
        QString name;
        QString family;
        QDate dateOfBirth;
        int gender = 0;
        int countryID = 0;
        int teamID = 0;
        int qualityID = 0;
        bool full = false;
    };
    enum class Change { NothingShown, Stored, Failed };

    void fillTeams(int teamID);
    void fillQualities(int qualityID);
    void fillCountries(int shooterCountryID, int teamCountryID);
    void fillFields();
    void clearFields();
    void showTeam(const TTeam *team);
    void showQuality(const TQuality *quality);
    int maxTargetAddress() const;
    Entry readPage(bool full) const;
    void createShooter(bool full);
    Change changeShooter(bool full);
    // Runs the change of a save button and tells the host when nothing was lost.
    void saveShown(bool full);
    // The texts of the qualification page, "-" for an empty one.
    QString qualityText(const QString &text) const;

    Ui::formPracticeShooter *ui = nullptr; // owned
    TPracticeModul *m_module = nullptr;
    int m_shownID = -1;
    int m_mode = ListMode;
};
