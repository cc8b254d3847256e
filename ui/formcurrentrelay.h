#pragma once

#include "searchblink.h"

#include <QWidget>

#include <memory>

class TIconDelegate;
class TUserModul;

namespace Ui {
class FormCurrentRelay;
}

// The relay about to shoot: its exercise and number, each member's target
// and terminal with whether it has answered on the bus, the number of
// converters that answer, and a blinking line while converters or targets are
// still sought. The run screen is offered only once everything answers.
class FormCurrentRelay : public QWidget
{
    Q_OBJECT

public:
    // Search states.
    enum State { TargetsFound = 0, ConverterSearch = 1, TargetSearch = 2 };

    explicit FormCurrentRelay(TUserModul *module, QWidget *parent = nullptr);
    ~FormCurrentRelay() override;

    // The number of converters that answer, at every port report.
    void setConverterCount(int count);
    // Follows the run relay's answer flags, at every target or terminal report.
    void updateSearchState();
    void updateNetIcon();
    // A negative state applies the stored one again.
    void setState(int state);

signals:
    void sig_Back();
    void sig_Next();

protected:
    void showEvent(QShowEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private slots:
    void on_pbBack_clicked();
    void on_pBNext_clicked();

private:
    void startBlink();
    void stopBlink();

    std::unique_ptr<Ui::FormCurrentRelay> m_ui;
    TUserModul *m_module = nullptr; // not owned
    std::unique_ptr<TIconDelegate> m_iconDelegate;
    int m_state = ConverterSearch;
    int m_converterCount = 0;
    int m_blinkTimerID = -1;
    int m_blinkPeriodMs = 50;
    SearchBlink m_blink; // opacity of the state line
};
