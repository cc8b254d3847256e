#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

// What the exercise asks about a lane's shots held (myevent.h).
struct HeldShot;

// The run screen as the exercise sees it: the two signals it sends and the
// slots the exercise drives. It keeps its buttons as the run screen shows
// them, from its set-up on (START shown and enabled with the caption
// "START", STOP disabled, Back enabled, Next hidden, no re-shoot buttons,
// no mode band), and presses a button only while the button is shown and
// enabled, as an operator can. Every slot call is also recorded as
// (slot suffix, value).
class FakeRunScreen : public QObject
{
    Q_OBJECT

public:
    // Captions of the start button and texts of the mode label, as the
    // exercise numbers them.
    enum Caption { CaptionStart = -1, CaptionSighting = 0, CaptionMatch = 1 };
    enum ModeLabel { ModeHidden = -2, ModeEmpty = -1, ModeSighting = 0, ModeMatch = 1 };

    QList<QPair<QString, QString>> calls;
    // Given the shots of each ruling asked, when a test wants them.
    std::function<void(const QList<HeldShot> &)> heldAsked;

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

    // Entering the page for the next exercise, after its wiring: START shown
    // and enabled with the caption "START", STOP disabled, Back enabled,
    // Next hidden. The mode label and the re-shoot buttons stay as they are.
    void setUp()
    {
        m_startShown = true;
        m_startEnabled = true;
        m_caption = CaptionStart;
        m_stopEnabled = false;
        m_backEnabled = true;
        m_nextEnabled = false;
    }

    // The buttons: false, and nothing is sent, while the button is hidden or
    // disabled. A row's re-shoot button is enabled while the buttons are
    // shown and its place has flagged shots.
    [[nodiscard]] bool pressStart()
    {
        if (!startEnabled())
            return false;
        emit sig_startEvent(-1, -1);
        return true;
    }
    [[nodiscard]] bool pressStop()
    {
        if (!m_stopEnabled || !m_stopShown)
            return false;
        emit sig_stopEvent(1);
        return true;
    }
    [[nodiscard]] bool pressReshoot(int target, int flaggedShots)
    {
        if (!m_reshootButtons || flaggedShots < 1)
            return false;
        emit sig_startEvent(target, flaggedShots);
        return true;
    }

    bool startEnabled() const { return m_startShown && m_startEnabled; }
    bool stopEnabled() const { return m_stopShown && m_stopEnabled; }
    bool backEnabled() const { return m_backEnabled; }
    bool nextEnabled() const { return m_nextEnabled; }
    bool reshootButtonsShown() const { return m_reshootButtons; }
    int startCaption() const { return m_caption; }
    int modeLabel() const { return m_modeLabel; }

    // What the operator can use and read: the enabled buttons, START with its
    // caption, then the mode label in brackets ("hidden" without its band),
    // e.g. "start MATCH, stop, [SIGHTING]".
    QString panel() const
    {
        static const char *const captions[] = {"START", "SIGHTING", "MATCH"};
        static const char *const modes[] = {"hidden", "", "SIGHTING", "MATCH"};
        QStringList parts;
        if (startEnabled())
            parts << QStringLiteral("start %1").arg(QLatin1String(captions[m_caption + 1]));
        if (stopEnabled())
            parts << QStringLiteral("stop");
        if (m_backEnabled)
            parts << QStringLiteral("back");
        if (m_nextEnabled)
            parts << QStringLiteral("next");
        if (m_reshootButtons)
            parts << QStringLiteral("re-shoot");
        parts << QStringLiteral("[%1]").arg(QLatin1String(modes[m_modeLabel + 2]));
        return parts.join(QStringLiteral(", "));
    }

signals:
    void sig_startEvent(int member, int colbull);
    void sig_stopEvent(int manageBullet);
    void sig_ruleShots(int target, int first);

public slots:
    void slot_myEvent_TimeChange(QString text, int aim)
    {
        record("TimeChange", QStringLiteral("%1 %2").arg(text).arg(aim));
    }
    void slot_myEvent_EventFinished()
    {
        m_nextEnabled = true;
        m_startShown = false;
        m_stopEnabled = false;
        record("EventFinished", QString());
    }
    void slot_myEvent_BTNBackEnabled(bool enable)
    {
        m_backEnabled = enable;
        record("BTNBackEnabled", enable);
    }
    void slot_myEvent_BTNStartEnabled(bool enable)
    {
        m_startShown = true;
        m_startEnabled = enable;
        record("BTNStartEnabled", enable);
    }
    void slot_myEvent_BTNStartText(int mode)
    {
        if (mode >= CaptionStart && mode <= CaptionMatch)
            m_caption = mode;
        record("BTNStartText", QString::number(mode));
    }
    void slot_myEvent_BTNStopEnabled(bool enable)
    {
        m_stopEnabled = enable;
        record("BTNStopEnabled", enable);
    }
    void slot_myEvent_BTNStopVisible(bool visible)
    {
        m_stopShown = visible;
        record("BTNStopVisible", visible);
    }
    void slot_myEvent_BTNNextEnabled(bool enable)
    {
        m_nextEnabled = enable;
        record("BTNNextEnabled", enable);
    }
    void slot_myEvent_ModeText(int mode)
    {
        if (mode >= ModeHidden && mode <= ModeMatch)
            m_modeLabel = mode;
        record("ModeText", QString::number(mode));
    }
    void slot_myEvent_DelegateView(bool view)
    {
        m_reshootButtons = view;
        record("DelegateView", view);
    }
    void slot_myEvent_TargetNotStarted(int target, bool refuses)
    {
        record("TargetNotStarted", refuses ? QStringLiteral("%1 refuses").arg(target)
                                           : QString::number(target));
    }
    void slot_myEvent_TargetStartInDoubt(int target)
    {
        record("TargetStartInDoubt", QString::number(target));
    }
    void slot_myEvent_TargetShotsWithdrawn(int target, int count)
    {
        record("TargetShotsWithdrawn", QStringLiteral("%1 %2").arg(target).arg(count));
    }
    void slot_myEvent_TargetShotsHeld(int target)
    {
        record("TargetShotsHeld", QString::number(target));
    }
    void slot_myEvent_TargetPageLost(int target, int held)
    {
        record("TargetPageLost", held > 0 ? QStringLiteral("%1 held %2").arg(target).arg(held)
                                          : QString::number(target));
    }
    void slot_myEvent_TargetNoNewShots(int target)
    {
        record("TargetNoNewShots", QString::number(target));
    }
    void slot_myEvent_TargetShotsFlagged(int target, int count, bool repeats)
    {
        record("TargetShotsFlagged",
               QStringLiteral("%1 %2%3").arg(target).arg(count).arg(repeats ? " repeats" : ""));
    }
    // Recorded, not answered: the lane waits for a ruling.
    void slot_myEvent_ShotsInDoubt(int target, const QList<HeldShot> &shots, bool atStop)
    {
        if (shots.isEmpty())
            return; // the question is void
        if (heldAsked)
            heldAsked(shots);
        record("ShotsInDoubt", QStringLiteral("%1 %2").arg(target).arg(atStop));
    }

private:
    void record(const char *slot, bool value) { record(slot, QString::number(int(value))); }
    void record(const char *slot, const QString &value)
    {
        calls.append({QString::fromLatin1(slot), value});
    }

    bool m_startShown = true;
    bool m_startEnabled = true;
    bool m_stopShown = true;
    bool m_stopEnabled = false;
    bool m_backEnabled = true;
    bool m_nextEnabled = false;
    bool m_reshootButtons = false;
    int m_caption = CaptionStart;
    int m_modeLabel = ModeHidden;
};
