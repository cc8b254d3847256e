#pragma once

#include <QAbstractListModel>
#include <QList>

#include "memberroles.h"

class TdbAccessor;
class TQuality;
class TShooter;
class TTeam;

// Every shooter of the competitions database, whatever competition they take
// part in. The shooter dialogs pick, create, change and delete shooters here;
// the member model keeps copies of shooters as members and hears of every
// change through sig_shooterChanged.
class TShooterEnabledList : public QAbstractListModel
{
    Q_OBJECT

public:
    // Of the roles shared by the models of members, a shooter has no member
    // ID and no start number: only 257 and 261 to 265.
    enum Role {
        ShooterIdRole = MemberRoles::ShooterIDRole,
        ShooterFamilyNameRole = MemberRoles::ShooterFamilyNameRole,
        ShooterNameRole = MemberRoles::ShooterNameRole,
        ShooterBirthDateRole = MemberRoles::ShooterBirthDateRole,
        ShooterGenderRole = MemberRoles::ShooterGenderRole,
        MemberRole = MemberRoles::MemberRole,
    };

    // db is not owned. The competition module builds the list without loading
    // and loads it right after.
    explicit TShooterEnabledList(TdbAccessor *db, bool load = true, QObject *parent = nullptr);
    ~TShooterEnabledList() override;

    QModelIndex index(int row, int column = 0,
                      const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return m_list.size(); }
    TShooter *at(int row) const;
    TShooter *shooterByID(int shooterID) const;
    int rowOf(const TShooter *shooter) const;
    TShooter *nextShooter(const TShooter *shooter) const;

    void setCurrentShooter(const TShooter *shooter);
    // The ID of the shooter at row; a row outside the list changes nothing.
    int setCurrentRow(int row);
    TShooter *selectShooter(int shooterID);
    TShooter *currentShooter() const;
    int currentShooterID() const { return m_currentShooterID; }

    void load();
    void clear();

    // The new shooter's ID, or -1. Teams and qualifications that are not
    // stored become 0, so a shooter never refers to a missing row.
    int addShooter(const TShooter *data);
    bool updateShooter(int shooterID, const TShooter *data);
    // 1 deleted, 0 not deleted, -1 refused because the shooter has stored shots.
    int removeShooter(int shooterID, bool checkUsed);
    int removeShooter(const TShooter *shooter, bool checkUsed);

    // Team and qualification edits for the competition module; each answers
    // as the storage layer does. A team or qualification that a shooter has
    // is not deleted (false).
    int addTeam(int countryXMLID, const QString &name);
    bool updateTeam(int teamID, int countryXMLID, const QString &name);
    bool deleteTeam(const TTeam *team);
    bool deleteTeamByID(int teamID);
    int addQuality(const QString &name, const QString &shortName);
    bool updateQuality(int qualityID, const QString &name, const QString &shortName);
    bool deleteQuality(const TQuality *quality);
    bool deleteQualityByID(int qualityID);

signals:
    // A shooter's data changed (shooter set, ID -1) or the shooter with ID
    // was deleted (shooter null).
    void sig_shooterChanged(const TShooter *shooter, int ID);

private:
    // A team or qualification ID that names no stored row becomes 0.
    int storedTeamID(int teamID) const;
    int storedQualityID(int qualityID) const;

    TdbAccessor *m_db = nullptr; // not owned
    int m_currentShooterID = -1;
    QList<TShooter *> m_list; // owned
};
