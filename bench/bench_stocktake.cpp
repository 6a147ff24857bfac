// A stocktake of a 10 000-tool warehouse: one scan (Enter → classified and
// shown in the scans tab) and the closing, in the program and with libpq
// running the same lookups; at the register's size in BENCH_TOOLS.
//
//   bench_stocktake --mode=fill --warehouse-tools=10000   (as a superuser)
//   bench_stocktake --mode=raw|model
//
// Prints RESULT lines as bench_registers does (register=stocktake).
#include "BenchSupport.h"
#include "OVApplication.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <cstdio>

namespace {

using bench::msSince;

constexpr int kScans = 200;

void result(const char *side, const char *op, double value)
{
    std::printf("RESULT side=%s register=stocktake size=%s op=%s value=%.3f\n", side,
                qPrintable(bench::env("BENCH_TOOLS", "0")), op, value);
    std::fflush(stdout);
}

int fill(int tools)
{
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    // The counted warehouse: made once; the register grows around it.
    if (bench::one(c, QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_symbol = 'MG_INW'")) == "0") {
        bench::one(c, QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_INW', 'Magazyn liczony')"));
        bench::one(c, QStringLiteral("UPDATE narzedzia SET nrz_fk_mgz = (SELECT mgz_id FROM magazyny WHERE mgz_symbol = 'MG_INW') "
                                     "WHERE nrz_id IN (SELECT nrz_id FROM narzedzia WHERE nrz_kod LIKE 'RB-%' AND "
                                     "nrz_przyjete_na_stan AND NOT nrz_zlikwidowano ORDER BY nrz_id LIMIT %1)")
                              .arg(tools));
        bench::one(c, QStringLiteral("VACUUM ANALYZE narzedzia"));
    }
    std::printf("fill  warehouse tools=%s\n",
                bench::one(c, QStringLiteral("SELECT count(*) FROM narzedzia n JOIN magazyny m ON m.mgz_id = n.nrz_fk_mgz "
                                             "WHERE m.mgz_symbol = 'MG_INW'"))
                        .constData());
    PQfinish(c);
    return 0;
}

// A fresh stocktake of the counted warehouse and the codes to scan, spread
// over the warehouse (one in ten a second scan of a tool already counted).
QByteArray openStocktake(PGconn *c, QList<QByteArray> *codes)
{
    bench::one(c, QStringLiteral("SELECT f_inwentaryzacja_zamknij(inw_id) FROM inwentaryzacje WHERE NOT inw_zamknieta"));
    const QByteArray inw = bench::one(c, QStringLiteral("SELECT f_inwentaryzacja_otworz((SELECT mgz_id FROM magazyny WHERE "
                                                        "mgz_symbol = 'MG_INW'), NULL, 'pomiar')"));
    PGresult *r = PQexec(c, QStringLiteral("SELECT nrz_kod_kreskowy FROM narzedzia n JOIN magazyny m ON m.mgz_id = n.nrz_fk_mgz "
                                           "WHERE m.mgz_symbol = 'MG_INW' ORDER BY md5(nrz_id::text) LIMIT %1")
                                    .arg(kScans)
                                    .toUtf8()
                                    .constData());
    for (int i = 0; i < PQntuples(r); ++i)
        *codes << QByteArray(PQgetvalue(r, i, 0));
    PQclear(r);
    for (int i = 0; i < codes->size(); i += 10)
        (*codes)[i] = codes->value(qMax(0, i - 5));
    return inw;
}

// What the program sends for one scan and for the closing, statement by statement.
int raw()
{
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    PQclear(PQexec(c, "SET orv.uzytkownik = 1"));
    QList<QByteArray> codes;
    const QByteArray inw = openStocktake(c, &codes);
    QVector<double> scans;
    for (const QByteArray &code : codes) {
        QElapsedTimer t;
        t.start();
        PGresult *tools = bench::execParams(c, "SELECT nrz_id, nrz_kod, nrz_nazwa, mgz_symbol FROM f_inwentaryzacja_kandydaci($1)", {code});
        const QByteArray tool = PQntuples(tools) > 0 ? QByteArray(PQgetvalue(tools, 0, 0)) : QByteArray();
        PQclear(tools);
        PGresult *scan = bench::execParams(c, "SELECT ins_id, f_inwentaryzacja_klasa(ins_klasa), ins_klasa, ins_opis "
                                       "FROM f_inwentaryzacja_skanuj($1, $2, $3, $4)",
                                    {inw, code, QByteArray(), tool});
        const QByteArray id = PQntuples(scan) > 0 ? QByteArray(PQgetvalue(scan, 0, 0)) : QByteArray("0");
        PQclear(scan);
        // The new scan's row, as the tab reads it.
        int rows = 0, cols = 0;
        qint64 bytes = 0;
        PQclear(bench::readAll(c, QStringLiteral("SELECT * FROM v_inwentaryzacje_skany WHERE ins_fk_inw = %1 AND ins_id = %2")
                                          .arg(QString::fromLatin1(inw), QString::fromLatin1(id)),
                               &rows, &cols, &bytes));
        // The stocktake's row with its counts and progress, which follow every scan.
        PQclear(bench::readAll(c, QStringLiteral("SELECT * FROM v_inwentaryzacje WHERE inw_id = %1").arg(QString::fromLatin1(inw)),
                               &rows, &cols, &bytes));
        scans << msSince(t);
    }
    QElapsedTimer t;
    t.start();
    PQclear(bench::execParams(c, "SELECT f_inwentaryzacja_zamknij($1)", {inw}));
    PQclear(bench::execParams(c, "SELECT * FROM v_inwentaryzacje WHERE inw_id = $1", {inw}));
    const double close = msSince(t);
    result("raw", "scan", bench::percentile(scans, 0.5));
    result("raw", "close", close);
    PQfinish(c);
    return 0;
}

// The scan field of the "Skany" tab, Enter pressed as the scanner does it,
// the tab painted; the closing as the command sends it, its row read again.
int model(int argc, char **argv)
{
    OVApplication app(argc, argv);
    if (!bench::connectAsAdmin(app))
        return 1;
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    PQclear(PQexec(c, "SET orv.uzytkownik = 1"));
    QList<QByteArray> codes;
    const int inw = openStocktake(c, &codes).toInt();
    PQfinish(c);
    TAVEwidencja stocktakes(QStringLiteral("InwentaryzacjeModel"), QString(), QString());
    auto *tab = new TAVEwidencja(QStringLiteral("InwentaryzacjeSkanyModel"), QString(), QStringLiteral("ins_fk_inw"));
    stocktakes.addRelative(tab, QStringLiteral("ins_fk_inw"));
    stocktakes.resize(1200, 800);
    stocktakes.show();
    stocktakes.selectKey(inw);
    QLineEdit *field = tab->scanField();
    QVector<double> scans;
    for (const QByteArray &code : codes) {
        field->setFocus();
        field->setText(QString::fromLatin1(code));
        QElapsedTimer t;
        t.start();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(field, &enter);
        // Shown: the event loop paints what the scan changed, as after a real key.
        QApplication::processEvents();
        scans << (tab->scanStatus()->text().isEmpty() ? -1 : msSince(t));
    }
    QElapsedTimer t;
    t.start();
    TAVDbError error;
    const bool closed = TAVDb::exec(QStringLiteral("SELECT f_inwentaryzacja_zamknij($1)"), {inw}, &error) != nullptr;
    stocktakes.getModel()->refreshRows({inw});
    const double close = closed ? msSince(t) : -1;
    result("model", "scan", bench::percentile(scans, 0.5));
    result("model", "close", close);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    const QString mode = bench::argument(argc, argv, "mode");
    const int tools = bench::argument(argc, argv, "warehouse-tools", QStringLiteral("10000")).toInt();
    if (mode == QLatin1String("fill"))
        return fill(tools);
    if (mode == QLatin1String("raw"))
        return raw();
    if (mode == QLatin1String("model"))
        return model(argc, argv);
    std::fprintf(stderr, "usage: bench_stocktake --mode=fill|raw|model [--warehouse-tools=N]\n");
    return 2;
}
