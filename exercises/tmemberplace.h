#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <QVector>

#include "lanestart.h"
#include "rankorder.h"
#include "tbullet.h"

// One member on one target during one exercise: every shot the target
// reported, numbered within its stage, with the running match total and the
// series sums the run screen, the exercises and the totals ask for. A row of
// the shot list and of its series table; it knows nothing of the database or
// the bus.
class TMemberPlace
{
public:
    static constexpr int kSighting = 0;
    static constexpr int kMatch = 1;
    // A target holds at most this many shots before its memory is reset.
    static constexpr int kTargetShotLimit = 255;
    // Edge of the square icons in the tables' label columns, in pixels.
    static constexpr int kIconSize = 15;

    // Competition row.
    TMemberPlace(int memberID, bool showTenths, int target, const QString &name, int startNumber,
                 const QImage &flag, const QString &countryName, const QString &teamName,
                 const QString &qualificationName, const TBulletParams &params);
    // Practice row: no start number, flag or names.
    TMemberPlace(int memberID, bool showTenths, int target, const QString &name,
                 const TBulletParams &params);
    ~TMemberPlace();

    // An image scaled to the tables' icon size, aspect ratio ignored.
    static QImage scaledIcon(const QImage &image);

    TMemberPlace(const TMemberPlace &) = delete;
    TMemberPlace &operator=(const TMemberPlace &) = delete;

    int memberID() const { return m_memberID; }
    int target() const { return m_target; }
    QString name() const { return m_name; }
    int startNumber() const { return m_startNumber; }
    QImage flag() const { return m_flag; }
    // The flag as the tables draw it next to the team.
    QImage flagIcon() const { return m_flagIcon; }
    // "country/team", as the tables show the team column.
    QString teamLabel() const { return QStringLiteral("%1/%2").arg(m_countryName, m_teamName); }
    QString countryName() const { return m_countryName; }
    QString teamName() const { return m_teamName; }
    QString qualificationName() const { return m_qualificationName; }
    int stage() const { return m_stage; }
    int resetCounter() const { return m_resetCounter; }
    bool targetFound() const { return m_targetFound; }
    bool terminalFound() const { return m_terminalFound; }
    int pendingReset() const { return m_pendingReset; }
    bool showArrows() const { return m_showArrows; }
    int positionCode() const { return m_positionCode; }
    int terminalCursor() const { return m_terminalCursor; }

    void setTargetFound(bool found) { m_targetFound = found; }
    void setTerminalFound(bool found) { m_terminalFound = found; }
    void setPendingReset(int reason) { m_pendingReset = reason; }
    void setShowArrows(bool show) { m_showArrows = show; }
    void setTerminalCursor(int cursor) { m_terminalCursor = cursor; }
    void setPositionCode(int code) { m_positionCode = code; }
    void incResetCounter();

    int nextTerminalShot() const { return m_terminalCursor + 1; }
    int shotCountOfStage(int stage) const;
    int matchSeriesCount(int size) const;
    // Running total of the match shots: tenths of a point with "VIew10", else
    // whole points.
    double total() const;
    int totalInt() const;
    // The same total in its own unit (tenths or whole points).
    int totalUnits() const { return m_totalUnits; }
    // Where the place stands among the list's places.
    RankKey rankKey() const;
    TBullet *firstBullet() const { return m_shots.isEmpty() ? nullptr : m_shots.first(); }
    const QList<TBullet *> &shots() const { return m_shots; }

    TBullet *addBullet(int number, int x, int y, quint8 positionCode, int time, int fine, bool sort);
    TBullet *bulletAt(int number, int stage) const;
    TBullet *bulletById(int id) const;
    TBullet *nextBullet(const TBullet *shot) const;
    bool hasShot(int shotID) const;
    // The last number of the target's current page that counts as read in
    // the stage: the next poll asks for the one after it.
    int lastBulletNumber(int stage) const;
    // The highest target number stored of the target's current page in the stage.
    int highestShotID(int stage) const;

    // The current series of size n is the one that holds the latest shot of
    // the place's stage, or the one being shot again until it is whole; k
    // counts from 1.
    TBullet *currentSeriesBullet(int k, int n) const;
    int currentSeriesSumInt(int n, bool *complete = nullptr) const;
    double currentSeriesSumTenths(int n, bool *complete = nullptr) const;
    int currentSeriesMarked(int n, bool *complete = nullptr) const;
    // Match series k (from 1) of size n; k 0 stands for the current series.
    int seriesSumInt(int k, int n, bool *complete = nullptr) const;
    double seriesSumTenths(int k, int n, bool *complete = nullptr) const;
    int seriesMarked(int k, int n, bool *complete = nullptr) const;
    int countFlagged(int n) const;
    int countFineInSeries(int fine, int n) const;
    TBullet *firstFlagged(int n) const;

    // Match shots; with fine 0 or more only those whose fine equals it.
    int countMatchShots(int fine) const;
    int countSightingShots() const;
    int matchTotalInt() const;
    double matchTotalTenths() const;
    int markedTotal() const;

    // Whether the lane's target took the START of the current page.
    LaneStart &laneStart() { return m_laneStart; }
    const LaneStart &laneStart() const { return m_laneStart; }

    void renumberShot(TBullet *shot, int number);
    // A shot given another number, and the number it had.
    struct Renumbered
    {
        TBullet *shot = nullptr;
        int formerNumber = 0;
    };
    // Numbers the shots 1, 2, ... in the order given (the shots of one
    // stage); returns those whose number changed.
    QList<Renumbered> renumberInOrder(const QList<TBullet *> &order);
    void clearFlags();
    void removeShot(TBullet *shot);
    // The shots of the stage from that number on were taken out to be shot
    // again: until their series is whole again it is the current one, not
    // the whole series before it.
    void shootAgainFrom(int number) { m_shotAgainFrom = number; }
    void removeSightingShots();
    // A new page of the stage for the target alone (its memory was reset).
    void setStage(int stage, bool countReset);
    // A new page of the stage for a start of the whole line.
    void startStage(int stage);
    // The target lost its page: its numbers count from 1 again, the shots
    // stored of the page it lost staying as they are.
    void newTargetPage();
    void resetAll();

private:
    // Numbers first..last of a stage, with the shots found for them.
    struct SeriesRange
    {
        int stage = kMatch;
        int first = 1;
        int last = 0;
        bool complete = false;
    };

    SeriesRange currentSeries(int n) const;
    SeriesRange matchSeries(int k, int n) const;
    // Adds valueOf(shot) over the shots of the range.
    template <typename ValueOf>
    int sumOver(const SeriesRange &range, ValueOf valueOf) const;
    int sumScore(const SeriesRange &range) const;
    int sumTenths(const SeriesRange &range) const;
    int countMarked(const SeriesRange &range) const;
    int shotValueUnits(const TBullet *shot) const;
    void rebuildIndex();
    void indexShot(TBullet *shot);
    void deleteShotsOfStage(int stage);

    void switchStage(int stage, bool countReset);

    QList<TBullet *> m_shots; // owned; deleted when they leave the list
    LaneStart m_laneStart;
    TBulletParams m_params;
    int m_memberID = -1;
    bool m_showTenths = false;
    int m_target = -1;
    bool m_targetFound = false;
    bool m_terminalFound = false;
    QString m_name;
    int m_startNumber = -1;
    QImage m_flag;
    QString m_countryName;
    QString m_teamName;
    QString m_qualificationName;
    QImage m_flagIcon; // m_flag scaled once, since every repaint draws it
    int m_stage = kSighting;
    int m_resetCounter = 0;
    int m_terminalCursor = 0;
    // Running match total in tenths of a point with "VIew10", else in whole
    // points; kept in integers so that truncating it is exact.
    int m_totalUnits = 0;
    int m_matchMarked = 0; // match shots at or above the control value
    int m_matchCount = 0;
    int m_sightingCount = 0;
    int m_pendingReset = -1;
    bool m_showArrows = true;
    int m_positionCode = -1;
    // The first number of the stage being shot again, 0 when none.
    int m_shotAgainFrom = 0;
    // Per stage (sighting, match): the first shot in list order carrying each
    // running number, at index number - 1. The run screen reads the current
    // series on every repaint, so these lookups must not walk the shots.
    QVector<TBullet *> m_byNumber[2];
};
