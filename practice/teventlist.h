#pragma once

#include <QAbstractListModel>
#include <QList>

class TEvent;

// The exercises a practice can run, one row per exercise of
// "EventsTypeForPractice.xml" in file order, each a TEvent with the type ID,
// the sub-number, the weapon, the names and the parameters the file gives it.
// Read once when built; the records it hands out stay valid while it lives.
class TEventList : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        EventIDRole = Qt::UserRole + 1, // 257, always empty
        EventIndexRole,                 // 258, 1-based row number in the file
        EventNameEngRole,
        EventNameRusRole,
        EventSubNameEngRole,
        EventSubNameRusRole,
        EventWeaponRole, // 263: 0 rifle, 1 pistol
        TxtRole,
        Id1Role, // 265: the exercise type's ID
        Id2Role, // 266: the exercise's SubNum
    };

    explicit TEventList(QObject *parent = nullptr);
    ~TEventList() override;

    QModelIndex index(int row, int column = 0,
                      const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The first exercise of that type and SubNum, null when none; the pair is
    // kept as the last search.
    TEvent *getEvent(int typeID, int subNum);
    TEvent *findEvent() const;
    void clearEvents();
    void clear();
    // Reads the file again; the number of rows (0 when the file is missing).
    int loadXML();

    static QString filePath();

private:
    void appendEvent(TEvent *event);

    QList<TEvent *> m_events; // owned
    int m_searchTypeID = -1;
    int m_searchSubNum = -1;
};
