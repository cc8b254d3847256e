#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QImage>
#include <QList>

#include "celltexts.h"
#include "lanestart.h"
#include "rowsort.h"
#include "tablepictures.h"
#include "tbullet.h"
#include "tplacecolumns.h"
#include "tshotwrites.h"

class TdbAccessor;
class TMemberPlace;
class TSeries;
class TShotWrites;
struct TTargetType;

// The shots of one exercise, one row per member place on the line, as a table
// of the current series. Here a target's answer becomes a shot record and, in a
// competition, a row of "tbullets": match shots are stored as they arrive, so
// nothing needs saving when the exercise ends. The run screen reads the table
// on every repaint: data() touches neither the database nor every shot.
class TBulletList : public QAbstractTableModel, public CellTexts
{
    Q_OBJECT

public:
    // Roles from the first user role plus one; there is no role 260.
    enum Role {
        BullIdRole = Qt::UserRole + 1, // 257
        MemberIdRole = 258,
        BullNumRole = 259,
        BullRankRole = 261,
        BullRank10Role = 262,
        BullPlaceRole = 263,
        BulletRole = 264,
        BulletPracticeRole = 265,
    };

    // Competition list: stores its match shots through db (not owned) and
    // loads the exercise's stored shots at once.
    TBulletList(int eventID, TdbAccessor *db, const TTargetType *targetType, bool showTenths,
                int calibre, double controlValue, QObject *parent = nullptr);
    // Practice list: shots in memory only.
    TBulletList(const TTargetType *targetType, bool showTenths, int calibre, double controlValue,
                QObject *parent = nullptr);
    ~TBulletList() override;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Orders the rows by match total, best first; column and order are not used.
    void sort(int column = 0, Qt::SortOrder order = Qt::AscendingOrder) override;
    QHash<int, QByteArray> roleNames() const override;
    QStringList possibleTexts(int column) const override;
    bool showsPictures(int column) const override;
    bool givesWay(int column) const override { return m_columns.givesWay(column); }

    // Places and targets.
    void addPlace(int memberID, int target, const QString &name, int startNumber,
                  const QImage &flag, const QString &countryName, const QString &teamName,
                  const QString &qualificationName);
    void addPlace(int memberID, int target, const QString &name);
    void removeAll();
    // Empties the list and reads the exercise's stored shots again; every
    // member's shots wait off-line until the member gets a place.
    bool reload();
    int placeCount() const { return m_places.size(); }
    TMemberPlace *firstPlace() const;
    // firstRow: the row of the first place; negative for the list's own.
    TMemberPlace *placeAtRow(int row, int firstRow = -1) const;
    TMemberPlace *nextPlace(const TMemberPlace *place) const;
    TMemberPlace *placeByMemberId(int memberID) const;
    TMemberPlace *placeByTarget(int target) const;
    bool hasTarget(int target) const;
    int memberIdOfTarget(int target) const;
    int firstTarget() const;
    int nextTarget(int target) const;
    void setTargetFound(int target, bool found);
    void setPCFound(int target, bool found);
    // The lane's shots held changed: its lamp shows them while they are held.
    void showHeld(int target);
    bool allTargetsFound() const;
    bool allPCsFound() const;
    void setStageOfTarget(int target, int stage);
    void setStageAll(int stage);
    int stageOfTarget(int target) const;
    void incPlaceCounter(int target);
    void setPendingReset(int target, int reason);
    int pendingReset(int target) const;
    void setPositionCode(int target, int code);
    int positionCode(int target) const;
    // A negative target shows or hides the shots of every place.
    void setShowArrows(bool show, int target);
    int lastBulletNumberOfTarget(int target, int stage) const;
    bool hasShot(int target, int shotID) const;
    int shotCountOfStage(int target, int stage) const;
    int countShotsWithStatus(int target, int fine) const;
    // The shot the target's terminal lacks; the first form first moves the
    // terminal cursor when the place is in that stage.
    TBullet *nextShotForTerminal(int target, int cursor, int stage);
    TBullet *nextShotForTerminal(int target) const;

    // Shots.
    TBullet *addShotFromTarget(int memberID, int number, int x, int y, quint8 positionCode,
                               int time, int fine);
    void addMisses(int memberID, int count, int fine);
    // Every shot of the member in the exercise and its rows, all of them in
    // one statement; true when the rows are gone now, false when their
    // delete waits (TShotWrites::deleteMemberRows) and sig_memberShotsGone
    // says when they are.
    bool deleteShotsOfMember(int memberID);
    // The delete of the member's rows waits.
    bool memberShotsWaitDelete(int memberID) const { return m_writes->memberRowsWait(memberID); }
    bool hasWaitingMemberDeletes() const { return m_writes->hasWaitingMemberRows(); }
    bool hasWaitingShotWrites() const { return m_writes->hasWaitingShots(); }
    // 0 no match shot, 1 fewer than limit, 2 limit or more.
    int shotState(int memberID, int limit) const;
    int shotCountOfMember(int memberID) const;
    void purgeFlaggedShots(int target);
    // The lane's account of its target's current page changed: the shots
    // of the page with the target numbers in withdraw are taken back, the
    // new shots take their places in the page's order, and the stage's
    // running numbers close up. The rows change in one transaction, or
    // wait whole while the database refuses. pagesBack > 0: the shots are
    // of a page the target lost that many pages ago (nothing is withdrawn).
    void amendPage(int target, const QVector<int> &withdraw, const QVector<LaneShot> &shots,
                   int pagesBack = 0);
    // The target lost its page: its numbers count from 1 again.
    void newTargetPage(int target);
    // A shot of the target's current page (or of one it lost pagesBack
    // pages ago) not stored yet: the running number it would take in the
    // place's stage, and its value as the table shows it.
    int placeInStage(int target, int number, int pagesBack = 0) const;
    QString valueText(const LaneShot &shot) const;
    void clearShotMarks(int target);
    bool hasShotWithFine(int fine) const;
    TBullet *replaceFlaggedShot(int memberID, int number, int x, int y, quint8 positionCode,
                                int time);
    bool seriesResultInt(int target, int &sum, int &marked) const;
    bool seriesResultTenths(int target, double &sum, int &marked) const;
    const QList<TBullet *> &offlineShots() const { return m_offlineShots; }
    // A write the database refused waits: a lane is asked again for its
    // refused shot, or a miss, a purge or a renumbering is tried again.
    bool hasWaitingWrites() const { return m_writes->hasWaitingWrites(); }
    // A shot of the member's target was refused and is asked for again.
    bool shotRefused(int memberID) const { return m_writes->memberRefused(memberID); }

    // Layout and scoring context.
    void setShotColumns(int n);
    int shotColumns() const { return m_shotColumns; }
    // count series of shotColumns shots each.
    void setSeriesSize(int count);
    TSeries *series() const { return m_series; }
    int lastColumn() const { return m_columns.firstShot + m_shotColumns; }
    QModelIndex lastColumnIndex(int row) const;
    void setMarking(bool marking);
    bool isMarking() const { return m_marking; }
    // The exercise's "TargetNum"; -1 when it names no target face.
    int targetNum() const;
    int eventId() const { return m_eventID; }
    bool showTenths() const { return m_showTenths; }
    void refreshAll(bool sortFirst);

signals:
    // hasWaitingWrites changed. A target's shot that the database refused
    // is not in the list, so its lane is asked for it again until it is
    // stored; the list's own writes (misses, purges) are tried again here.
    void sig_writesWaiting(bool waiting);
    // The rows of the member that deleteShotsOfMember deleted are gone.
    void sig_memberShotsGone(int memberID);

private:
    template <class Model>
    friend void RowSort::movePersistentIndexes(Model &, const QVector<int> &);

    // The fine of a shot to be shot again; such a shot starts flagged.
    static constexpr int kFlaggedFine = 1;

    TBulletList(int eventID, TdbAccessor *db, bool competition, const TTargetType *targetType,
                bool showTenths, int calibre, double controlValue, QObject *parent);
    TBulletParams params() const;
    // Only ever runs on a list without places (construction, reload).
    bool loadFromDB();
    void insertPlace(TMemberPlace *place);
    void takeOfflineShots(TMemberPlace *place);
    // Deletes the shots and their rows, closing the gaps in the numbers.
    void removeShots(TMemberPlace *place, const QList<TBullet *> &shots);
    // Unstored shots of places that go wait off-line.
    void keepUnstoredOffline();
    TBullet *newOfflineShot(int memberID, int number, int x, int y, int positionCode, int time,
                            int fine) const;
    TBullet *shotOfCell(const TMemberPlace *place, int column) const;
    bool isShotColumn(int column) const;
    QVariant displayData(const TMemberPlace *place, int column) const;
    QVariant decorationData(const TMemberPlace *place, int column) const;
    QVariant shotRoleData(const TMemberPlace *place, int column, int role) const;
    QImage presenceIcon(bool found) const;
    void refreshCell(int row, int column);
    // A shot changed only its own place's cells; the run screen repaints
    // that row instead of the whole table. sortFirst as for refreshAll.
    void refreshPlace(const TMemberPlace *place, bool sortFirst);
    int rowOf(const TMemberPlace *place) const;

    int m_firstRow = 0;
    TPlaceColumns m_columns; // the labels; the shots follow them
    bool m_marking = false;
    TdbAccessor *m_db = nullptr; // the competition module's; not owned
    bool m_compactSeries = false;
    QList<TBullet *> m_offlineShots; // owned
    TShotWrites *m_writes = nullptr; // child
    QList<TMemberPlace *> m_places;  // owned; the series model reads the same list
    TSeries *m_series = nullptr;     // owned (child object)
    int m_eventID = -1;
    const TTargetType *m_targetType = nullptr; // row of the constant table
    int m_calibre = 0;                         // hundredths of a millimetre
    double m_controlValue = 0.0;               // points
    int m_seriesCount = 1;
    int m_shotColumns = 1;
    bool m_showTenths = false;
    TablePictures m_pictures;
};

// Row order: the place with the greater match total first (see rankorder.h).
bool compareSeriesResultDesc(const TMemberPlace *a, const TMemberPlace *b);
