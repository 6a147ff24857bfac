#include "ModalDriver.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QLabel>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTest>

namespace {
// A dialog a handler leaves on screen this long with nothing new fails.
const qint64 kLeftOpenMs = 3000;

QString describe(const ModalDriver::Seen &s)
{
    return QStringLiteral("%1 \"%2\"%3").arg(s.className, s.title, s.text.isEmpty() ? QString() : QStringLiteral(": ") + s.text);
}
} // namespace

ModalDriver::ModalDriver(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::poll);
    m_timer.start();
}

ModalDriver::~ModalDriver()
{
    if (!m_handlers.isEmpty() && !QTest::currentTestFailed())
        fail(QStringLiteral("%1 expected dialog(s) never shown").arg(m_handlers.size()));
}

void ModalDriver::fail(const QString &why)
{
    QTest::qFail(qPrintable(QStringLiteral("ModalDriver: ") + why), __FILE__, __LINE__);
}

void ModalDriver::onNext(std::function<void(QWidget *)> handler)
{
    m_handlers.append(std::move(handler));
}

void ModalDriver::pressNext(QMessageBox::StandardButton button)
{
    onNext([this, button](QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            click(box, button);
            return;
        }
        fail(QStringLiteral("expected a message box, got ") + describe(m_seen.last()));
        close(w, true);
    });
}

void ModalDriver::expectBox(const QString &title, const QString &text, QMessageBox::StandardButton button)
{
    onNext([this, title, text, button](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box || box->windowTitle() != title || (!text.isNull() && box->text() != text))
            fail(QStringLiteral("expected box \"%1\"%2, got %3")
                         .arg(title, text.isNull() ? QString() : QStringLiteral(": ") + text, describe(m_seen.last())));
        if (box && !QTest::currentTestFailed())
            click(box, button);
        else
            close(w, true);
    });
}

void ModalDriver::closeNext()
{
    onNext([](QWidget *w) { close(w); });
}

void ModalDriver::click(QMessageBox *box, QMessageBox::StandardButton button)
{
    if (QAbstractButton *b = box->button(button))
        b->click();
    else
        box->done(button);
}

QString ModalDriver::layoutFault(QWidget *window)
{
    const QRect inside = window->rect();
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || w->isWindow())
            continue;
        bool scrolled = false;
        for (QWidget *p = w->parentWidget(); p && p != window && !scrolled; p = p->parentWidget())
            scrolled = qobject_cast<QAbstractScrollArea *>(p);
        if (scrolled)
            continue;
        const QRect r(w->mapTo(window, QPoint(0, 0)), w->size());
        const QString name = QStringLiteral("%1 %2").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
        if (!inside.contains(r))
            return QStringLiteral("%1 lies outside its window").arg(name);
        auto *label = qobject_cast<QLabel *>(w);
        if (!label || label->text().isEmpty())
            continue;
        if (label->wordWrap() ? label->height() < label->heightForWidth(label->width())
                              : label->width() < label->sizeHint().width() || label->height() < label->sizeHint().height())
            return QStringLiteral("%1 %3x%4 cuts \"%2\"").arg(name, label->text().left(60)).arg(label->width()).arg(label->height());
    }
    if (qobject_cast<QMessageBox *>(window)) {
        QFont bold = window->font();
        bold.setBold(true);
        if (QFontMetrics(bold).horizontalAdvance(window->windowTitle()) + 100 > window->width())
            return QStringLiteral("title \"%1\" wider than the box").arg(window->windowTitle());
    }
    return QString();
}

void ModalDriver::close(QWidget *modal, bool force)
{
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        QAbstractButton *b = box->escapeButton();
        if (!b && !box->buttons().isEmpty())
            b = box->buttons().last();
        if (b)
            b->click();
        else
            box->done(0);
    } else if (auto *dlg = qobject_cast<QDialog *>(modal)) {
        // After a failure nothing may ask back (a dialog with changes would).
        force ? dlg->done(QDialog::Rejected) : dlg->reject();
    } else {
        modal->close();
    }
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
    if (modal && modal == m_handled && modal == m_current && m_seen.size() == m_seenAtHandled
        && m_clock.elapsed() - m_handledAt > kLeftOpenMs) {
        m_handled = nullptr;
        fail(QStringLiteral("a handler left %1 open").arg(describe(m_seen.last())));
        m_aborting = true;
        close(modal, true);
        return;
    }
    if (!modal || modal == m_current || !modal->isVisible() || m_running.contains(modal))
        return;
    m_current = modal;
    // A dialog shown again (the same object) counts as a new one.
    modal->installEventFilter(this);

    Seen seen;
    seen.className = QString::fromLatin1(modal->metaObject()->className());
    seen.objectName = modal->objectName();
    seen.title = modal->windowTitle();
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        seen.text = box->text();
        seen.icon = box->icon();
    }
    m_seen.append(seen);
    const QString misfit = layoutFault(modal);
    if (!misfit.isEmpty())
        fail(describe(seen) + QStringLiteral(": ") + misfit);

    if (m_aborting || QTest::currentTestFailed()) {
        // After a failure nothing may wait for a user: close what comes.
        m_aborting = true;
        m_handlers.clear();
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [target] {
            if (target)
                close(target, true);
        });
        return;
    }
    if (m_handlers.isEmpty()) {
        fail(QStringLiteral("unexpected ") + describe(seen));
        m_aborting = true;
        QPointer<QWidget> target(modal);
        QTimer::singleShot(0, this, [target] {
            if (target)
                close(target, true);
        });
        return;
    }
    auto handler = m_handlers.takeFirst();
    // Run outside this timer's slot: a box that the handler's click opens
    // (validation) needs the timer again to be answered.
    QPointer<QWidget> target(modal);
    QTimer::singleShot(0, this, [this, handler, target] {
        if (!target)
            return;
        const int before = m_seen.size();
        m_running.append(target);
        handler(target);
        m_running.removeAll(target);
        m_running.removeAll(nullptr);
        if (QTest::currentTestFailed()) {
            m_aborting = true;
            m_handlers.clear();
            if (target && target->isVisible())
                close(target, true);
            return;
        }
        if (!target || !target->isVisible())
            return;
        if (m_seen.size() > before) {
            // Still open after a box it raised (a refused OK): the next
            // handler takes it over.
            m_current = nullptr;
            return;
        }
        m_handled = target;
        m_handledAt = m_clock.elapsed();
        m_seenAtHandled = before;
    });
}
