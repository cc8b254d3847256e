#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

struct TTargetType;

// One shot as a target reported it, with its value computed once at
// construction. Built without a parent; the member place or shot list that
// holds it deletes it.
class TBullet : public QObject
{
    Q_OBJECT

public:
    // Both coordinates carry this when the target saw no hit.
    static constexpr int kNoHit = 0xFFFF;
    // Place codes above this are not valid hits.
    static constexpr quint8 kMaxPositionCode = 8;
    // The highest value of a shot, in tenths of a point.
    static constexpr int kMaxRange10 = 109;

    // x, y: magnitudes from the centre in tenths of a millimetre; time in
    // tenths of a second; calibre in hundredths of a millimetre; controlValue
    // in points. targetType is a row of the constant table (not owned) and
    // may be null, which leaves the shot unscored.
    TBullet(int resetCounter, int number, int x, int y, quint8 positionCode, int time,
            const TTargetType *targetType, int calibre, double controlValue, int fine);

    void setID(int id) { m_ID = id; }
    void setMemberID(int memberID) { m_memberID = memberID; }
    void setStage(int stage) { m_stage = stage; }
    void setNumber(int number) { m_number = number; }
    void setFineFlag(bool isFine) { m_isFine = isFine; }
    void setFine(int fine);

    int id() const { return m_ID; }
    int memberID() const { return m_memberID; }
    int stage() const { return m_stage; }
    int resetCounter() const { return m_resetCounter; }
    void setResetCounter(int counter) { m_resetCounter = counter; }
    int number() const { return m_number; }
    int shotID() const { return m_shotID; }
    QPoint point() const { return QPoint(m_x, m_y); }
    uint positionCode() const { return m_positionCode; }
    int time() const { return m_time; }
    double range() const { return m_range10 / 10.0; }
    int range10() const { return m_range10; } // tenths of a point
    int score() const { return m_score; }
    bool isControl() const { return m_isControl; }
    int fine() const { return m_fine; }
    bool isFine() const { return m_isFine; }

    // "mm:ss.t"
    QString timeText() const { return timeText(m_time); }
    static QString timeText(int tenths);
    // The value as a shot table shows it, "10.4" in tenths or "10" in
    // points, with "*" after a marked shot.
    QString valueText(bool tenths) const;
    // The widest text valueText can give: a control shot of the highest value.
    static QString widestValueText(bool tenths);

private:
    int calcRange10();

    int m_ID = -1;
    int m_memberID = -1;
    int m_stage = 0; // 0 sighting, 1 match
    const TTargetType *m_targetType = nullptr; // not owned
    int m_calibre = 0;       // hundredths of a millimetre
    double m_controlValue = 0.0; // points
    int m_resetCounter = 0;
    int m_number = 0;
    int m_shotID = 0;
    int m_x = 0; // tenths of a millimetre
    int m_y = 0;
    quint8 m_positionCode = 0;
    int m_time = 0; // tenths of a second
    int m_range10 = 0; // tenths of a point, 0 to 109
    int m_score = 0;
    bool m_isControl = false;
    int m_fine = 0;
    bool m_isFine = false;
};

// Sort order of a shot list: match shots first, and within a stage the
// latest shot (highest reset counter, then highest shot number) first.
bool compareBulletOrder(const TBullet *a, const TBullet *b);

// The scoring context a shot list hands to its rows.
class TBulletParams
{
public:
    TBulletParams(int eventID, const TTargetType *targetType, int calibre, double controlValue)
        : m_eventID(eventID), m_targetType(targetType), m_calibre(calibre),
          m_controlValue(controlValue)
    {
    }

    int eventID() const { return m_eventID; }
    const TTargetType *targetType() const { return m_targetType; }
    int calibre() const { return m_calibre; }
    double controlValue() const { return m_controlValue; }

private:
    int m_eventID = -1;
    const TTargetType *m_targetType = nullptr; // not owned
    int m_calibre = 0;           // hundredths of a millimetre
    double m_controlValue = 0.0; // points
};
