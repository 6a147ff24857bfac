#include "ReportPreviewDialog.h"

#include "ReportDefinition.h"
#include "ReportEngine.h"
#include "ReportOutput.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using namespace OrvReports;

class ReportPreviewDialog::PageView : public QWidget
{
public:
    explicit PageView(ReportPreviewDialog *dialog) : m_dialog(dialog)
    {
        setAutoFillBackground(false);
    }

    // 0 whole page, 1 page width, 2 natural size.
    int mode = 1;

    double scale() const
    {
        const QSizeF page = m_dialog->m_engine->pageSize();
        const QSize area = m_dialog->m_scroll->viewport()->size() - QSize(2 * kMargin, 2 * kMargin);
        const double natural = logicalDpiX() / kDotsPerInch;
        switch (mode) {
        case 0: return qMax(0.01, qMin(area.width() / page.width(), area.height() / page.height()));
        case 1: return qMax(0.01, area.width() / page.width());
        default: return natural;
        }
    }

    void relayout()
    {
        const QSizeF page = m_dialog->m_engine->pageSize() * scale();
        setFixedSize(page.toSize() + QSize(2 * kMargin, 2 * kMargin));
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Dark));
        const int index = m_dialog->m_page;
        if (index < 0)
            return;
        const double s = scale();
        const QRectF paper(kMargin, kMargin, m_dialog->m_engine->pageSize().width() * s,
                           m_dialog->m_engine->pageSize().height() * s);
        p.fillRect(paper.translated(3, 3), QColor(0, 0, 0, 60));
        p.fillRect(paper, Qt::white);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.translate(paper.topLeft());
        p.scale(s, s);
        const bool done = m_dialog->layoutFinished();
        m_dialog->m_engine->paintPage(&p, index, done ? m_dialog->pagesReady() : -1);
    }

private:
    static constexpr int kMargin = 16;
    ReportPreviewDialog *m_dialog;
};

ReportPreviewDialog::ReportPreviewDialog(const ReportDefinition &def, const ParameterList &params,
                                         const QSqlDatabase &db, QWidget *parent)
    : QDialog(parent), m_engine(std::make_unique<ReportEngine>(def, params, db))
{
    setObjectName(QStringLiteral("ReportPreviewDialog"));
    setWindowTitle(QStringLiteral("Podgląd wydruku – %1").arg(def.title));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    m_engine->setCountRows(false);

    auto *bar = new QHBoxLayout;
    // The style's own icons: not every font has the media glyphs.
    auto tool = [this, bar](QStyle::StandardPixmap icon, const QString &tip) {
        auto *b = new QToolButton(this);
        b->setIcon(style()->standardIcon(icon, nullptr, this));
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        bar->addWidget(b);
        return b;
    };
    QToolButton *first = tool(QStyle::SP_MediaSkipBackward, QStringLiteral("Pierwsza strona"));
    m_prev = tool(QStyle::SP_MediaSeekBackward, QStringLiteral("Poprzednia strona (PgUp)"));
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("sbStrona"));
    m_pageBox->setRange(1, 1);
    m_pageBox->setKeyboardTracking(false);
    bar->addWidget(new QLabel(QStringLiteral("Strona"), this));
    bar->addWidget(m_pageBox);
    m_countLabel = new QLabel(this);
    m_countLabel->setObjectName(QStringLiteral("laLiczbaStron"));
    bar->addWidget(m_countLabel);
    m_next = tool(QStyle::SP_MediaSeekForward, QStringLiteral("Następna strona (PgDn)"));
    QToolButton *last = tool(QStyle::SP_MediaSkipForward, QStringLiteral("Ostatnia strona"));
    bar->addSpacing(16);
    m_zoom = new QComboBox(this);
    m_zoom->addItems({QStringLiteral("Cała strona"), QStringLiteral("Szerokość strony"), QStringLiteral("100%")});
    m_zoom->setCurrentIndex(1);
    bar->addWidget(m_zoom);
    bar->addStretch();
    auto *print = new QPushButton(QStringLiteral("Drukuj…"), this);
    print->setObjectName(QStringLiteral("btDrukuj"));
    auto *pdf = new QPushButton(QStringLiteral("Zapisz jako PDF…"), this);
    pdf->setObjectName(QStringLiteral("btPdf"));
    auto *close = new QPushButton(QStringLiteral("Zamknij"), this);
    close->setObjectName(QStringLiteral("btZamknij"));
    bar->addWidget(print);
    bar->addWidget(pdf);
    bar->addWidget(close);

    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_view = new PageView(this);
    m_scroll->setWidget(m_view);
    // The page follows the room it is given, from the first showing on.
    m_scroll->viewport()->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);
    resize(900, 1000);

    connect(first, &QToolButton::clicked, this, [this] { showPage(0); });
    connect(m_prev, &QToolButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(m_next, &QToolButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(last, &QToolButton::clicked, this, [this] {
        if (finishLayout())
            showPage(pagesReady() - 1);
    });
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int v) { showPage(v - 1); });
    connect(m_zoom, &QComboBox::currentIndexChanged, this, [this](int mode) {
        m_view->mode = mode;
        m_view->relayout();
    });
    connect(print, &QPushButton::clicked, this, &ReportPreviewDialog::printPages);
    connect(pdf, &QPushButton::clicked, this, &ReportPreviewDialog::savePdf);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    // The layout goes on in small steps between the user's events.
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ReportPreviewDialog::layoutMore);
    layoutMore();
    m_timer.start();
}

ReportPreviewDialog::~ReportPreviewDialog() = default;

int ReportPreviewDialog::pagesReady() const
{
    return m_engine->pageCount();
}

bool ReportPreviewDialog::layoutFinished() const
{
    return m_engine->isFinished();
}

void ReportPreviewDialog::fail(const QString &message)
{
    m_timer.stop();
    m_error = message;
    // The caller reports the error; a half-shown report is of no use.
    QTimer::singleShot(0, this, &QDialog::reject);
}

void ReportPreviewDialog::layoutMore()
{
    if (!m_engine->step(150)) {
        fail(m_engine->errorText());
        return;
    }
    if (m_engine->isFinished())
        m_timer.stop();
    if (m_page < 0 && pagesReady() > 0)
        showPage(0);
    updateControls();
}

void ReportPreviewDialog::updateControls()
{
    const int ready = pagesReady();
    const bool done = layoutFinished();
    m_countLabel->setText(done ? QStringLiteral("z %1").arg(ready) : QStringLiteral("z %1…").arg(ready));
    const QSignalBlocker block(m_pageBox);
    m_pageBox->setMaximum(qMax(1, ready));
    m_pageBox->setValue(m_page + 1);
    m_prev->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < ready);
}

void ReportPreviewDialog::showPage(int index)
{
    if (index < 0 || index >= pagesReady())
        return;
    const bool first = m_page < 0;
    m_page = index;
    if (first)
        m_view->relayout();
    m_view->update();
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
}

bool ReportPreviewDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize && m_page >= 0 && m_view->mode != 2)
        m_view->relayout();
    return QDialog::eventFilter(watched, event);
}

void ReportPreviewDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_PageDown)
        showPage(m_page + 1);
    else if (event->key() == Qt::Key_PageUp)
        showPage(m_page - 1);
    else
        QDialog::keyPressEvent(event);
}

bool ReportPreviewDialog::finishLayout()
{
    if (layoutFinished())
        return true;
    m_timer.stop();
    RenderProgress progress(this, {});
    progress.phase(QStringLiteral("Przygotowywanie wydruku…"), 0);
    const bool ok = m_engine->runToEnd([&] { return progress.update(m_engine->rowsDone()); });
    if (!ok && !m_engine->errorText().isEmpty()) {
        fail(m_engine->errorText());
        return false;
    }
    if (!ok)
        m_timer.start();
    updateControls();
    m_view->update();
    return ok;
}

void ReportPreviewDialog::printPages()
{
    if (!finishLayout())
        return;
    QPrinter printer(QPrinter::HighResolution);
    preparePageLayout(&printer, *m_engine->definition());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Drukuj: %1").arg(m_engine->title()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    RenderProgress progress(this, {});
    QString error;
    if (!paintReport(*m_engine, &printer, progress, &error) && !error.isEmpty())
        fail(error);
}

void ReportPreviewDialog::savePdf()
{
    if (!finishLayout())
        return;
    QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Zapisz jako PDF"),
                                                    m_engine->title() + QStringLiteral(".pdf"),
                                                    QStringLiteral("Dokument PDF (*.pdf)"));
    if (fileName.isEmpty())
        return;
    if (!fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        fileName += QStringLiteral(".pdf");
    bool ok;
    QString error;
    {
        QPdfWriter writer(fileName);
        preparePdfWriter(&writer, m_engine->title());
        preparePageLayout(&writer, *m_engine->definition());
        RenderProgress progress(this, {});
        ok = paintReport(*m_engine, &writer, progress, &error);
    }
    if (!ok) {
        QFile::remove(fileName);
        if (!error.isEmpty())
            fail(error);
    }
}
