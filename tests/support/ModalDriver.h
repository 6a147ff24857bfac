#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

// Acts on modal dialogs and message boxes as a user would, while the code
// under test sits in their exec(). Every modal widget seen is recorded and
// handed to the next queued handler. Strict: a modal widget nobody expected
// fails the test (and is closed), a failed check inside a handler closes
// the widget and everything opened after it, a widget a handler leaves
// open fails the test, and handlers still queued at the end fail it too.
class ModalDriver : public QObject
{
    Q_OBJECT

public:
    struct Seen
    {
        QString className;
        QString objectName;
        QString title;
        QString text;          // message boxes only
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    explicit ModalDriver(QObject *parent = nullptr);
    ~ModalDriver() override;

    // The next modal widget goes to this handler, which must close it (or
    // press a button that leads to the next modal widget).
    void onNext(std::function<void(QWidget *)> handler);
    // The next one must be a message box; the button is pressed.
    void pressNext(QMessageBox::StandardButton button);
    // The next one must be a message box with this title (and text, when
    // given); the button is pressed.
    void expectBox(const QString &title, const QString &text = QString(),
                   QMessageBox::StandardButton button = QMessageBox::Ok);
    // The next one is closed as with Escape, whatever it is.
    void closeNext();

    const QList<Seen> &seen() const { return m_seen; }
    int count() const { return m_seen.size(); }
    const Seen &last() const { return m_seen.last(); }
    void clear() { m_seen.clear(); }
    int pendingHandlers() const { return m_handlers.size(); }
    // Handlers for a box that may or may not have come (a command that
    // either succeeds quietly or explains why not) are dropped.
    void dropPending() { m_handlers.clear(); }

    static void click(QMessageBox *box, QMessageBox::StandardButton button);
    // What the user could not read of a shown window: a label shorter than
    // its text, a widget outside the window, a title wider than the box.
    // Empty when everything shows. Every modal widget seen is checked.
    static QString layoutFault(QWidget *window);
    static void close(QWidget *modal, bool force = false);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void poll();
    void fail(const QString &why);

    QTimer m_timer;
    QElapsedTimer m_clock;
    QList<std::function<void(QWidget *)>> m_handlers;
    QList<Seen> m_seen;
    QPointer<QWidget> m_current;
    // A handler returned with its widget still on top and nothing new shown.
    QPointer<QWidget> m_handled;
    qint64 m_handledAt = 0;
    int m_seenAtHandled = 0;
    // Widgets whose handler is running (a nested dialog may be on top).
    QList<QPointer<QWidget>> m_running;
    bool m_aborting = false;
};
