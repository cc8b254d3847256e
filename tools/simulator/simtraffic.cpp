#include "simtraffic.h"

namespace {
constexpr qint64 kUsPerSecond = 1000000;

QString kindText(TrafficEntry::Kind kind)
{
    switch (kind) {
    case TrafficEntry::Received:
        return QStringLiteral("in   ");
    case TrafficEntry::Sent:
        return QStringLiteral("out  ");
    case TrafficEntry::Noise:
        return QStringLiteral("noise");
    case TrafficEntry::Injected:
        return QStringLiteral("inj  ");
    case TrafficEntry::Shot:
        return QStringLiteral("shot ");
    }
    return {};
}
} // namespace

QString TrafficEntry::toText(const QString &portName) const
{
    const QString time = QStringLiteral("%1.%2")
                             .arg(timeUs / kUsPerSecond, 5)
                             .arg(timeUs % kUsPerSecond, 6, 10, QLatin1Char('0'));
    const QString lane = address >= 0 ? QStringLiteral("%1").arg(address, 3) : QStringLiteral("  -");
    const QString codeText = code >= 0 ? QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper()
                                       : QStringLiteral("--");
    return QStringLiteral("%1 %2 %3 lane %4  %5  %6")
        .arg(time, kindText(kind), portName.leftJustified(15), lane, codeText,
             QString::fromLatin1(bytes.toHex(' ').toUpper()));
}
