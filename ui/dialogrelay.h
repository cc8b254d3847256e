#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class DialogRelay;
}

// Gives one member a relay number and a target address in the exercise that
// the relays page shows. It changes no data: the page applies the answer.
class DialogRelay : public QDialog
{
    Q_OBJECT

public:
    // The target spin box offers the client addresses the bus serves:
    // AddrStart to AddrStart + AddrCol - 1.
    DialogRelay(int AddrStart, int AddrCol, QWidget *parent = nullptr);
    ~DialogRelay() override;

signals:
    void sig_setData(int _relayNum, int _targetAddr);

public slots:
    void show_dialog(const QString &name, int _relayNum, int _targetAddr);
    // The highest relay number of the competition; the relay spin box offers
    // at least ten relays and never fewer than the competition has.
    void setRelayCount(int relays);

private slots:
    void on_pbOK_clicked();
    void on_pBCansel_2_clicked();
    void on_sB_targetAddr_valueChanged(int value);

private:
    void setTargetRange();
    // The ranges of the spin boxes widened, for this question only, to the
    // member's stored values, so that OK without a change keeps them.
    void setRanges(int relay, int target);
    int lastTarget() const;

    std::unique_ptr<Ui::DialogRelay> m_ui;
    int m_addrStart = 1;
    int m_addrCol = 10;
    int m_relayCount = 0;
    // The member's target as the page gave it; the only address outside the
    // served range that the target spin box keeps.
    int m_storedTarget = -1;
};
