#pragma once

// Shared by the report object and its preview: progress and painting.
#include "ReportDefinition.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QPageLayout;
class QPagedPaintDevice;
class QPdfWriter;
class QProgressDialog;
class QWidget;

namespace OrvReports {

class ReportEngine;

class RenderProgress
{
public:
    RenderProgress(QWidget *parent, std::function<bool(qint64, qint64)> handler);
    ~RenderProgress();
    void phase(const QString &label, qint64 total);
    // False once the user (or the handler) cancelled.
    bool update(qint64 done);

private:
    std::unique_ptr<QProgressDialog> m_dialog;
    std::function<bool(qint64, qint64)> m_handler;
    QElapsedTimer m_since;
    qint64 m_total = 0;
    bool m_cancelled = false;
};

// Gives the device the definition's page format (a printer keeps the paper
// its dialog chose; the page is then scaled to fit it).
void preparePageLayout(QPagedPaintDevice *device, const ReportDefinition &def);
// The same for a layout of its own (labels): the page draws its own margins.
void preparePageLayout(QPagedPaintDevice *device, const QPageLayout &layout);
// A PDF of the program: its title, "Orvalo" as creator, print resolution.
void preparePdfWriter(QPdfWriter *writer, const QString &title);

// Lays the rest of the report out and paints every page. False with
// errorText set on a failure, with it empty on a cancel.
bool paintReport(ReportEngine &engine, QPagedPaintDevice *device, RenderProgress &progress, QString *errorText);

} // namespace OrvReports
