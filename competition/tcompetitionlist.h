#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

class TCompetition;
class TdbAccessor;

// The competition screen's two lists in one class. The type variant has one
// row per competition type of "CompetitionsType.xml"; the database variant
// has one row per stored competition of a finished state, whatever its type,
// and keeps the types only as templates.
class TCompetitionList : public QAbstractListModel
{
    Q_OBJECT

public:
    // Roles from the first user role plus one; no names for Qt's own roles.
    enum Role {
        CompIdRole = Qt::UserRole + 1, // 257
        CompTypeXMLIDRole = 258,
        CompCountryIDRole = 259,
        CompFinalRole = 260,
        CompStartDateTimeRole = 261,
        CompCompetitionNameRole = 262,
        CompNameTypeEngRole = 263,
        CompNameTypeRusRole = 264,
        CompWeaponTypeRole = 265,
        CompCompetitionRole = 266,
    };

    // Database variant on db (not owned); rows come with loadCompetitions.
    explicit TCompetitionList(TdbAccessor *db, QObject *parent = nullptr);
    // Type variant: the types are its rows.
    explicit TCompetitionList(QObject *parent = nullptr);
    ~TCompetitionList() override;

    QModelIndex index(int row, int column = 0,
                      const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    bool isStored() const { return m_isStored; }
    // The number of types read.
    int loadTypes();
    // Database variant: the rows become the stored competitions with that
    // finished flag; -1 when a row cannot be read. Type variant: -1.
    int loadCompetitions(int finished);
    bool hasType(int typeID) const;

    TCompetition *setCurrentID(int id);
    TCompetition *current() const;

private:
    TCompetition *at(int row) const;
    TCompetition *rowAt(const QModelIndex &index) const;

    QString m_eventsDir;
    TdbAccessor *m_db = nullptr; // not owned; null in the type variant
    bool m_isStored = false;
    QList<TCompetition *> m_rows;  // owned
    QList<TCompetition *> m_types; // owned; templates of the database variant
    int m_currentID = -1;
};
