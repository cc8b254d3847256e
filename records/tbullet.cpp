#include "tbullet.h"

#include "ttargettype.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr int kScoringRings = 10; // whatever ring count a face prints
constexpr qint64 kBestValue = 109;
constexpr qint64 kCentreValue = 110;

// Above this sum of squares 100 * sum no longer fits in 64 bits; such a shot
// is farther than any ring that an int calibre can produce.
constexpr quint64 kMaxExactSumOfSquares = INT64_MAX / 100;

// Largest r with r * r <= n, exact for every n up to kMaxExactSumOfSquares * 100.
qint64 integerSqrt(qint64 n)
{
    auto r = static_cast<qint64>(std::sqrt(static_cast<double>(n)));
    while (r > 0 && r * r > n)
        --r;
    while ((r + 1) * (r + 1) <= n)
        ++r;
    return r;
}

// ceil(a / b) for a >= 0, b > 0.
qint64 ceilDiv(qint64 a, qint64 b)
{
    return a / b + (a % b != 0 ? 1 : 0);
}

// Half of a diameter given in millimetres, as hundredths of a millimetre.
qint64 radiusHundredths(float diameterMm)
{
    return std::lround(50.0 * static_cast<double>(diameterMm));
}

} // namespace

TBullet::TBullet(int resetCounter, int number, int x, int y, quint8 positionCode, int time,
                 const TTargetType *targetType, int calibre, double controlValue, int fine)
    : m_targetType(targetType),
      m_calibre(calibre),
      m_controlValue(controlValue),
      m_resetCounter(resetCounter),
      m_number(number),
      m_shotID(number),
      m_x(x),
      m_y(y),
      m_positionCode(positionCode),
      m_time(time)
{
    m_range10 = std::max(0, calcRange10());
    m_score = m_range10 / 10;
    m_isControl = m_range10 >= std::round(10.0 * m_controlValue);
    if (fine < 0) {
        m_fine = 0;
    } else {
        m_fine = fine;
        m_isFine = (fine == 1);
    }
}

void TBullet::setFine(int fine)
{
    if (fine <= 0) {
        m_fine = 0;
        m_isFine = false;
    } else {
        m_fine = fine;
    }
}

int TBullet::calcRange10()
{
    if (m_positionCode > kMaxPositionCode || (m_x == kNoHit && m_y == kNoHit)) {
        m_x = kNoHit;
        m_y = kNoHit;
        return 0;
    }
    // A face the table does not have cannot be scored.
    if (!m_targetType)
        return 0;

    // Radii in hundredths of a millimetre; the ten ring is widened by half the
    // calibre so that a shot touching it counts for it.
    const qint64 innerRadius = radiusHundredths(m_targetType->tenDiameter) + m_calibre / 2;
    const qint64 ringWidth = radiusHundredths(m_targetType->ringStep);
    // A calibre negative enough to leave no ten ring makes the face unusable.
    if (innerRadius <= 0)
        return 0;

    const auto ax = static_cast<quint64>(std::llabs(m_x));
    const auto ay = static_cast<quint64>(std::llabs(m_y));
    const quint64 sumOfSquares = ax * ax + ay * ay;
    if (sumOfSquares > kMaxExactSumOfSquares)
        return 0;
    // floor(10 * sqrt(s)) == floor(sqrt(100 * s)) exactly.
    const qint64 distance = integerSqrt(static_cast<qint64>(sumOfSquares) * 100);

    qint64 value = 0;
    if (distance <= innerRadius) {
        value = kCentreValue - ceilDiv(10 * distance, innerRadius);
    } else {
        // ringWidth > 0 whenever a ring can contain the shot, so no division by zero.
        for (int k = 1; k < kScoringRings; ++k) {
            const qint64 outer = innerRadius + k * ringWidth;
            if (distance <= outer) {
                const qint64 inner = outer - ringWidth;
                value = kCentreValue - 10 * k - ceilDiv(10 * (distance - inner), ringWidth);
                break;
            }
        }
    }
    return static_cast<int>(std::clamp<qint64>(value, 0, kBestValue));
}

QString TBullet::timeText(int time)
{
    const int minutes = time / 600;
    const int seconds = (time / 10) % 60;
    const int tenths = time % 10;
    return QStringLiteral("%1:%2.%3")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'))
        .arg(tenths);
}

QString TBullet::valueText(bool tenths) const
{
    QString text = tenths ? QString::number(range(), 'f', 1) : QString::number(m_score);
    if (m_isControl)
        text += QLatin1Char('*');
    return text;
}

QString TBullet::widestValueText(bool tenths)
{
    const QString text = tenths ? QString::number(kMaxRange10 / 10.0, 'f', 1)
                                : QString::number(kMaxRange10 / 10);
    return text + QLatin1Char('*');
}

bool compareBulletOrder(const TBullet *a, const TBullet *b)
{
    if (a->stage() != b->stage())
        return a->stage() > b->stage();
    if (a->resetCounter() != b->resetCounter())
        return a->resetCounter() > b->resetCounter();
    return a->shotID() > b->shotID();
}
