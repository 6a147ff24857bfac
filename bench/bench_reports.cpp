// Printing the whole tools register to PDF, and the time until the preview
// shows its first page, against reading the same rows with libpq.
//
//   bench_reports --mode=pdf|preview|raw
//
// The server comes from PGHOST/PGPORT/PGUSER/PGPASSWORD (database TAV_ORV),
// its tools filled by bench_registers. Each mode runs in its own process so
// that the peak memory it reports is its own.
#include "BenchSupport.h"
#include "OVApplication.h"
#include "OrvReports.h"
#include "ReportEngine.h"
#include "orReport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const char *kQuery = "select *, CASE nrz_przyjete_na_stan WHEN true THEN 'Tak' WHEN false THEN 'Nie' END "
                     "AS nrz_przyjete_na_stan_text from v_narzedzia order by nrz_id";

int raw()
{
    QElapsedTimer t;
    t.start();
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    int rows = 0, cols = 0;
    qint64 bytes = 0;
    PGresult *r = bench::readAll(c, QString::fromLatin1(kQuery), &rows, &cols, &bytes);
    PQclear(r);
    PQfinish(c);
    std::printf("raw     rows=%d bytes=%lld time_ms=%lld peak_kib=%ld\n", rows, static_cast<long long>(bytes),
                static_cast<long long>(t.elapsed()), bench::peakKiB());
    return r ? 0 : 1;
}

// The register's "Drukuj tabelę" to a PDF file, as printReport does it.
int pdf(OVApplication &)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("narzedzia.pdf"));
    QElapsedTimer t;
    t.start();
    orReport report;
    ParameterList params;
    QString failure;
    if (!OrvReports::prepareReport(QStringLiteral("narzedzia_table"), params,
                                   {{QStringLiteral("%TAV_QUERY_WHERE%"), QString()}}, &report, &failure)
        || !report.exportToPdf(file)) {
        std::fprintf(stderr, "%s %s\n", qPrintable(failure), qPrintable(report.errorText()));
        return 1;
    }
    std::printf("pdf     pages=%d size_kib=%lld time_ms=%lld peak_kib=%ld\n", report.pageCount(),
                static_cast<long long>(QFile(file).size() / 1024), static_cast<long long>(t.elapsed()),
                bench::peakKiB());
    return 0;
}

// What the preview does before it can show anything: lay out until the
// first page is complete and paint it at screen resolution.
int preview(OVApplication &)
{
    QElapsedTimer t;
    t.start();
    orReport report;
    ParameterList params;
    QString failure;
    if (!OrvReports::prepareReport(QStringLiteral("narzedzia_table"), params,
                                   {{QStringLiteral("%TAV_QUERY_WHERE%"), QString()}}, &report, &failure))
        return 1;
    OrvReports::ReportEngine engine(*report.definition(), report.paramList(), QSqlDatabase::database());
    engine.setCountRows(false);
    while (engine.pageCount() < 1 && !engine.isFinished())
        if (!engine.step(150))
            return 1;
    QImage page((engine.pageSize() * (96.0 / OrvReports::kDotsPerInch)).toSize(), QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter p(&page);
        p.scale(96.0 / OrvReports::kDotsPerInch, 96.0 / OrvReports::kDotsPerInch);
        engine.paintPage(&p, 0, -1);
    }
    const qint64 firstMs = t.elapsed();
    if (!engine.runToEnd())
        return 1;
    std::printf("preview first_page_ms=%lld all_pages=%d layout_ms=%lld peak_kib=%ld\n",
                static_cast<long long>(firstMs), engine.pageCount(), static_cast<long long>(t.elapsed()),
                bench::peakKiB());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QString mode = QStringLiteral("pdf");
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a.startsWith(QLatin1String("--mode=")))
            mode = a.mid(7);
    }
    if (mode == QLatin1String("raw"))
        return raw();
    OVApplication app(argc, argv);
    OrvReports::initResources();
    if (!bench::connectApp(app))
        return 1;
    return mode == QLatin1String("preview") ? preview(app) : pdf(app);
}
