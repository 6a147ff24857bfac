#include "orReport.h"

#include "ReportDefinition.h"
#include "ReportEngine.h"
#include "ReportOutput.h"
#include "ReportPreviewDialog.h"

#include <QDomDocument>
#include <QFile>
#include <QMessageBox>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>

using namespace OrvReports;

struct orReport::Private
{
    QSqlDatabase db;
    ParameterList params;
    ReportDefinition def;
    bool valid = false;
    QString error;
    bool cancelled = false;
    int pages = 0;
    ProgressHandler handler;

    bool run(QPagedPaintDevice *device, QWidget *parent)
    {
        error.clear();
        cancelled = false;
        pages = 0;
        if (!valid) {
            if (error.isEmpty())
                error = QStringLiteral("Nie wczytano poprawnej definicji raportu.");
            return false;
        }
        ReportEngine engine(def, params, db);
        RenderProgress progress(parent, handler);
        const bool ok = paintReport(engine, device, progress, &error);
        pages = engine.pageCount();
        cancelled = !ok && error.isEmpty();
        return ok;
    }
};

orReport::orReport(const QSqlDatabase &db) : d(std::make_unique<Private>())
{
    d->db = db;
}

orReport::~orReport() = default;

void orReport::setParamList(const ParameterList &params)
{
    d->params = params;
}

const ParameterList &orReport::paramList() const
{
    return d->params;
}

bool orReport::setDom(const QDomDocument &doc)
{
    d->error.clear();
    d->valid = ReportDefinition::fromDom(doc, &d->def, &d->error);
    return d->valid;
}

bool orReport::isValid() const
{
    return d->valid;
}

QString orReport::title() const
{
    return d->def.title;
}

const ReportDefinition *orReport::definition() const
{
    return d->valid ? &d->def : nullptr;
}

QString orReport::errorText() const
{
    return d->error;
}

bool orReport::wasCancelled() const
{
    return d->cancelled;
}

void orReport::reportError(QWidget *parent) const
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Błąd raportu"),
                    d->error.isEmpty() ? QStringLiteral("Nieznany błąd raportu.") : d->error, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool orReport::print(QPrinter *printer, bool setupPrinter, bool preview, QWidget *parent)
{
    if (preview)
        return showPreview(parent);
    std::unique_ptr<QPrinter> own;
    if (!printer) {
        own = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer = own.get();
    }
    if (d->valid)
        preparePageLayout(printer, d->def);
    if (setupPrinter) {
        QPrintDialog dialog(printer, parent);
        dialog.setWindowTitle(QStringLiteral("Drukuj: %1").arg(d->def.title));
        if (dialog.exec() != QDialog::Accepted) {
            d->error.clear();
            d->cancelled = true;
            return false;
        }
    }
    return d->run(printer, parent);
}

bool orReport::showPreview(QWidget *parent)
{
    d->error.clear();
    d->cancelled = false;
    if (!d->valid)
        return false;
    ReportPreviewDialog dialog(d->def, d->params, d->db, parent);
    dialog.exec();
    d->error = dialog.errorText();
    return d->error.isEmpty();
}

bool orReport::exportToPdf(const QString &fileName, QWidget *parent)
{
    bool ok;
    {
        QPdfWriter writer(fileName);
        preparePdfWriter(&writer, d->def.title);
        if (d->valid)
            preparePageLayout(&writer, d->def);
        ok = d->run(&writer, parent);
    }
    if (!ok)
        QFile::remove(fileName);
    return ok;
}

bool orReport::render(QPagedPaintDevice *device, QWidget *parent)
{
    if (d->valid)
        preparePageLayout(device, d->def);
    return d->run(device, parent);
}

void orReport::setProgressHandler(ProgressHandler handler)
{
    d->handler = std::move(handler);
}

int orReport::pageCount() const
{
    return d->pages;
}
