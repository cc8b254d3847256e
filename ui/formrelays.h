#pragma once

#include <QModelIndex>
#include <QString>
#include <QWidget>

#include <memory>

class TUserModul;

namespace Ui {
class FormRelays;
}

// The relays of the competition: for every exercise but the finals, which
// relay each member shoots in and on which target. Lays out a default
// distribution over the client addresses while the competition has no relay,
// and lets the operator go on only when every member has a relay and a target
// of its own. All data lives in the competition module.
class FormRelays : public QWidget
{
    Q_OBJECT

public:
    // AddrStart and AddrCol: the client addresses the bus serves.
    FormRelays(TUserModul *module, int AddrStart, int AddrCol, QWidget *parent = nullptr);
    ~FormRelays() override;

signals:
    void sig_Next();
    void sig_Back();
    // Asks for one member's relay and target in the shown exercise; -1 each
    // when the member is in no relay of it.
    void sig_changeRelay(const QString &name, int _relayNum, int TargetAddr);
    // The highest relay number of the competition, sent before each
    // sig_changeRelay so that the relay dialog offers every relay there is.
    void sig_relayCount(int relays);

public slots:
    void slot_changeRelay(int relaynum, int targetaddr);

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void on_cBEvents_currentIndexChanged(int index);
    void on_pbBack_clicked();
    void on_tw_members_clicked(const QModelIndex &index);
    void on_pushButton_clicked();
    void on_tw_members_doubleClicked(const QModelIndex &index);
    void on_pBNext_clicked();

private:
    void fillEvents();
    bool editSelectedMember();
    void setMemberRelay(int relay, int target);
    void prepareRelays();
    bool checkAllInRelays();
    bool checkTargets();
    int highestRelayNumber() const;

    std::unique_ptr<Ui::FormRelays> m_ui;
    TUserModul *m_module = nullptr; // not owned
    int m_addrStart = 1;
    int m_addrCol = 10;
};
