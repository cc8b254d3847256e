#include "tviewmodul.h"

#include "counrtylist.h"
#include "datapaths.h"
#include "storageerror.h"
#include "tcompetition.h"
#include "tcompetitionlist.h"
#include "tcompetitionlistproxy.h"
#include "tcountry.h"
#include "tdbaccessor.h"
#include "tevent.h"
#include "tviewbulletlist.h"
#include "tviewbulletlistmodel.h"
#include "tviewserieslistmodel.h"
#include "xmlfile.h"

namespace {
// The viewer's own connection; the competition module has "main".
const QString kConnectionName = QStringLiteral("view");
constexpr int kFinished = 1;
constexpr int kUnfinished = 0;
} // namespace

TViewModul::TViewModul(QObject *parent) : QObject(parent)
{
    m_db = new TdbAccessor(kConnectionName, this);
    m_countries = std::make_unique<CounrtyList>();
    m_countries->load(DataPaths::path(DataPaths::kCountriesDir), DataPaths::kCountriesFile);

    m_finishedList = std::make_unique<TCompetitionList>(m_db);
    m_finishedProxy = std::make_unique<TCompetitionlistProxy>(m_finishedList.get());
    m_finishedList->loadCompetitions(kFinished);
    m_unfinishedList = std::make_unique<TCompetitionList>(m_db);
    m_unfinishedProxy = std::make_unique<TCompetitionlistProxy>(m_unfinishedList.get());
    m_unfinishedList->loadCompetitions(kUnfinished);

    m_shotModel = std::make_unique<TViewBulletListModel>();
    m_seriesModel = std::make_unique<TViewSeriesListModel>();
    m_shotProxy = std::make_unique<TViewBulletListRelayProxy>(m_shotModel.get());
    m_seriesProxy = std::make_unique<TViewSeriesListRelayProxy>(m_seriesModel.get());

    connect(m_db, &TdbAccessor::errorSQL, this, &TViewModul::errorSQL);
}

TViewModul::~TViewModul()
{
    // The proxies and tables read the lists; the lists read the countries.
    m_shotProxy.reset();
    m_seriesProxy.reset();
    clearBulletLists();
    delete m_competition;
    m_competition = nullptr;
}

void TViewModul::errorSQL(int err)
{
    m_lastError = err;
}

QString TViewModul::errorText() const
{
    return storageErrorText(m_lastError);
}

void TViewModul::closeAndRefreshLists()
{
    m_lastError = 0;
    closeCompetition();
    refreshCompetitionList(true);
    refreshCompetitionList(false);
}

void TViewModul::refreshCompetitionList(bool finished)
{
    if (finished)
        m_finishedList->loadCompetitions(kFinished);
    else
        m_unfinishedList->loadCompetitions(kUnfinished);
}

TCompetition *TViewModul::openCompetition(int competitionId)
{
    m_lastError = 0;
    closeCompetition();
    m_competition = new TCompetition(m_db, competitionId, true);
    findUnscoredEvents();
    createBulletLists();
    for (TEvent *event = m_competition->event(0); event; event = m_competition->eventAfter(event)) {
        if (!isScored(event))
            continue;
        if (TViewBulletList *list = bulletListOfEvent(event->id())) {
            list->loadAll();
            layoutSeriesOfEvent(event, list);
        }
    }
    if (m_competition->event(0))
        selectEvent(0);
    return m_competition;
}

void TViewModul::closeCompetition()
{
    clearBulletLists();
    m_unscored.clear();
    m_currentEvent = nullptr;
    delete m_competition;
    m_competition = nullptr;
}

void TViewModul::findUnscoredEvents()
{
    m_unscored.clear();
    const QList<const TEvent *> unlisted = m_competition->unlistedEvents();
    if (unlisted.isEmpty())
        return;
    // The list as the competition has just read it: unreadable, or without
    // these exercises.
    const XmlFileFailure failure = xmlListFailure(
        m_competition->eventsDir() + QLatin1Char('/') + DataPaths::kEventsTypeFile,
        DataPaths::kEventsTypeRoot);
    const QString why = QStringLiteral("список упражнений %1/%2: %3")
                            .arg(DataPaths::kEventsDir, DataPaths::kEventsTypeFile,
                                 failure.failed() ? xmlFailureText(failure)
                                                  : QStringLiteral("в нём нет этого упражнения"));
    for (const TEvent *event : unlisted)
        m_unscored.insert(event->id(), why);
}

QString TViewModul::unscoredReason(const TEvent *event) const
{
    return event ? m_unscored.value(event->id()) : QString();
}

QList<const TEvent *> TViewModul::unscoredEvents() const
{
    return m_competition ? m_competition->unlistedEvents() : QList<const TEvent *>();
}

QString TViewModul::eventName(const TEvent *event) const
{
    if (!event)
        return QString();
    if (!event->nameEng().isEmpty())
        return event->nameEng();
    return event->isFinal() ? QStringLiteral("финал")
                            : QStringLiteral("упражнение %1").arg(event->num());
}

QString TViewModul::eventTitle(const TEvent *event) const
{
    if (isScored(event))
        return event ? event->nameEng() : QString();
    return QStringLiteral("%1 — не подсчитано").arg(eventName(event));
}

void TViewModul::createBulletLists()
{
    clearBulletLists();
    m_currentEvent = nullptr;
    if (!m_competition)
        return;
    for (TEvent *event = m_competition->event(0); event; event = m_competition->eventAfter(event)) {
        m_bulletLists.append(new TViewBulletList(m_countries.get(), m_competition->id(),
                                                 event->id(), m_db, event->targetType(),
                                                 event->isView10(), event->calibre(),
                                                 event->controlValue()));
    }
}

void TViewModul::clearBulletLists()
{
    m_shotModel->setBulletList(nullptr);
    m_seriesModel->setBulletList(nullptr);
    qDeleteAll(m_bulletLists);
    m_bulletLists.clear();
}

bool TViewModul::deleteCompetition()
{
    clearBulletLists();
    if (!m_competition)
        return false;
    const bool finished = m_competition->isFinished();
    if (!m_competition->removeFromDb())
        return false;
    m_currentEvent = nullptr;
    delete m_competition;
    m_competition = nullptr;
    refreshCompetitionList(finished);
    return true;
}

bool TViewModul::selectEvent(int index)
{
    if (!m_competition)
        return false;
    TEvent *event = m_competition->event(index);
    if (event && event == m_currentEvent)
        return false;
    m_currentEvent = event;
    if (!event)
        return false;
    const int i = m_competition->indexOfEvent(event);
    if (i < 0 || i >= m_bulletLists.size())
        return true;
    m_shotModel->setBulletList(m_bulletLists.at(i));
    m_shotProxy->setModel(m_shotModel.get());
    m_seriesModel->setBulletList(m_bulletLists.at(i));
    m_seriesProxy->setModel(m_seriesModel.get());
    return true;
}

void TViewModul::setRelay(int relay)
{
    if (!m_competition || !m_currentEvent)
        return;
    m_shotProxy->setRelay(relay);
    m_seriesProxy->setRelay(relay);
}

void TViewModul::setSeries(int number)
{
    m_shotModel->setSeries(number);
    m_shotProxy->invalidate();
}

int TViewModul::seriesCountOfCurrent() const
{
    const int i = m_competition ? m_competition->indexOfEvent(m_currentEvent) : -1;
    return i >= 0 && i < m_bulletLists.size() ? m_bulletLists.at(i)->seriesCount() : 0;
}

QSet<int> TViewModul::currentHash() const
{
    const int i = m_competition ? m_competition->indexOfEvent(m_currentEvent) : -1;
    return i >= 0 && i < m_bulletLists.size() ? m_bulletLists.at(i)->hash() : QSet<int>();
}

TViewBulletList *TViewModul::bulletListOfEvent(int eventId) const
{
    for (TViewBulletList *list : m_bulletLists) {
        if (list->eventId() == eventId)
            return list;
    }
    return nullptr;
}

const TCountry *TViewModul::competitionCountry() const
{
    return m_competition ? m_countries->countryByID(m_competition->countryXMLID()) : nullptr;
}

QImage TViewModul::competitionImage() const
{
    const TCountry *country = competitionCountry();
    return country ? country->flag() : QImage();
}

QString TViewModul::competitionText() const
{
    const TCountry *country = competitionCountry();
    return country ? country->nameEng() : QString();
}

QString TViewModul::currentEventName() const
{
    return eventTitle(m_currentEvent);
}
