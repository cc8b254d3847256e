#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

namespace Ui {
class FormLog;
}

class QMouseEvent;

// The raw traffic of the range bus for the operator: one row per frame
// written, per chunk read and per answer frame recognised, newest on top, and
// the state of the five converter ports. Rows live only in the list, which
// keeps at most kMaxRows. The window has no title bar of its own: it floats
// over the main window's pages and is dragged with the mouse.
class FormLog : public QWidget
{
    Q_OBJECT

public:
    // A full list is emptied at once by the next report.
    static constexpr int kMaxRows = 100;
    static constexpr int kPortCount = 5;

    explicit FormLog(QWidget *parent = nullptr);
    ~FormLog() override;

    // Shows port id (1 to kPortCount) as answering or not, under its COM
    // number ("-" for a negative one); another id changes nothing.
    void setPortState(int id, int comNum, bool found);

    // The bytes as lower-case hexadecimal pairs separated by single blanks.
    static QString hexText(const QByteArray &bytes);

signals:
    void sig_stop();

public slots:
    // One row for the bytes, unless logging is off; a full list is emptied
    // first, even for an empty report.
    void slot_addReport(int direct, int portID, int portNum, QByteArray arr, int anserfound);
    void slot_logsenable(bool _value);

private slots:
    void slot_fileEnable(bool en);
    void on_pushButton_clicked();
    void on_pushButton_2_clicked();
    void on_btn_enable_clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void resetPortStates();
    void fitColumns();

    Ui::FormLog *ui = nullptr; // owned
    // Where the last press took the window, in its own coordinates; -1 once
    // the button is released, so a move does not drag it.
    int pressX = 0;
    int pressY = 0;
    bool logging = true;
};
