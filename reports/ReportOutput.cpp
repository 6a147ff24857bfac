#include "ReportOutput.h"

#include "ReportEngine.h"

#include <QCoreApplication>
#include <QPdfWriter>
#include <QPainter>
#include <QPagedPaintDevice>
#include <QPrinter>
#include <QProgressDialog>

namespace OrvReports {

RenderProgress::RenderProgress(QWidget *parent, std::function<bool(qint64, qint64)> handler)
    : m_handler(std::move(handler))
{
    if (parent) {
        m_dialog = std::make_unique<QProgressDialog>(parent);
        m_dialog->setWindowTitle(QStringLiteral("Wydruk"));
        m_dialog->setCancelButtonText(QStringLiteral("Anuluj"));
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(600);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
    }
    m_since.start();
}

RenderProgress::~RenderProgress() = default;

void RenderProgress::phase(const QString &label, qint64 total)
{
    m_total = total;
    if (m_dialog) {
        m_dialog->setLabelText(label);
        // Unknown totals show a busy bar.
        m_dialog->setRange(0, total > 0 ? 1000 : 0);
        m_dialog->setValue(0);
    }
}

bool RenderProgress::update(qint64 done)
{
    if (m_cancelled)
        return false;
    if (m_handler && !m_handler(done, m_total))
        m_cancelled = true;
    if (m_dialog && m_since.elapsed() >= 50) {
        m_since.restart();
        const int value = m_total > 0 ? int(qMin<qint64>(1000, done * 1000 / m_total)) : 0;
        m_dialog->setValue(value);
        QCoreApplication::processEvents();
        if (m_dialog->wasCanceled())
            m_cancelled = true;
    }
    return !m_cancelled;
}

void preparePageLayout(QPagedPaintDevice *device, const ReportDefinition &def)
{
    preparePageLayout(device, QPageLayout(QPageSize(def.pageSize), def.orientation, QMarginsF(0, 0, 0, 0)));
}

void preparePageLayout(QPagedPaintDevice *device, const QPageLayout &layout)
{
    if (auto *printer = dynamic_cast<QPrinter *>(device))
        printer->setFullPage(true);
    device->setPageLayout(layout);
}

void preparePdfWriter(QPdfWriter *writer, const QString &title)
{
    writer->setTitle(title);
    writer->setCreator(QStringLiteral("Orvalo"));
    writer->setResolution(600);
}

bool paintReport(ReportEngine &engine, QPagedPaintDevice *device, RenderProgress &progress, QString *errorText)
{
    // The rows are counted while the engine starts; the bar then knows its end.
    const bool started = engine.start();
    progress.phase(QStringLiteral("Przygotowywanie wydruku…"), engine.rowsTotal());
    if (!started || !engine.runToEnd([&] { return progress.update(engine.rowsDone()); })) {
        *errorText = engine.errorText();
        return false;
    }
    const int pages = engine.pageCount();
    progress.phase(QStringLiteral("Drukowanie %1 stron…").arg(pages), pages);
    QPainter painter;
    if (!painter.begin(device)) {
        *errorText = QStringLiteral("Nie można rozpocząć drukowania na wybranym urządzeniu.");
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QSizeF page = engine.pageSize();
    const double scale = qMin(device->width() / page.width(), device->height() / page.height());
    for (int i = 0; i < pages; ++i) {
        if (i > 0 && !device->newPage()) {
            painter.end();
            *errorText = QStringLiteral("Nie można dodać kolejnej strony wydruku.");
            return false;
        }
        painter.resetTransform();
        painter.scale(scale, scale);
        engine.paintPage(&painter, i, pages);
        if (!progress.update(i + 1)) {
            painter.end();
            errorText->clear();
            return false;
        }
    }
    return painter.end() || (*errorText = QStringLiteral("Zapis wydruku nie powiódł się."), false);
}

} // namespace OrvReports
