#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class CounrtyList;
class TCompetition;
class TCompetitionList;
class TCompetitionlistProxy;
class TCountry;
class TdbAccessor;
class TEvent;
class TViewBulletList;
class TViewBulletListModel;
class TViewBulletListRelayProxy;
class TViewSeriesListModel;
class TViewSeriesListRelayProxy;

// The results viewer's side of the program: its own connection "view" to the
// competitions database, the stored competitions finished and not, and the
// one competition open in the viewer with the stored results of each of its
// exercises. The competition module is never touched: what the operator runs
// meanwhile shows up here when the lists are refreshed.
//
// The viewer page sets the lists, the two tables and their relay filters on
// its views once; they live as long as the module.
class TViewModul : public QObject
{
    Q_OBJECT

public:
    explicit TViewModul(QObject *parent = nullptr);
    ~TViewModul() override;

    TdbAccessor *db() const { return m_db; }

    // The competitions for the page's two lists.
    TCompetitionList *finishedList() const { return m_finishedList.get(); }
    TCompetitionlistProxy *finishedProxy() const { return m_finishedProxy.get(); }
    TCompetitionList *unfinishedList() const { return m_unfinishedList.get(); }
    TCompetitionlistProxy *unfinishedProxy() const { return m_unfinishedProxy.get(); }
    void closeAndRefreshLists();
    void refreshCompetitionList(bool finished);

    // The open competition, loaded with the stored results of every exercise
    // and its first exercise selected; the one open before is closed.
    TCompetition *openCompetition(int competitionId);
    void closeCompetition();
    TCompetition *competition() const { return m_competition; }
    // Removes the open competition from the database with everything stored
    // for it; false, keeping it, when that fails or none is open.
    bool deleteCompetition();

    // The exercise at that index of the competition's chain; false when it
    // is the selected one already, when there is none there, or no
    // competition is open.
    bool selectEvent(int index);
    TEvent *currentEvent() const { return m_currentEvent; }
    // Both relay filters; a negative relay shows every row.
    void setRelay(int relay);
    void setSeries(int number);
    int seriesCountOfCurrent() const;
    // The relay numbers of the selected exercise.
    QSet<int> currentHash() const;
    TViewBulletList *bulletListOfEvent(int eventId) const;

    // An exercise of the open competition that the exercise list cannot
    // describe (the list cannot be read, or it lacks the exercise's type or
    // sub-type) is not scored: its shots would be valued on default
    // parameters, another target face and series. Its list stays empty.
    // Why, in the operator's words; empty for an exercise that is scored.
    QString unscoredReason(const TEvent *event) const;
    bool isScored(const TEvent *event) const { return unscoredReason(event).isEmpty(); }
    // The open competition's exercises that are not scored, in chain order.
    QList<const TEvent *> unscoredEvents() const;
    // The exercise's English name, or, when the list gives it none, its
    // number or "финал".
    QString eventName(const TEvent *event) const;
    // The name the page shows: an exercise not scored is marked so.
    QString eventTitle(const TEvent *event) const;

    // The country the competition is held in: flag and English name.
    QImage competitionImage() const;
    QString competitionText() const;
    QString currentEventName() const;

    // The tables of the selected exercise and their relay filters.
    TViewBulletListModel *shotModel() const { return m_shotModel.get(); }
    TViewSeriesListModel *seriesModel() const { return m_seriesModel.get(); }
    TViewBulletListRelayProxy *shotProxy() const { return m_shotProxy.get(); }
    TViewSeriesListRelayProxy *seriesProxy() const { return m_seriesProxy.get(); }

    // The last storage failure since the competition was last opened or the
    // lists last refreshed: what the operator is then shown may be
    // incomplete.
    int lastError() const { return m_lastError; }
    bool hasError() const { return m_lastError > 0; }
    QString errorText() const;

public slots:
    void errorSQL(int err);

private:
    void findUnscoredEvents();
    void createBulletLists();
    void clearBulletLists();
    const TCountry *competitionCountry() const;

    TdbAccessor *m_db = nullptr; // child of the module
    int m_lastError = 0;
    std::unique_ptr<CounrtyList> m_countries;
    TCompetition *m_competition = nullptr;  // owned
    QList<TViewBulletList *> m_bulletLists; // owned; one per exercise, in chain order
    TEvent *m_currentEvent = nullptr;       // the competition's
    QHash<int, QString> m_unscored;         // exercise ID: why it is not scored
    std::unique_ptr<TCompetitionList> m_finishedList;
    std::unique_ptr<TCompetitionlistProxy> m_finishedProxy;
    std::unique_ptr<TCompetitionList> m_unfinishedList;
    std::unique_ptr<TCompetitionlistProxy> m_unfinishedProxy;
    std::unique_ptr<TViewBulletListModel> m_shotModel;
    std::unique_ptr<TViewSeriesListModel> m_seriesModel;
    std::unique_ptr<TViewBulletListRelayProxy> m_shotProxy;
    std::unique_ptr<TViewSeriesListRelayProxy> m_seriesProxy;
};
