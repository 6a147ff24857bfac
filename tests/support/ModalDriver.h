#pragma once

#include <QList>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

// Acts on modal dialogs and message boxes as a user would, while the code
// under test sits in their exec(). Every modal widget seen is recorded;
// each is handed to the next queued handler, or, with none queued, a
// message box gets its default (or only) button and a dialog is rejected.
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

    // Queues a handler for the next modal widget; it must close the widget
    // (accept, reject, click a button).
    void onNext(std::function<void(QWidget *)> handler);
    // Queues pressing a standard button of the next message box.
    void pressNext(QMessageBox::StandardButton button);

    const QList<Seen> &seen() const { return m_seen; }
    int count() const { return m_seen.size(); }
    const Seen &last() const { return m_seen.last(); }
    void clear() { m_seen.clear(); }
    int pendingHandlers() const { return m_handlers.size(); }

    // Helpers for handlers.
    static void click(QMessageBox *box, QMessageBox::StandardButton button);
    template <typename T>
    static T *child(QWidget *dialog, const QString &name)
    {
        return dialog->findChild<T *>(name);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void poll();

    QTimer m_timer;
    QList<std::function<void(QWidget *)>> m_handlers;
    QList<Seen> m_seen;
    QPointer<QWidget> m_current;
};
