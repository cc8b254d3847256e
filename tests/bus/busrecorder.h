#pragma once

#include "emuproc.h"

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>

// Writes down every signal of a bus master as one line of text, in the
// receiver's thread: a bus master on a worker thread reaches it queued, as it
// reaches the program's screens and exercise. Tests wait on `lines` with
// QTRY_VERIFY_WITH_TIMEOUT.
class BusRecorder : public QObject
{
public:
    explicit BusRecorder(EMUProc *bus, bool withLog = false)
    {
        connect(bus, &EMUProc::sig_PortFounded, this, [this](int id, int com, bool found, int live) {
            add(QStringLiteral("PortFounded(%1,%2,%3,%4)").arg(id).arg(com).arg(found).arg(live));
        });
        connect(bus, &EMUProc::sig_PortLost, this, [this](int id, bool lost, QList<int> lanes) {
            QStringList names;
            for (int lane : lanes)
                names.append(QString::number(lane));
            add(QStringLiteral("PortLost(%1,%2,%3)").arg(id).arg(lost).arg(names.join(QLatin1Char(' '))));
        });
        connect(bus, &EMUProc::sig_TargetEnabled, this, [this](int ta, bool on) {
            add(QStringLiteral("TargetEnabled(%1,%2)").arg(ta).arg(on));
        });
        connect(bus, &EMUProc::sig_PCEnabled, this, [this](int ta, bool on) {
            add(QStringLiteral("PCEnabled(%1,%2)").arg(ta).arg(on));
        });
        connect(bus, &EMUProc::sig_EventStarted, this, [this] { add(QStringLiteral("EventStarted")); });
        connect(bus, &EMUProc::sig_EventStoped, this, [this] { add(QStringLiteral("EventStoped")); });
        connect(bus, &EMUProc::sig_ClasterSetted, this, [this] { add(QStringLiteral("ClasterSetted")); });
        connect(bus, &EMUProc::sig_AddBullet, this,
                [this](int ta, int num, QPoint xy, schar place, int timeBullet, int timeEvent) {
                    add(QStringLiteral("AddBullet(%1,%2,%3,%4,%5,%6,%7)")
                            .arg(ta).arg(num).arg(xy.x()).arg(xy.y()).arg(int(place))
                            .arg(timeBullet).arg(timeEvent));
                });
        connect(bus, &EMUProc::sig_NoBullet, this, [this](int ta, int number) {
            add(QStringLiteral("NoBullet(%1,%2)").arg(ta).arg(number));
        });
        connect(bus, &EMUProc::sig_BDReseted, this, [this](int ta) {
            add(QStringLiteral("BDReseted(%1)").arg(ta));
        });
        connect(bus, &EMUProc::sig_setMatchFromPC, this, [this](int ta, int mode) {
            add(QStringLiteral("setMatchFromPC(%1,%2)").arg(ta).arg(mode));
        });
        connect(bus, &EMUProc::sig_PCWroteBullet, this, [this](int ta, int mode, int count) {
            add(QStringLiteral("PCWroteBullet(%1,%2,%3)").arg(ta).arg(mode).arg(count));
        });
        connect(bus, &EMUProc::sig_finished, this, [this] { add(QStringLiteral("finished")); });
        if (!withLog)
            return;
        connect(bus, &EMUProc::sig_DataReaded, this, [this](int id, int com, QByteArray bytes, int decoded) {
            add(QStringLiteral("DataReaded(%1,%2,%3,%4)").arg(id).arg(com)
                    .arg(QString::fromLatin1(bytes.toHex(' ').toUpper())).arg(decoded));
        });
        connect(bus, &EMUProc::sig_DataWrote, this, [this](int id, int com, QByteArray bytes) {
            add(QStringLiteral("DataWrote(%1,%2,%3)").arg(id).arg(com)
                    .arg(QString::fromLatin1(bytes.toHex(' ').toUpper())));
        });
    }

    QStringList lines;

    int count(const QString &prefix) const
    {
        int n = 0;
        for (const QString &line : lines)
            n += line.startsWith(prefix) ? 1 : 0;
        return n;
    }
    QStringList matching(const QString &prefix) const
    {
        QStringList found;
        for (const QString &line : lines) {
            if (line.startsWith(prefix))
                found.append(line);
        }
        return found;
    }

private:
    void add(const QString &line)
    {
        lines.append(line);
    }
};
