// The run page's words on the lanes and converters: what the bus and the
// running exercise tell of them stands in the band at the page's top, a
// line each, while it is so.

#include "formexecuteevent.h"

#include <QListWidget>
#include <QSet>
#include <QTimer>

#include "emuproc.h"
#include "lanepoll.h"
#include "tbulletlist.h"
#include "tmemberplace.h"
#include "ui_formexecuteevent.h"

namespace {

// The words on the bus: what is wrong, and what answers again.
const char *const kTroubleColour = "#aa0000";
const char *const kBackColour = "#005500";
// A word that a target or converter answers again stays this long.
constexpr int kBackWordShownMs = 15000;
// The band of words shows this many lines; more scroll.
constexpr int kWordLinesShown = 3;

} // namespace

void FormExecuteEvent::watchList(TBulletList *list)
{
    for (const QMetaObject::Connection &watch : qAsConst(m_listWatch))
        disconnect(watch);
    m_listWatch.clear();
    if (!list)
        return;
    const auto recheck = [this] { recheckLaneWords(); };
    m_listWatch << connect(list, &QAbstractItemModel::dataChanged, this, recheck)
                << connect(list, &QAbstractItemModel::rowsInserted, this, recheck)
                << connect(list, &QAbstractItemModel::rowsRemoved, this, recheck)
                << connect(list, &QAbstractItemModel::layoutChanged, this, recheck)
                << connect(list, &QAbstractItemModel::modelReset, this, recheck);
}

void FormExecuteEvent::slot_myEvent_TargetNotStarted(int target, bool refuses)
{
    sayMissedWord(target,
                  QStringLiteral("Мишень %1 не приняла команду СТАРТ: её выстрелы, сделанные "
                                 "до этой команды, не засчитываются. Проверьте связь с "
                                 "мишенью %1. ")
                      .arg(target),
                  refuses);
}

void FormExecuteEvent::slot_myEvent_TargetShotsWithdrawn(int target, int count)
{
    sayMissedWord(target,
                  QStringLiteral("Мишень %1 не приняла команду СТАРТ: засчитанные ей выстрелы "
                                 "прежней стрельбы (%2) удалены из результатов. Проверьте "
                                 "связь с мишенью %1. ")
                      .arg(target)
                      .arg(count),
                  false);
}

void FormExecuteEvent::sayMissedWord(int target, const QString &text, bool refuses)
{
    sayLaneWord(target, Truth::WhileMissed, QStringLiteral("Мишень не запущена!"),
                text + whatFollows(target, refuses));
}

void FormExecuteEvent::slot_myEvent_TargetStartInDoubt(int target)
{
    sayHeldWord(target, QStringLiteral("Ответ на СТАРТ не получен!"),
                QStringLiteral("Ответа мишени %1 не получено, когда была дана команда СТАРТ, и по её "
                               "выстрелам пока нельзя узнать, сделаны ли они после этой команды: такие выстрелы "
                               "пока не засчитываются, а засчитываются, как только это станет ясно. "
                               "Проверьте связь с мишенью %1. "));
}

void FormExecuteEvent::slot_myEvent_TargetShotsHeld(int target)
{
    sayHeldWord(target, QStringLiteral("Выстрелы задержаны!"),
                QStringLiteral("По выстрелам мишени %1 пока нельзя узнать, сделаны ли они после команды "
                               "СТАРТ: такие выстрелы пока не засчитываются, а засчитываются, как только "
                               "это станет ясно. Проверьте связь с мишенью %1. "));
}

void FormExecuteEvent::slot_myEvent_TargetNoNewShots(int target)
{
    sayHeldWord(target, QStringLiteral("Нет новых выстрелов!"),
                QStringLiteral("Каждый выстрел, прочитанный с мишени %1 после команды СТАРТ, в точности "
                               "такой же, как прочитанный до неё: возможно, мишень не приняла команду "
                               "СТАРТ. Проверьте мишень %1. "));
}

void FormExecuteEvent::slot_myEvent_TargetShotsFlagged(int target, int count, bool repeats)
{
    const QString what = repeats
        ? QStringLiteral("Мишень %1 — за время стрельбы с неё не прочитано ни одного нового "
                         "выстрела; выстрелов, в точности таких же, как прочитанные до команды "
                         "СТАРТ, — %2; они не засчитаны. ")
        : QStringLiteral("Мишень %1: выстрелов, о которых до конца стрельбы так и не стало ясно, "
                         "сделаны ли они после команды СТАРТ, — %2; они не засчитаны. ");
    sayLaneWord(target, Truth::WhileFlagged, QStringLiteral("Выстрелы отмечены для перестрела"),
                what.arg(target).arg(count)
                    + QStringLiteral("Недостающие выстрелы отмечены для перестрела: в "
                                     "перерыве перестреляйте их кнопкой в строке мишени %1 "
                                     "или нажмите СТОП.")
                          .arg(target));
}

void FormExecuteEvent::slot_myEvent_TargetPageLost(int target, int held)
{
    QString text = QStringLiteral("Мишень %1 потеряла записанные выстрелы: её ответы не "
                                  "совпадают с прочитанными с неё раньше (возможно, её "
                                  "выключали). Засчитанные выстрелы сохранены, новые читаются с "
                                  "её первого выстрела. Проверьте мишень %1.")
                       .arg(target);
    if (held > 0)
        text += QStringLiteral(" Её выстрелы под вопросом (%1) не потеряны: укажите в окне "
                               "«Выстрелы под вопросом», какие из них засчитать.")
                    .arg(held);
    sayLaneWord(target, Truth::UntilStart, QStringLiteral("Мишень выключалась!"), text);
}

void FormExecuteEvent::setTargetMissing(int target, bool missing)
{
    if (missing) {
        sayBusWord(-1, target, false,
                   QStringLiteral("%1 не отвечает больше %2 секунд. Остальные мишени "
                                  "обслуживаются как обычно, а мишень %3 опрашивается: когда она "
                                  "ответит, об этом будет сообщено. Проверьте, включена ли "
                                  "мишень %3, и её кабель.")
                       .arg(targetAndShooter(target))
                       .arg(LaneWait::kToldAfterMs / 1000)
                       .arg(target));
        return;
    }
    sayBusWord(-1, target, true, QStringLiteral("%1 снова отвечает.").arg(targetAndShooter(target)));
}

void FormExecuteEvent::setPortLost(int port, bool lost, const QList<int> &targets)
{
    QStringList lanes;
    for (int target : targets)
        lanes << QString::number(target);
    const QString behind = lanes.isEmpty()
        ? QString()
        : (lanes.size() == 1 ? QStringLiteral(" (мишень %1)") : QStringLiteral(" (мишени %1)"))
              .arg(lanes.join(QStringLiteral(", ")));
    if (lost) {
        sayBusWord(port, -1, false,
                   QStringLiteral("Конвертор %1%2 не отвечает больше %3 секунд: мишени за ним не "
                                  "опрашиваются. Когда он ответит, об этом будет сообщено. "
                                  "Проверьте питание конвертора и его кабель.")
                       .arg(port)
                       .arg(behind)
                       .arg(EMUProc::kPortLostToldAfterMs / 1000),
                   targets);
        return;
    }
    sayBusWord(port, -1, true, QStringLiteral("Конвертор %1%2 снова отвечает.").arg(port).arg(behind));
}

void FormExecuteEvent::sayLaneWord(int target, Truth truth, const QString &title,
                                   const QString &text)
{
    // A word on the page, not a box: the operator's buttons stay free while
    // it stands. The lane's newer word says what is known now.
    for (int i = m_busWords.size() - 1; i >= 0; --i) {
        if (m_busWords.at(i).target == target && m_busWords.at(i).truth != Truth::Bus)
            m_busWords.removeAt(i);
    }
    BusWord word;
    word.target = target;
    // The title first, so that a line cut short still says what it is of.
    const QString after = title.endsWith(QLatin1Char('!')) ? QStringLiteral(" ") : QStringLiteral(". ");
    word.text = title + after + text;
    word.serial = ++m_busWordSerial;
    word.truth = truth;
    const TBulletList *list = shownList();
    if (const TMemberPlace *place = list ? list->placeByTarget(target) : nullptr)
        word.startMs = place->laneStart().startMs();
    // Told as true: what keeps it is noted now, and the word is looked at
    // again once the exercise has done acting (a series' misses are
    // flagged after its word).
    stillTrue(word);
    m_busWords.append(word);
    showBusWords();
    recheckLaneWords();
}

bool FormExecuteEvent::stillTrue(BusWord &word) const
{
    const TBulletList *list = shownList();
    const TMemberPlace *place = list ? list->placeByTarget(word.target) : nullptr;
    if (!place)
        return true; // nothing tells otherwise
    const LaneStart &lane = place->laneStart();
    const bool sameStart = lane.startMs() == word.startMs;
    switch (word.truth) {
    case Truth::Bus:
        return true;
    case Truth::WhileMissed:
        // Later answers may fit this START again: then it may have taken it.
        // The next START leaves these states.
        return lane.state() == LaneStart::State::Kept || lane.state() == LaneStart::State::Other;
    case Truth::WhileHeld:
        return sameStart && lane.holdsShots();
    case Truth::UntilStart:
        return sameStart;
    case Truth::WhileFlagged: {
        // Not tied to a START: a rapid-fire window's flags wait for the
        // break after the series' last window. Flagged after the word is
        // told, the shots are first looked for once they are in the list.
        const bool flagged = place->countFlagged(list->shotColumns()) > 0;
        word.seenTrue = word.seenTrue || flagged;
        return flagged || !word.seenTrue;
    }
    }
    return true;
}

void FormExecuteEvent::recheckLaneWords()
{
    if (m_recheckQueued)
        return;
    m_recheckQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_recheckQueued = false;
        bool withdrawn = false;
        for (int i = m_busWords.size() - 1; i >= 0; --i) {
            if (!stillTrue(m_busWords[i])) {
                m_busWords.removeAt(i);
                withdrawn = true;
            }
        }
        if (withdrawn)
            showBusWords();
    });
}

void FormExecuteEvent::sayBusWord(int port, int target, bool back, const QString &text,
                                  const QList<int> &lanes)
{
    // A new word of the same target or converter says what is true now.
    for (int i = m_busWords.size() - 1; i >= 0; --i) {
        if (m_busWords.at(i).port == port && m_busWords.at(i).target == target
            && m_busWords.at(i).truth == Truth::Bus)
            m_busWords.removeAt(i);
    }
    BusWord word;
    word.port = port;
    word.target = target;
    word.back = back;
    word.text = text;
    word.lanes = lanes;
    const int serial = word.serial = ++m_busWordSerial;
    m_busWords.append(word);
    if (back) {
        QTimer::singleShot(kBackWordShownMs, this, [this, serial] {
            for (int i = m_busWords.size() - 1; i >= 0; --i) {
                if (m_busWords.at(i).serial == serial)
                    m_busWords.removeAt(i);
            }
            showBusWords();
        });
    }
    showBusWords();
}

void FormExecuteEvent::withdrawTargetWords()
{
    for (int i = m_busWords.size() - 1; i >= 0; --i) {
        if (m_busWords.at(i).target >= 0)
            m_busWords.removeAt(i);
    }
    showBusWords();
}

void FormExecuteEvent::showBusWords()
{
    // A lane behind a lost converter is named in the converter's word; its
    // own word shows again once the converter is back and it is still true.
    QSet<int> behindLost;
    for (const BusWord &word : qAsConst(m_busWords)) {
        if (word.port >= 0 && !word.back)
            behindLost.unite(QSet<int>(word.lanes.cbegin(), word.lanes.cend()));
    }
    // One line a word, what is wrong first, the newest on top; cut to the
    // band's width: the band keeps its height over the tables, and a word's
    // whole text is its tip.
    QListWidget *band = ui->lw_laneWords;
    band->clear();
    for (const bool back : {false, true}) {
        for (int i = m_busWords.size() - 1; i >= 0; --i) {
            const BusWord &word = m_busWords.at(i);
            if (word.back != back
                || (!back && word.port < 0 && word.truth == Truth::Bus && behindLost.contains(word.target)))
                continue;
            auto *line = new QListWidgetItem(word.text, band);
            line->setForeground(QColor(QLatin1String(back ? kBackColour : kTroubleColour)));
            line->setToolTip(QStringLiteral("<p>%1</p>").arg(word.text.toHtmlEscaped()));
        }
    }
    const int lines = std::min(band->count(), kWordLinesShown);
    if (lines > 0)
        band->setFixedHeight(lines * band->sizeHintForRow(0) + 2 * band->frameWidth());
    band->setVisible(lines > 0);
}

QString FormExecuteEvent::targetAndShooter(int target) const
{
    QString text = QStringLiteral("Мишень %1").arg(target);
    const TBulletList *list = shownList();
    const TMemberPlace *place = list ? list->placeByTarget(target) : nullptr;
    if (!place)
        return text;
    QStringList shooter;
    if (!place->name().isEmpty())
        shooter << place->name();
    if (place->startNumber() >= 0)
        shooter << QStringLiteral("стартовый номер %1").arg(place->startNumber());
    if (!shooter.isEmpty())
        text += QStringLiteral(" (%1)").arg(shooter.join(QStringLiteral(", ")));
    return text;
}

QString FormExecuteEvent::whatFollows(int target, bool refuses) const
{
    if (m_reshotInBreak)
        return QStringLiteral("Недостающие выстрелы будут отмечены для перестрела: в перерыве "
                              "перестреляйте их кнопкой в строке мишени %1 или нажмите СТОП.")
            .arg(target);
    if (refuses)
        return QStringLiteral("Время её прежней стрельбы истекло, и новых выстрелов она не "
                              "примет: смена сама не завершится. Когда остальные мишени "
                              "закончат, нажмите СТОП: недостающие выстрелы будут засчитаны "
                              "промахами.");
    return QStringLiteral("Смена будет завершена, когда мишень передаст все выстрелы; если она "
                          "новых выстрелов не принимает, нажмите СТОП: недостающие выстрелы "
                          "будут засчитаны промахами.");
}

void FormExecuteEvent::sayHeldWord(int target, const QString &title, const QString &text)
{
    sayLaneWord(target, Truth::WhileHeld, title, text.arg(target) + whatBecomesOfHeld());
}

QString FormExecuteEvent::whatBecomesOfHeld() const
{
    return m_reshotInBreak
        ? QStringLiteral("Если это не станет ясно до конца серии, они будут отмечены для "
                         "перестрела.")
        : QStringLiteral("Если это не станет ясно, вы укажете, какие из них засчитать, когда "
                         "мишень передаст все выстрелы или при нажатии СТОП.");
}
