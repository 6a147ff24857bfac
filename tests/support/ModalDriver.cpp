#include "ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QDialog>
#include <QEvent>

ModalDriver::ModalDriver(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
    m_timer.start();
}

ModalDriver::~ModalDriver() = default;

void ModalDriver::onNext(std::function<void(QWidget *)> handler)
{
    m_handlers.append(std::move(handler));
}

void ModalDriver::pressNext(QMessageBox::StandardButton button)
{
    onNext([button](QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w))
            click(box, button);
        else if (auto *dlg = qobject_cast<QDialog *>(w))
            dlg->reject();
    });
}

void ModalDriver::click(QMessageBox *box, QMessageBox::StandardButton button)
{
    if (QAbstractButton *b = box->button(button))
        b->click();
    else
        box->done(button);
}

bool ModalDriver::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide && watched == m_current) {
        watched->removeEventFilter(this);
        m_current = nullptr;
    }
    return QObject::eventFilter(watched, event);
}

void ModalDriver::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == m_current || !modal->isVisible())
        return;
    m_current = modal;
    // A dialog shown again (the same object) counts as a new one.
    modal->installEventFilter(this);

    Seen seen;
    seen.className = QString::fromLatin1(modal->metaObject()->className());
    seen.objectName = modal->objectName();
    seen.title = modal->windowTitle();
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (box) {
        seen.text = box->text();
        seen.icon = box->icon();
    }
    m_seen.append(seen);

    if (!m_handlers.isEmpty()) {
        auto handler = m_handlers.takeFirst();
        // Run outside this timer's slot: a box that the handler's click
        // opens (validation) needs the timer again to be answered.
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [handler, target] {
            if (target)
                handler(target);
        });
        return;
    }
    if (box) {
        QAbstractButton *b = box->defaultButton();
        if (!b && !box->buttons().isEmpty())
            b = box->buttons().first();
        if (b)
            b->click();
        else
            box->done(0);
    } else if (auto *dlg = qobject_cast<QDialog *>(modal)) {
        dlg->reject();
    }
}
