#include "ShotCamera.h"

#include "MainWindow.h"
#include "OVApplication.h"
#include "TAVEwidencja.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {
const int kTitleHeight = 28;

// A picture of the window with a plain title bar and frame, as on a desktop.
QImage decorated(QWidget *window)
{
    const QPixmap content = window->grab();
    QImage image(content.width() + 2, content.height() + kTitleHeight + 1, QImage::Format_ARGB32);
    image.fill(QColor(0x5a, 0x6e, 0x8c));
    QPainter p(&image);
    QLinearGradient bar(0, 0, 0, kTitleHeight);
    bar.setColorAt(0, QColor(0x6f, 0x86, 0xa8));
    bar.setColorAt(1, QColor(0x4e, 0x63, 0x82));
    p.fillRect(QRect(0, 0, image.width(), kTitleHeight), bar);
    int x = 8;
    const QIcon icon = window->windowIcon();
    if (!icon.isNull()) {
        p.drawPixmap(x, (kTitleHeight - 18) / 2, icon.pixmap(18, 18));
        x += 24;
    }
    QFont font = QApplication::font();
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(x, 0, image.width() - x - 60, kTitleHeight), Qt::AlignVCenter | Qt::AlignLeft,
               window->windowTitle());
    // The close mark at the right end of the bar.
    p.setPen(QPen(Qt::white, 2));
    const int cx = image.width() - 20;
    const int cy = kTitleHeight / 2;
    p.drawLine(cx - 5, cy - 5, cx + 5, cy + 5);
    p.drawLine(cx - 5, cy + 5, cx + 5, cy - 5);
    p.drawPixmap(1, kTitleHeight, content);
    return image;
}
} // namespace

ShotCamera::ShotCamera(const QString &outputDir, QObject *parent) : QObject(parent), m_outputDir(outputDir)
{
    m_modalTimer.setInterval(20);
    connect(&m_modalTimer, &QTimer::timeout, this, &ShotCamera::pollModal);
    m_modalTimer.start();
}

ShotCamera::~ShotCamera() = default;

bool ShotCamera::signIn(const QString &login)
{
    QSqlQuery q(QSqlDatabase::database());
    q.prepare(QStringLiteral("SELECT uzt_id FROM uzytkownicy WHERE uzt_login = :login"));
    q.bindValue(QStringLiteral(":login"), login);
    if (!q.exec() || !q.next())
        return false;
    OVApplication::instance()->setLogin(login);
    OVApplication::instance()->setUztId(q.value(0).toInt());
    return true;
}

MainWindow *ShotCamera::mainWindow()
{
    if (!m_mainWindow) {
        m_mainWindow = std::make_unique<MainWindow>();
        m_mainWindow->showNormal();
        m_mainWindow->resize(1200, 760);
        if (!QTest::qWaitForWindowExposed(m_mainWindow.get()))
            qWarning("orvalo-shots: main window not exposed");
    }
    return m_mainWindow.get();
}

TAVEwidencja *ShotCamera::openModule(const QString &iconName)
{
    MainWindow *w = mainWindow();
    auto *button = w->palette()->findChild<QToolButton *>(QStringLiteral("tb_") + iconName);
    if (!button || !button->isEnabled())
        return nullptr;
    button->click();
    QApplication::processEvents();
    return qobject_cast<TAVEwidencja *>(w->tabs()->currentWidget());
}

void ShotCamera::showRelative(TAVEwidencja *view, const QString &title)
{
    QTabWidget *tabs = view->relativeTabs();
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->tabText(i) == title)
            tabs->setCurrentIndex(i);
    }
    QApplication::processEvents();
}

void ShotCamera::save(QWidget *widget, const QString &name)
{
    QWidget *window = widget->window();
    if (!window->isVisible())
        window->show();
    if (!QTest::qWaitForWindowExposed(window))
        qWarning("orvalo-shots: %s not exposed", qPrintable(name));
    // Let layouts and the first paint settle before the picture.
    QTest::qWait(50);
    const QString path = QDir(m_outputDir).filePath(name + QStringLiteral(".png"));
    // Smallest files: the pictures are committed with the manual.
    if (decorated(window).save(path, "PNG", 0))
        m_written << path;
    else
        qWarning("orvalo-shots: cannot write %s", qPrintable(path));
}

void ShotCamera::onModal(std::function<void(QWidget *)> handler)
{
    m_handlers.append(std::move(handler));
}

std::function<void(QWidget *)> ShotCamera::saveAndClose(const QString &name)
{
    return [this, name](QWidget *modal) {
        save(modal, name);
        closeModal(modal);
    };
}

void ShotCamera::closeModal(QWidget *modal)
{
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        // "No" of a question: a picture never deletes or changes data.
        QAbstractButton *b = box->escapeButton();
        if (!b)
            b = box->defaultButton();
        if (!b && !box->buttons().isEmpty())
            b = box->buttons().first();
        if (b)
            b->click();
        else
            box->done(0);
    } else if (auto *dialog = qobject_cast<QDialog *>(modal)) {
        dialog->reject();
    } else {
        modal->close();
    }
}

void ShotCamera::pollModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == m_currentModal || !modal->isVisible())
        return;
    m_currentModal = modal;
    QPointer<QWidget> target(modal);
    // Outside the timer's slot: the handler may open further modal windows.
    QTimer::singleShot(0, this, [this, target] {
        if (!target)
            return;
        if (m_handlers.isEmpty())
            closeModal(target);
        else
            m_handlers.takeFirst()(target);
        m_currentModal = nullptr;
    });
}

void ShotCamera::endShot()
{
    m_handlers.clear();
    m_mainWindow.reset();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible())
            w->close();
    }
    QApplication::processEvents();
}
