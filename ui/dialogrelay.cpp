#include "dialogrelay.h"

#include "ui_dialogrelay.h"

#include <algorithm>

namespace {

// The relay numbers offered even before the competition has that many.
constexpr int kMinRelays = 10;

} // namespace

DialogRelay::DialogRelay(int AddrStart, int AddrCol, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::DialogRelay>())
    , m_addrStart(AddrStart)
    , m_addrCol(AddrCol)
{
    m_ui->setupUi(this);
    setTargetRange();
}

DialogRelay::~DialogRelay() = default;

int DialogRelay::lastTarget() const
{
    // An empty range is refused when the settings are read; an address range
    // of one still serves its first address.
    return m_addrStart + std::max(m_addrCol, 1) - 1;
}

void DialogRelay::setTargetRange()
{
    m_ui->sB_targetAddr->setRange(m_addrStart, lastTarget());
}

void DialogRelay::setRelayCount(int relays)
{
    m_relayCount = relays;
}

void DialogRelay::setRanges(int relay, int target)
{
    m_ui->sB_relayNum->setRange(1, std::max({kMinRelays, m_relayCount, relay}));
    int first = m_addrStart;
    int last = lastTarget();
    if (target >= 1) {
        first = std::min(first, target);
        last = std::max(last, target);
    }
    m_ui->sB_targetAddr->setRange(first, last);
}

void DialogRelay::show_dialog(const QString &name, int _relayNum, int _targetAddr)
{
    m_ui->l_shooter->setText(name);
    m_storedTarget = _targetAddr;
    setRanges(_relayNum, _targetAddr);
    m_ui->sB_relayNum->setValue(_relayNum >= 1 ? _relayNum : 1);
    m_ui->sB_targetAddr->setValue(_targetAddr >= 1 ? _targetAddr : 1);
    show();
}

void DialogRelay::on_sB_targetAddr_valueChanged(int value)
{
    // Leaving a stored out-of-range target goes back into the served range at
    // once: no other address that nobody polls can be chosen.
    if ((value < m_addrStart || value > lastTarget()) && value != m_storedTarget)
        m_ui->sB_targetAddr->setValue(std::clamp(value, m_addrStart, lastTarget()));
}

void DialogRelay::on_pbOK_clicked()
{
    emit sig_setData(m_ui->sB_relayNum->value(), m_ui->sB_targetAddr->value());
    hide();
}

void DialogRelay::on_pBCansel_2_clicked()
{
    hide();
}
