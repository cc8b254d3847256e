#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

// The run screen as the exercise sees it: the two signals it sends and the
// slots the exercise drives, each call recorded as (slot suffix, value).
class FakeRunScreen : public QObject
{
    Q_OBJECT

public:
    QList<QPair<QString, QString>> calls;

    // The values a slot was called with, in order.
    QStringList valuesOf(const QString &slot) const
    {
        QStringList values;
        for (const auto &call : calls) {
            if (call.first == slot)
                values << call.second;
        }
        return values;
    }

    void pressStart() { emit sig_startEvent(-1, -1); }
    void pressStop() { emit sig_stopEvent(1); }

signals:
    void sig_startEvent(int member, int colbull);
    void sig_stopEvent(int manageBullet);

public slots:
    void slot_myEvent_TimeChange(QString text, int aim)
    {
        record("TimeChange", QStringLiteral("%1 %2").arg(text).arg(aim));
    }
    void slot_myEvent_EventFinished() { record("EventFinished", QString()); }
    void slot_myEvent_BTNBackEnabled(bool enable) { record("BTNBackEnabled", enable); }
    void slot_myEvent_BTNStartEnabled(bool enable) { record("BTNStartEnabled", enable); }
    void slot_myEvent_BTNStartText(int mode) { record("BTNStartText", QString::number(mode)); }
    void slot_myEvent_BTNStopEnabled(bool enable) { record("BTNStopEnabled", enable); }
    void slot_myEvent_BTNStopVisible(bool visible) { record("BTNStopVisible", visible); }
    void slot_myEvent_BTNNextEnabled(bool enable) { record("BTNNextEnabled", enable); }
    void slot_myEvent_ModeText(int mode) { record("ModeText", QString::number(mode)); }
    void slot_myEvent_DelegateView(bool view) { record("DelegateView", view); }

private:
    void record(const char *slot, bool value) { record(slot, QString::number(int(value))); }
    void record(const char *slot, const QString &value)
    {
        calls.append({QString::fromLatin1(slot), value});
    }
};
