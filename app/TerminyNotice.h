#pragma once

#include <QDate>
#include <QObject>
#include <QTimer>

class MainWindow;

// At sign-in, and on the first check of every later day for a workstation
// left running, says how many tools of the user's warehouses are past
// their planned return and past their inspection, with buttons that open
// the registers filtered to them. The counts are read from the database at
// that moment; a workstation may turn the notice off.
class TerminyNotice : public QObject
{
    Q_OBJECT

public:
    explicit TerminyNotice(MainWindow *window);

    static bool enabled();
    static void setEnabled(bool on);

    // Shows the notice now when it is on and something is late; false
    // when nothing was shown.
    bool showNow();

private:
    void daily();

    MainWindow *m_window;
    QTimer m_timer;
    QDate m_shown;
};
