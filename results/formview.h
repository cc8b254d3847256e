#pragma once

#include <QWidget>

#include <array>

class QAbstractItemModel;
class QModelIndex;
class QPushButton;
class QShowEvent;
class TViewModul;

namespace Ui {
class FormVIEW;
}

// The results viewer page: the stored competitions, finished or not, and the
// one the operator picks with its header, its standings and two detail tabs
// (an exercise's series and shots, and the same for one relay). It only
// shows what the viewer module loads; nothing is edited here. Every entry
// from the welcome page starts empty.
class FormVIEW : public QWidget
{
    Q_OBJECT

public:
    // modul: not owned; it outlives the page.
    explicit FormVIEW(TViewModul *modul, QWidget *parent = nullptr);
    ~FormVIEW() override;

signals:
    void sig_Back();

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void on_rbfin1_clicked(bool checked);
    void on_rbfin0_clicked(bool checked);
    void on_lw_comp_finished_clicked(const QModelIndex &index);
    void on_lw_comp_NOTfinished_clicked(const QModelIndex &index);
    void on_pB_series1_clicked();
    void on_pB_series1_2_clicked();
    void on_pB_series2_clicked();
    void on_pB_series2_2_clicked();
    void on_pB_series3_clicked();
    void on_pB_series3_2_clicked();
    void on_pB_series4_clicked();
    void on_pB_series4_2_clicked();
    void on_pB_series5_clicked();
    void on_pB_series5_2_clicked();
    void on_pB_series6_clicked();
    void on_pB_series6_2_clicked();
    void on_pB_series7_clicked();
    void on_pB_series7_2_clicked();
    void on_pB_series8_clicked();
    void on_pB_series8_2_clicked();
    void on_pB_series9_clicked();
    void on_pB_series9_2_clicked();
    void on_pB_series10_clicked();
    void on_pB_series10_2_clicked();
    void on_pB_series11_clicked();
    void on_pB_series11_2_clicked();
    void on_pB_series12_clicked();
    void on_pB_series12_2_clicked();
    void on_cB_Event_currentIndexChanged(int index);
    void on_cB_Event_2_currentIndexChanged(int index);
    void on_cB_Relay_currentIndexChanged(int index);
    void on_pushButton_clicked();

private:
    static constexpr int kSeriesButtons = 12;

    void openCompetitionOf(const QModelIndex &index);
    // Names the exercises of the open competition that are not scored, and why.
    void reportUnscored();
    void setSeriesCount(int n);
    void checkSeriesButtons(int n);
    void chooseList(bool finished);
    void setListVisible(bool finished);
    void setRelay(int relay);
    void setSeries(int n);
    void updateEventLabels();
    void fillEvents();
    void updateTotals();
    void releaseTotals();
    void fillRelays();
    void setEvent(int index);
    void showCompetitionHeader();

    Ui::FormVIEW *ui = nullptr;   // owned
    TViewModul *m_modul = nullptr; // not owned
    QAbstractItemModel *m_totals = nullptr; // owned; reads the module's stored lists
    bool m_finished = true;
    int m_event = 1;
    int m_relay = 1;
    int m_series = 1;
    // The series buttons of the exercise tab and of the relay tab, 1 to 12.
    std::array<QPushButton *, kSeriesButtons> m_seriesButtons{};
    std::array<QPushButton *, kSeriesButtons> m_relaySeriesButtons{};
};
