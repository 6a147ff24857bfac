// The registers against the wire, in the program (the main window, its
// modules, the register views and the commands a keeper uses, dialogs
// answered as a user would) and with libpq running the least SQL each step
// needs: opening, scrolling, jumping to the end, searching, sorting,
// writing, scanning and adding a tool, the three movements, and another
// workstation's changes reaching an open register.
//
//   bench_registers --mode=fill --tools=N [--transfers=N] [--issues=N] [--repairs=N]
//   bench_registers --mode=raw|model --register=tools|transfers|issues|repairs|live --size=N
//   bench_registers --mode=explain --size=N
//
// The server comes from PGHOST/PGPORT/PGUSER/PGPASSWORD (database TAV_ORV).
// Every measurement prints one line
//   RESULT side=raw|model register=R size=N op=OP value=V
// (milliseconds; KiB for memory; CPU milliseconds for burst_cpu; -1 when the
// operation failed); summary.py turns them into goals. The fill reports its
// own time as register=fill op=fill. The explain mode prints the plan of
// every statement a step needs (PLAN name) and NOT INDEXED name for a plan
// that reads a register's table whole or sorts more than a page.
#include "BenchSupport.h"
#include "Factories.h"
#include "MainWindow.h"
#include "NaprawyPrzegladyModel.h"
#include "NarzedziaModel.h"
#include "OVApplication.h"
#include "PracownicyModel.h"
#include "PrzesunieciaMMModel.h"
#include "PrzypisaneNarzedziaPracownikomModel.h"
#include "Startup.h"
#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TAVListaWyboru.h"
#include "TAVLiveUpdates.h"
#include "TAVRowCounter.h"
#include "TAVTableModel.h"

#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <poll.h>

#include <cstdio>
#include <memory>

namespace {

using bench::msSince;
using bench::one;

enum class Kind { Tools, Transfers, Issues, Repairs, Live };

struct Register
{
    const char *name;
    Kind kind;
    const QMetaObject *model;
    const char *context;
    const char *sortColumn;
    const char *searchColumn;
    const char *searchText;
    void (MainWindow::*module)();
};

const Register kRegisters[] = {
    {"tools", Kind::Tools, &NarzedziaModel::staticMetaObject, "", "nrz_nazwa", "nrz_nazwa", "%wiertarka%nr 12%", &MainWindow::orvaloa},
    {"transfers", Kind::Transfers, &PrzesunieciaMMModel::staticMetaObject, "GLOWNE", "psnmm_data_wydanie", "psnmm_uwagi_wydanie",
     "%partia 12%", &MainWindow::ewidencjaPrzesunieciaMM},
    {"issues", Kind::Issues, &PrzypisaneNarzedziaPracownikomModel::staticMetaObject, "", "pnp_data_wydanie", "pnp_uwagi_wydanie",
     "%wydanie 12%", &MainWindow::ewidencjaPrzypisaneNarzedziaPracownikom},
    {"repairs", Kind::Repairs, &NaprawyPrzegladyModel::staticMetaObject, "GLOWNE", "np_data_wyd", "np_uwagi_wyd", "%naprawa 12%",
     &MainWindow::ewidencjaNaprawyPrzeglady},
    {"live", Kind::Live, &NarzedziaModel::staticMetaObject, "", "nrz_nazwa", "nrz_nazwa", "", &MainWindow::orvaloa},
};

const Register *registerNamed(const QString &name)
{
    for (const Register &r : kRegisters) {
        if (name == QLatin1String(r.name))
            return &r;
    }
    return nullptr;
}

QString g_register;
int g_size = 0;

void result(const char *side, const QString &op, double value)
{
    std::printf("RESULT side=%s register=%s size=%d op=%s value=%.3f\n", side, qPrintable(g_register), g_size,
                qPrintable(op), value);
    std::fflush(stdout);
}

// Rows added up to `rows` in all, so that a second fill adds only the shortfall.
QString shortfall(const char *table, int rows)
{
    return QStringLiteral("generate_series(1, GREATEST(0, %1 - (SELECT count(*) FROM %2)::int)) g").arg(rows).arg(
            QLatin1String(table));
}

int fill(int tools, int transfers, int issues, int repairs)
{
    // One INSERT … SELECT per table, so that a million rows take minutes, not hours.
    QElapsedTimer t;
    t.start();
    // Codes continue past the largest bench tool.
    bool ok = bench::runCommand(QStringLiteral(
            "INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_nr_ewidencyjny, nrz_nr_seryjny, nrz_kod_kreskowy, "
            "nrz_fk_mgz, nrz_fk_ktr_nrz, nrz_fk_stn, nrz_wartosc, nrz_uwagi, nrz_przeglad) "
            "SELECT 'RB-' || lpad(g::text, 7, '0'), "
            "(ARRAY['Wiertarka udarowa', 'Szlifierka kątowa 125 mm', 'Klucz dynamometryczny 40-200 Nm', "
            "'Niwelator laserowy z statywem', 'Drabina aluminiowa'])[g % 5 + 1] || ' nr ' || g, "
            "'INW/RB/' || g, 'SN-' || left(md5(g::text), 10), lpad((5900000000000 + g)::text, 13, '0'), "
            "(g % 3) + 1, (g % 7) + 1, 1, (g % 5000) + 0.99, "
            "CASE WHEN g % 10 = 0 THEN 'Uwagi do narzędzia ' || g END, current_date + (g % 400)::int "
            "FROM generate_series("
            "  (SELECT COALESCE(max(substr(nrz_kod, 4)::int), 0) + 1 FROM narzedzia WHERE nrz_kod ~ '^RB-[0-9]+$'),"
            "  (SELECT COALESCE(max(substr(nrz_kod, 4)::int), 0) FROM narzedzia WHERE nrz_kod ~ '^RB-[0-9]+$')"
            "  + GREATEST(0, %1 - (SELECT count(*) FROM narzedzia))) g").arg(tools));
    // The movements are history (closed), of the first thousand bench tools,
    // so that a tool's tabs fill up as the registers grow.
    const QString history = QStringLiteral(
            "WITH t AS (SELECT array_agg(nrz_id ORDER BY nrz_id) AS a FROM (SELECT nrz_id FROM narzedzia "
            "WHERE nrz_kod LIKE 'RB-%' ORDER BY nrz_id LIMIT 1000) s) ");
    const QString tool = QStringLiteral("t.a[1 + g % cardinality(t.a)]");
    const QString day = QStringLiteral("current_date - 400 + g % 390");
    if (ok && transfers > 0)
        ok = bench::runCommand(history + QStringLiteral(
                "INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src, "
                "psnmm_fk_uzt_dst, psnmm_data_wydanie, psnmm_data_przyjecie, psnmm_uwagi_wydanie, psnmm_status) "
                "SELECT %1, 1 + g % 3, 1 + (g + 1) % 3, 1, 2, %2, %2 + 2, 'partia ' || g, true FROM t, %3")
                                       .arg(tool, day, shortfall("przesuniecia_mm", transfers)));
    // Employees 1-9 are employed.
    if (ok && issues > 0)
        ok = bench::runCommand(history + QStringLiteral(
                "INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, "
                "pnp_fk_uzt_wyd, pnp_fk_uzt_prz, pnp_data_wydanie, pnp_data_przyjecie, pnp_fk_stn_wydanie, "
                "pnp_fk_stn_przyjecie, pnp_uwagi_wydanie, pnp_status) "
                "SELECT %1, 1 + g % 9, 1 + g % 3, 1 + g % 5, 1, 1, %2, %2 + 5, 1, 1, 'wydanie ' || g, true FROM t, %3")
                                       .arg(tool, day, shortfall("przypisane_narzedzia_pracownikom", issues)));
    if (ok && repairs > 0)
        ok = bench::runCommand(history + QStringLiteral(
                "INSERT INTO naprawy_przeglady (np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd, np_fk_uzt_prz, "
                "np_data_wyd, np_data_prz, np_fk_stn_wyd, np_fk_stn_prz, np_uwagi_wyd, np_status) "
                "SELECT g % 2, %1, 1 + g % 3, 1, 1, %2, %2 + 7, 1, 1, 'naprawa ' || g, true FROM t, %3")
                                       .arg(tool, day, shortfall("naprawy_przeglady", repairs)));
    if (ok)
        ok = bench::runCommand(QStringLiteral("VACUUM ANALYZE"));
    g_register = QStringLiteral("fill");
    g_size = qMax(qMax(tools, transfers), qMax(issues, repairs));
    result("raw", QStringLiteral("fill"), ok ? msSince(t) : -1);
    return ok ? 0 : 1;
}

// The least SQL a register's step needs, over the register's own view: no
// count, only pages by an index order, rows by key.
struct Sql
{
    QString columns;
    QString source;
    QString key;
    QString scan; // the code lookup, the code as $1
    QString page(const QString &where, const QString &order, int limit) const
    {
        return QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT %5")
                .arg(columns, source, where.isEmpty() ? QString() : QStringLiteral(" WHERE (") + where + QLatin1Char(')'),
                     order)
                .arg(limit);
    }
    // What a register reads when it opens or its filter changes: its first page.
    QString first(const QString &where) const { return page(where, key + QStringLiteral(" ASC"), 256); }
    QString row(const QString &keyValue) const
    {
        return QStringLiteral("SELECT %1 FROM %2 WHERE %3 = %4").arg(columns, source, key, keyValue);
    }
    // The page a jump to a row shows, read by key from the row both ways
    // (the row a quarter down the page).
    QString around(const QString &keyValue) const
    {
        return page(QStringLiteral("%1 < %2").arg(key, keyValue), key + QStringLiteral(" DESC"), 64) + QStringLiteral("; ")
                + page(QStringLiteral("%1 >= %2").arg(key, keyValue), key + QStringLiteral(" ASC"), 192);
    }
};

Sql sqlOf(const char *model, const char *context)
{
    std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(QLatin1String(model), QLatin1String(context)));
    Sql s;
    QStringList names;
    for (int c = 0; c < m->columnCount(); ++c) {
        const QString n = m->record().fieldName(c);
        if (n != QLatin1String("stworzono") && n != QLatin1String("zmodyfikowano") && n != QLatin1String("nrz_zdjecie"))
            names << n;
    }
    s.columns = names.join(QStringLiteral(", "));
    s.source = m->sourceName();
    s.key = m->primaryKeyName();
    if (!m->scanColumns().isEmpty())
        s.scan = m->scanStatement(QString(), 50);
    return s;
}

// A statement with the text given as $1, every value read.
double rawParam(PGconn *c, const QString &sql, const QString &value, QByteArray *first = nullptr)
{
    QElapsedTimer t;
    t.start();
    const QByteArray v = value.toUtf8();
    const char *values[] = {v.constData()};
    PGresult *r = PQexecParams(c, sql.toUtf8().constData(), 1, nullptr, values, nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_TUPLES_OK)
        std::fprintf(stderr, "%s", PQresultErrorMessage(r));
    else if (first && PQntuples(r) > 0)
        *first = PQgetvalue(r, 0, 0);
    PQclear(r);
    return msSince(t);
}

// One round trip of several statements, every value read, as the model does.
double rawBatch(PGconn *c, const QString &sql, int *rows = nullptr)
{
    QElapsedTimer t;
    t.start();
    PQsendQuery(c, sql.toUtf8().constData());
    int n = 0;
    qint64 bytes = 0;
    while (PGresult *r = PQgetResult(c)) {
        if (PQresultStatus(r) == PGRES_FATAL_ERROR)
            std::fprintf(stderr, "%s", PQresultErrorMessage(r));
        for (int i = 0; i < PQntuples(r); ++i) {
            for (int j = 0; j < PQnfields(r); ++j)
                bytes += PQgetlength(r, i, j);
        }
        n = PQntuples(r);
        PQclear(r);
    }
    if (rows)
        *rows = n;
    return msSince(t) + (bytes < 0 ? 1 : 0);
}

// A bench tool free for a movement (on stock, sound, not written off, not
// due for inspection) that also meets `where`: its key and code.
struct Tool
{
    QString id;
    QString code;
};

const char *const kMiddle = "nrz_id >= (SELECT max(nrz_id) / 2 FROM narzedzia)";
// Among the tools with a history, in the tools register's first rows.
const char *const kWithHistory = "nrz_id > (SELECT min(nrz_id) + 100 FROM narzedzia WHERE nrz_kod LIKE 'RB-%')";

Tool freeTool(PGconn *c, const QString &where)
{
    const QString condition = QStringLiteral(
            "nrz_kod LIKE 'RB-%' AND nrz_przyjete_na_stan AND NOT nrz_zlikwidowano AND nrz_fk_stn = 1 "
            "AND nrz_przeglad >= current_date AND ") + where;
    const QString id = QString::fromUtf8(
            one(c, QStringLiteral("SELECT min(nrz_id) FROM narzedzia WHERE ") + condition));
    return {id, QString::fromUtf8(one(c, QStringLiteral("SELECT nrz_kod FROM narzedzia WHERE nrz_id = ") + id))};
}

// One command as libpq alone would run it: the statements in one
// transaction, then what the register reads back. ":key" stands for the
// movement's key, which a statement with RETURNING gives.
double rawCommand(PGconn *c, const QStringList &writes, const QString &reread, QString *key)
{
    QElapsedTimer t;
    t.start();
    one(c, QStringLiteral("BEGIN"));
    for (QString w : writes) {
        const QByteArray v = one(c, w.replace(QLatin1String(":key"), *key));
        if (w.contains(QLatin1String("RETURNING")))
            *key = QString::fromUtf8(v);
    }
    one(c, QStringLiteral("COMMIT"));
    rawBatch(c, QString(reread).replace(QLatin1String(":key"), *key));
    return key->isEmpty() ? -1 : msSince(t);
}

// The tool written back on stock in the state it returns in.
QString toolBack(const Tool &tool, const QString &more = QString())
{
    return QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_stn = 1%1, fk_uzt_zmodyfikowano = 1 "
                          "WHERE nrz_id = %2")
            .arg(more, tool.id);
}

QString toolAway(const Tool &tool, const QString &more = QString())
{
    return QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false%1, fk_uzt_zmodyfikowano = 1 "
                          "WHERE nrz_id = %2")
            .arg(more, tool.id);
}

QString locked(const QString &column, const QString &table, const QString &key, const QString &value)
{
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 = %4 FOR UPDATE").arg(column, table, key, value);
}

// Waits for a notification on a listening connection; false after 5 s.
bool waitNotify(PGconn *c)
{
    for (;;) {
        PQconsumeInput(c);
        bool any = false;
        while (PGnotify *n = PQnotifies(c)) {
            PQfreemem(n);
            any = true;
        }
        if (any)
            return true;
        pollfd p{PQsocket(c), POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0)
            return false;
    }
}

// Another workstation's commits heard by a LISTENing connection, which then
// reads the changed row again; a burst of 10 000 rows read again as the shown page.
void rawLive(PGconn *writer, const Sql &tools)
{
    PGconn *listener = bench::connectRaw();
    if (!listener)
        return;
    one(listener, QStringLiteral("LISTEN orvalo_zmiany"));
    QVector<double> latencies;
    for (int i = 0; i < 200; ++i) {
        const QString key = QString::number(1 + i % 20);
        QElapsedTimer t;
        t.start();
        one(writer, QStringLiteral("UPDATE narzedzia SET nrz_uwagi = 'zmiana raw %1' WHERE nrz_id = %2").arg(i).arg(key));
        const bool heard = waitNotify(listener);
        rawBatch(listener, tools.row(key));
        latencies << (heard ? msSince(t) : -1);
    }
    result("raw", QStringLiteral("latency_median"), bench::percentile(latencies, 0.5));
    result("raw", QStringLiteral("latency_p95"), bench::percentile(latencies, 0.95));
    const double cpu = bench::cpuMs();
    QElapsedTimer t;
    t.start();
    one(writer, QStringLiteral("UPDATE narzedzia SET nrz_uwagi = 'seria raw' WHERE nrz_id IN "
                               "(SELECT nrz_id FROM narzedzia ORDER BY nrz_id LIMIT 10000)"));
    const bool heard = waitNotify(listener);
    rawBatch(listener, tools.first(QString()));
    result("raw", QStringLiteral("burst_shown"), heard ? msSince(t) : -1);
    result("raw", QStringLiteral("burst_cpu"), bench::cpuMs() - cpu);
    PQfinish(listener);
}

int runRaw(int argc, char **argv, const Register &reg)
{
    OVApplication app(argc, argv);
    if (!bench::connectApp(app))
        return 1;
    app.setUztId(1);
    const Sql sql = sqlOf(reg.model->className(), reg.context);
    const Sql tools = sqlOf(NarzedziaModel::staticMetaObject.className(), "");
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    if (reg.kind == Kind::Live) {
        rawLive(c, sql);
        PQfinish(c);
        return 0;
    }
    const long base = bench::currentKiB();
    const QString byKey = sql.key + QStringLiteral(" ASC");
    // The backend plans the view once per session, as the program's has by now.
    rawBatch(c, sql.first(QString()));
    const QString byName = QStringLiteral("%1 ASC NULLS LAST, %2 ASC").arg(QLatin1String(reg.sortColumn), sql.key);
    const QString search = QStringLiteral("%1 ILIKE '%2'").arg(QLatin1String(reg.searchColumn), QLatin1String(reg.searchText));
    result("raw", QStringLiteral("first_page"), rawBatch(c, sql.first(QString())));
    result("raw", QStringLiteral("search"), rawBatch(c, sql.first(search)));
    result("raw", QStringLiteral("sort"), rawBatch(c, sql.page(QString(), byName, 256)));
    result("raw", QStringLiteral("last_page"), rawBatch(c, sql.page(QString(), sql.key + QStringLiteral(" DESC"), 256)));

    QString key;
    if (reg.kind == Kind::Tools) {
        // The tools module's first tab follows the current tool.
        const Sql held = sqlOf(PrzypisaneNarzedziaPracownikomModel::staticMetaObject.className(), "");
        // A write in the middle and reading that row back.
        key = QString::fromUtf8(one(c, QStringLiteral("SELECT nrz_id FROM narzedzia WHERE nrz_id >= "
                                                      "(SELECT (min(nrz_id) + max(nrz_id)) / 2 FROM narzedzia) "
                                                      "ORDER BY nrz_id LIMIT 1")));
        QElapsedTimer t;
        t.start();
        rawBatch(c, QStringLiteral("UPDATE narzedzia SET nrz_uwagi = 'bench raw' WHERE nrz_id = %1; %2")
                            .arg(key, sql.row(key)));
        result("raw", QStringLiteral("write"), msSince(t));
        // A scan: the code looked up (an equality per code column), the
        // row, the page around it by key, and the tab that follows it.
        const QString code = QString::fromUtf8(one(c, QStringLiteral(
                "SELECT nrz_kod_kreskowy FROM narzedzia WHERE nrz_kod LIKE 'RB-%' AND nrz_id >= "
                "(SELECT max(nrz_id) * 3 / 4 FROM narzedzia) ORDER BY nrz_id LIMIT 1")));
        t.restart();
        QByteArray found;
        rawParam(c, sql.scan, code, &found);
        key = QString::fromUtf8(found);
        rawBatch(c, sql.row(key) + QStringLiteral("; ") + sql.around(key) + QStringLiteral("; ")
                    + held.first(QStringLiteral("pnp_fk_nrz = ") + key));
        result("raw", QStringLiteral("scan"), key.isEmpty() ? -1 : msSince(t));
        // Adding: the placeholder row, the dialog's row, the named tool.
        key.clear();
        const QString stamp = QString::number(QDateTime::currentMSecsSinceEpoch());
        result("raw", QStringLiteral("add"),
               rawCommand(c,
                          {QStringLiteral("INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_fk_mgz, nrz_fk_stn, "
                                          "nrz_przyjete_na_stan, nrz_zlikwidowano, fk_uzt_stworzono, fk_uzt_zmodyfikowano) "
                                          "VALUES ('<WSTAW KOD>%1', '<WSTAW NAZWĘ>', 1, 1, true, false, 1, 1) RETURNING nrz_id")
                                   .arg(stamp.right(6)),
                           sql.row(QStringLiteral(":key")),
                           QStringLiteral("UPDATE narzedzia SET nrz_kod = 'BR-%1', nrz_nazwa = 'Narzędzie z testu "
                                          "wydajności', fk_uzt_zmodyfikowano = 1 WHERE nrz_id = :key")
                                   .arg(stamp)},
                          sql.row(QStringLiteral(":key")) + QStringLiteral("; ")
                                  + held.first(QStringLiteral("pnp_fk_nrz = :key")),
                          &key));
    } else if (reg.kind == Kind::Transfers) {
        const Tool tool = freeTool(c, QStringLiteral("%1 AND nrz_fk_mgz = 1").arg(QLatin1String(kMiddle)));
        // A warehouse's tab of issued transfers, then an issue from the main warehouse.
        result("raw", QStringLiteral("tab_open"), rawBatch(c, sql.first(QStringLiteral("psnmm_fk_mgz_src = 2"))));
        result("raw", QStringLiteral("issue"),
               rawCommand(c,
                          {toolAway(tool),
                           QStringLiteral("INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, "
                                          "psnmm_fk_uzt_src, psnmm_data_wydanie, psnmm_status, fk_uzt_stworzono, "
                                          "fk_uzt_zmodyfikowano) VALUES (%1, 1, 2, 1, current_date, false, 1, 1) "
                                          "RETURNING psnmm_id")
                                   .arg(tool.id)},
                          sql.row(QStringLiteral(":key")) + QStringLiteral("; ") + tools.row(tool.id), &key));
        result("raw", QStringLiteral("receive"),
               rawCommand(c,
                          {QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_mgz = 2, "
                                          "fk_uzt_zmodyfikowano = 1 WHERE nrz_id = %1").arg(tool.id),
                           QStringLiteral("UPDATE przesuniecia_mm SET psnmm_status = true, psnmm_fk_uzt_dst = 1, "
                                          "psnmm_data_przyjecie = current_date, fk_uzt_zmodyfikowano = 1 "
                                          "WHERE psnmm_id = :key")},
                          sql.row(QStringLiteral(":key")) + QStringLiteral("; ") + tools.row(tool.id), &key));
    } else if (reg.kind == Kind::Issues) {
        const QString employee = QStringLiteral("pnp_fk_prc = 2");
        result("raw", QStringLiteral("tab_open"), rawBatch(c, sql.first(employee)));
        const Tool tool = freeTool(c, QLatin1String(kMiddle));
        result("raw", QStringLiteral("issue"),
               rawCommand(c,
                          {locked(QStringLiteral("nrz_przyjete_na_stan"), QStringLiteral("narzedzia"),
                                  QStringLiteral("nrz_id"), tool.id),
                           toolAway(tool),
                           QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, "
                                          "pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd, pnp_data_wydanie, pnp_fk_stn_wydanie, "
                                          "pnp_status, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES (%1, 2, "
                                          "(SELECT nrz_fk_mgz FROM narzedzia WHERE nrz_id = %1), 1, 1, current_date, 1, "
                                          "false, 1, 1) RETURNING pnp_id")
                                   .arg(tool.id)},
                          sql.row(QStringLiteral(":key")) + QStringLiteral("; ") + tools.row(tool.id), &key));
        result("raw", QStringLiteral("take_back"),
               rawCommand(c,
                          {locked(QStringLiteral("pnp_status"), QStringLiteral("przypisane_narzedzia_pracownikom"),
                                  sql.key, key),
                           locked(QStringLiteral("nrz_przyjete_na_stan"), QStringLiteral("narzedzia"),
                                  QStringLiteral("nrz_id"), tool.id),
                           toolBack(tool),
                           QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_status = true, "
                                          "pnp_fk_uzt_prz = 1, pnp_data_przyjecie = current_date, pnp_fk_stn_przyjecie = 1, "
                                          "fk_uzt_zmodyfikowano = 1 WHERE pnp_id = :key")},
                          sql.row(QStringLiteral(":key")) + QStringLiteral("; ") + tools.row(tool.id), &key));
    } else if (reg.kind == Kind::Repairs) {
        const Tool tool = freeTool(c, QLatin1String(kWithHistory));
        const QString trips = QStringLiteral("np_fk_nrz = ") + tool.id;
        result("raw", QStringLiteral("tab_open"), rawBatch(c, sql.first(trips)));
        result("raw", QStringLiteral("send"),
               rawCommand(c,
                          {locked(QStringLiteral("nrz_przyjete_na_stan"), QStringLiteral("narzedzia"),
                                  QStringLiteral("nrz_id"), tool.id),
                           toolAway(tool, QStringLiteral(", nrz_fk_stn = 2")),
                           QStringLiteral("INSERT INTO naprawy_przeglady (np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd, "
                                          "np_data_wyd, np_fk_stn_wyd, np_status, fk_uzt_stworzono, fk_uzt_zmodyfikowano) "
                                          "VALUES (0, %1, (SELECT nrz_fk_mgz FROM narzedzia WHERE nrz_id = %1), 1, "
                                          "current_date, 1, false, 1, 1) RETURNING np_id")
                                   .arg(tool.id)},
                          tools.row(tool.id) + QStringLiteral("; ") + sql.row(QStringLiteral(":key")),
                          &key));
        result("raw", QStringLiteral("take_back"),
               rawCommand(c,
                          {locked(QStringLiteral("nrz_przyjete_na_stan"), QStringLiteral("narzedzia"),
                                  QStringLiteral("nrz_id"), tool.id),
                           toolBack(tool),
                           QStringLiteral("UPDATE naprawy_przeglady SET np_status = true, np_fk_uzt_prz = 1, "
                                          "np_data_prz = current_date, np_fk_stn_prz = 1, fk_uzt_zmodyfikowano = 1 "
                                          "WHERE np_id = :key")},
                          tools.row(tool.id) + QStringLiteral("; ") + sql.row(QStringLiteral(":key")), &key));
    }

    // The whole result, every value read.
    int rows = 0;
    result("raw", QStringLiteral("full"),
           rawBatch(c, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(sql.columns, sql.source, byKey), &rows));
    PGresult *all = PQexec(c, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(sql.columns, sql.source, byKey).toUtf8().constData());
    result("raw", QStringLiteral("memory"), bench::currentKiB() - base);
    PQclear(all);
    PQfinish(c);
    return 0;
}

// ---- The plans: every statement a step needs, at the size filled ----

// The tables that grow with the register.
const QRegularExpression kBigTable(QStringLiteral(
        "\\bon (narzedzia|przesuniecia_mm|przypisane_narzedzia_pracownikom|naprawy_przeglady)\\b"));
// More rows than this read from a big table for one step is reading it, not finding in it.
constexpr qint64 kReadLimit = 2560;

// Why a plan grows with the table (empty when it does not): a sequential
// scan of a big table, a sort of more than a page, or a scan of a big table
// that reads or throws away more than a few pages of rows.
QStringList growth(const QStringList &plan)
{
    static const QRegularExpression counts(QStringLiteral("rows=(\\d+) loops=(\\d+)"));
    static const QRegularExpression removed(QStringLiteral("Rows Removed by (?:Filter|Index Recheck): (\\d+)"));
    QStringList why;
    qint64 lastLoops = 1;
    QString lastTable;
    for (int i = 0; i < plan.size(); ++i) {
        const QString &line = plan.at(i);
        const QRegularExpressionMatch big = kBigTable.match(line);
        const QRegularExpressionMatch n = counts.match(line);
        const bool node = n.hasMatch() || line.contains(QLatin1String("never executed"));
        if (node) {
            lastLoops = n.hasMatch() ? n.captured(2).toLongLong() : 0;
            lastTable = big.hasMatch() && !line.contains(QLatin1String(" Join ")) ? big.captured(1) : QString();
        }
        if (line.contains(QLatin1String("Seq Scan")) && big.hasMatch())
            why << QStringLiteral("Seq Scan on %1").arg(big.captured(1));
        else if (node && !lastTable.isEmpty() && n.hasMatch()
                 && n.captured(1).toLongLong() * lastLoops > kReadLimit)
            why << QStringLiteral("%1 rows read from %2").arg(n.captured(1).toLongLong() * lastLoops).arg(lastTable);
        const QRegularExpressionMatch r = removed.match(line);
        if (r.hasMatch() && !lastTable.isEmpty() && r.captured(1).toLongLong() * qMax<qint64>(1, lastLoops) > kReadLimit)
            why << QStringLiteral("%1 rows of %2 read and thrown away").arg(r.captured(1).toLongLong() * qMax<qint64>(1, lastLoops)).arg(lastTable);
        // A Sort node: what its input (the next node below it) gives.
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("Sort  (")) || trimmed.startsWith(QLatin1String("Sort (")) || trimmed.startsWith(QLatin1String("->  Sort  ("))
            || trimmed.startsWith(QLatin1String("->  Sort ("))) {
            for (int j = i + 1; j < plan.size(); ++j) {
                const QRegularExpressionMatch child = counts.match(plan.at(j));
                if (!child.hasMatch())
                    continue;
                const qint64 rows = child.captured(1).toLongLong() * child.captured(2).toLongLong();
                if (rows > 256)
                    why << QStringLiteral("Sort of %1 rows").arg(rows);
                break;
            }
        }
    }
    why.removeDuplicates();
    return why;
}

// EXPLAIN ANALYZE of one statement in a transaction that is rolled back;
// `before` brings the rows to what the statement meets (":key" is the key a
// RETURNING gave, ":xmin" the row version a SELECT xmin read).
void explain(PGconn *c, const QString &name, QString sql, const QStringList &before = {})
{
    std::printf("PLAN %s\n", qPrintable(name));
    one(c, QStringLiteral("BEGIN"));
    QString key;
    QString xmin;
    for (QString b : before) {
        b.replace(QLatin1String(":key"), key).replace(QLatin1String(":xmin"), xmin);
        const QString v = QString::fromUtf8(one(c, b));
        if (b.contains(QLatin1String("RETURNING")))
            key = v;
        else if (b.startsWith(QLatin1String("SELECT xmin")))
            xmin = v;
    }
    sql.replace(QLatin1String(":key"), key).replace(QLatin1String(":xmin"), xmin);
    std::printf("  %s\n", qPrintable(sql));
    PGresult *r = PQexec(c, (QStringLiteral("EXPLAIN (ANALYZE, BUFFERS, COSTS OFF) ") + sql).toUtf8().constData());
    QStringList plan;
    if (PQresultStatus(r) == PGRES_TUPLES_OK) {
        for (int i = 0; i < PQntuples(r); ++i)
            plan << QString::fromUtf8(PQgetvalue(r, i, 0));
    } else {
        std::printf("  FAILED %s", PQresultErrorMessage(r));
    }
    PQclear(r);
    one(c, QStringLiteral("ROLLBACK"));
    for (const QString &line : std::as_const(plan))
        std::printf("    %s\n", qPrintable(line));
    const QStringList why = growth(plan);
    if (!why.isEmpty())
        std::printf("NOT INDEXED %s: %s\n", qPrintable(name), qPrintable(why.join(QStringLiteral("; "))));
    std::fflush(stdout);
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

// A statement of the program with its text parameter written in.
QString withText(QString sql, const QString &text)
{
    return sql.replace(QLatin1String("$1"), quoted(text));
}

int runExplain(int argc, char **argv)
{
    OVApplication app(argc, argv);
    if (!bench::connectApp(app))
        return 1;
    app.setUztId(1);
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    const Sql tools = sqlOf(NarzedziaModel::staticMetaObject.className(), "");
    const Sql issues = sqlOf(PrzypisaneNarzedziaPracownikomModel::staticMetaObject.className(), "");
    const Sql transfers = sqlOf(PrzesunieciaMMModel::staticMetaObject.className(), "");
    const Sql repairs = sqlOf(NaprawyPrzegladyModel::staticMetaObject.className(), "");
    const Sql employees = sqlOf(PracownicyModel::staticMetaObject.className(), "");
    std::unique_ptr<TAVTableModel> toolModel(
            SFModels::instance()->create(QLatin1String(NarzedziaModel::staticMetaObject.className()), QString()));

    // A tool in the middle, one with a history, and keys in the middle of each register.
    const QString mid = QString::fromUtf8(one(c, QStringLiteral(
            "SELECT nrz_id FROM narzedzia WHERE nrz_kod LIKE 'RB-%' AND nrz_id >= "
            "(SELECT (min(nrz_id) + max(nrz_id)) / 2 FROM narzedzia) ORDER BY nrz_id LIMIT 1")));
    const QString midName = QString::fromUtf8(one(c, QStringLiteral("SELECT nrz_nazwa FROM narzedzia WHERE nrz_id = ") + mid));
    const QString barcode = QString::fromUtf8(one(c, QStringLiteral("SELECT nrz_kod_kreskowy FROM narzedzia WHERE nrz_id = ") + mid));
    const Tool free = freeTool(c, QStringLiteral("%1 AND nrz_fk_mgz = 1").arg(QLatin1String(kMiddle)));
    const Tool held = freeTool(c, QLatin1String(kWithHistory));
    auto middle = [c](const char *table, const char *key) {
        return QString::fromUtf8(one(c, QStringLiteral("SELECT %2 FROM %1 WHERE %2 >= (SELECT (min(%2) + max(%2)) / 2 FROM %1) "
                                                       "ORDER BY %2 LIMIT 1").arg(QLatin1String(table), QLatin1String(key))));
    };

    // The libpq anchors of the registers' steps.
    struct Reg { const char *name; const Sql *sql; const Register *r; QString mid; };
    const Reg regs[] = {{"tools", &tools, registerNamed(QStringLiteral("tools")), mid},
                        {"transfers", &transfers, registerNamed(QStringLiteral("transfers")), middle("przesuniecia_mm", "psnmm_id")},
                        {"issues", &issues, registerNamed(QStringLiteral("issues")), middle("przypisane_narzedzia_pracownikom", "pnp_id")},
                        {"repairs", &repairs, registerNamed(QStringLiteral("repairs")), middle("naprawy_przeglady", "np_id")}};
    for (const Reg &g : regs) {
        const QString n = QStringLiteral("libpq %1 ").arg(QLatin1String(g.name));
        const Sql &s = *g.sql;
        explain(c, n + QStringLiteral("first_page"), s.first(QString()));
        explain(c, n + QStringLiteral("search"),
                s.first(QStringLiteral("%1 ILIKE '%2'").arg(QLatin1String(g.r->searchColumn), QLatin1String(g.r->searchText))));
        explain(c, n + QStringLiteral("sort"),
                s.page(QString(), QStringLiteral("%1 ASC NULLS LAST, %2 ASC").arg(QLatin1String(g.r->sortColumn), s.key), 256));
        explain(c, n + QStringLiteral("last_page"), s.page(QString(), s.key + QStringLiteral(" DESC"), 256));
        explain(c, n + QStringLiteral("row"), s.row(g.mid));
    }
    explain(c, QStringLiteral("libpq tools write"),
            QStringLiteral("UPDATE narzedzia SET nrz_uwagi = 'bench explain' WHERE nrz_id = %1").arg(mid));
    explain(c, QStringLiteral("libpq tools scan: code"), withText(tools.scan, barcode));
    explain(c, QStringLiteral("libpq tools scan: rows before"), tools.page(QStringLiteral("nrz_id < ") + mid, QStringLiteral("nrz_id DESC"), 64));
    explain(c, QStringLiteral("libpq tools scan: rows after"), tools.page(QStringLiteral("nrz_id >= ") + mid, QStringLiteral("nrz_id ASC"), 192));
    explain(c, QStringLiteral("libpq tools scan: tab"), issues.first(QStringLiteral("pnp_fk_nrz = ") + mid));
    const QString placeholder = QStringLiteral(
            "INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_fk_mgz, nrz_fk_stn, nrz_przyjete_na_stan, nrz_zlikwidowano, "
            "fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES ('<WSTAW KOD>x1', '<WSTAW NAZWĘ>', 1, 1, true, false, 1, 1) "
            "RETURNING nrz_id");
    explain(c, QStringLiteral("libpq tools add: placeholder"), placeholder);
    explain(c, QStringLiteral("libpq tools add: named"),
            QStringLiteral("UPDATE narzedzia SET nrz_kod = 'BR-x1', nrz_nazwa = 'Narzędzie', fk_uzt_zmodyfikowano = 1 "
                           "WHERE nrz_id = :key"), {placeholder});

    // The movements: each write after the ones before it, in one transaction.
    const QString transferIn = QStringLiteral(
            "INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src, "
            "psnmm_data_wydanie, psnmm_status, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES (%1, 1, 2, 1, current_date, "
            "false, 1, 1) RETURNING psnmm_id").arg(free.id);
    explain(c, QStringLiteral("libpq transfers tab_open"), transfers.first(QStringLiteral("psnmm_fk_mgz_src = 2")));
    explain(c, QStringLiteral("libpq transfers issue: tool"), toolAway(free));
    explain(c, QStringLiteral("libpq transfers issue: insert"), transferIn, {toolAway(free)});
    explain(c, QStringLiteral("libpq transfers issue: read back"), transfers.row(QStringLiteral(":key")), {toolAway(free), transferIn});
    const QString received = QStringLiteral(
            "UPDATE przesuniecia_mm SET psnmm_status = true, psnmm_fk_uzt_dst = 1, psnmm_data_przyjecie = current_date, "
            "fk_uzt_zmodyfikowano = 1 WHERE psnmm_id = :key");
    explain(c, QStringLiteral("libpq transfers receive: movement"), received, {toolAway(free), transferIn});
    const QString issueIn = QStringLiteral(
            "INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd, "
            "pnp_data_wydanie, pnp_fk_stn_wydanie, pnp_status, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES (%1, 2, "
            "(SELECT nrz_fk_mgz FROM narzedzia WHERE nrz_id = %1), 1, 1, current_date, 1, false, 1, 1) RETURNING pnp_id")
                                    .arg(free.id);
    explain(c, QStringLiteral("libpq issues tab_open"), issues.first(QStringLiteral("pnp_fk_prc = 2")));
    explain(c, QStringLiteral("libpq issues issue: insert"), issueIn, {toolAway(free)});
    explain(c, QStringLiteral("libpq issues take_back: movement"),
            QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_status = true, pnp_fk_uzt_prz = 1, "
                           "pnp_data_przyjecie = current_date, pnp_fk_stn_przyjecie = 1, fk_uzt_zmodyfikowano = 1 "
                           "WHERE pnp_id = :key"),
            {toolAway(free), issueIn});
    const QString tripIn = QStringLiteral(
            "INSERT INTO naprawy_przeglady (np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd, np_data_wyd, np_fk_stn_wyd, "
            "np_status, fk_uzt_stworzono, fk_uzt_zmodyfikowano) VALUES (0, %1, (SELECT nrz_fk_mgz FROM narzedzia WHERE "
            "nrz_id = %1), 1, current_date, 1, false, 1, 1) RETURNING np_id").arg(held.id);
    explain(c, QStringLiteral("libpq repairs tab_open"), repairs.first(QStringLiteral("np_fk_nrz = ") + held.id));
    explain(c, QStringLiteral("libpq repairs send: insert"), tripIn, {toolAway(held, QStringLiteral(", nrz_fk_stn = 2"))});
    explain(c, QStringLiteral("libpq repairs take_back: movement"),
            QStringLiteral("UPDATE naprawy_przeglady SET np_status = true, np_fk_uzt_prz = 1, np_data_prz = current_date, "
                           "np_fk_stn_prz = 1, fk_uzt_zmodyfikowano = 1 WHERE np_id = :key"),
            {toolAway(held, QStringLiteral(", nrz_fk_stn = 2")), tripIn});

    // The program's own statements, as the table model and the movements build them.
    const QString nameKey = QStringLiteral("(%1, %2)").arg(quoted(midName), mid);
    explain(c, QStringLiteral("program tools next page by name"),
            QStringLiteral("SELECT %1 FROM v_narzedzia WHERE ((nrz_nazwa, nrz_id) > %2) "
                           "ORDER BY nrz_nazwa ASC NULLS LAST, nrz_id ASC LIMIT 256").arg(tools.columns, nameKey));
    explain(c, QStringLiteral("program tools next page by key"),
            QStringLiteral("SELECT %1 FROM v_narzedzia WHERE (nrz_id > %2) ORDER BY nrz_id ASC LIMIT 256").arg(tools.columns, mid));
    explain(c, QStringLiteral("program tools predecessor by name"),
            QStringLiteral("SELECT %1 FROM v_narzedzia WHERE ((nrz_nazwa, nrz_id) < %2) "
                           "ORDER BY nrz_nazwa DESC NULLS FIRST, nrz_id DESC LIMIT 1").arg(tools.columns, nameKey));
    for (const Reg &g : regs)
        explain(c, QStringLiteral("program %1 row by key").arg(QLatin1String(g.name)),
                QStringLiteral("SELECT %1 FROM %2 WHERE (%3 = %4) LIMIT 1").arg(g.sql->columns, g.sql->source, g.sql->key, g.mid));
    explain(c, QStringLiteral("program tools scan"), withText(toolModel->scanStatement(QString(), 50), barcode));
    explain(c, QStringLiteral("program tools scan by serial number"),
            withText(toolModel->scanStatement(QString(), 50),
                     QString::fromUtf8(one(c, QStringLiteral("SELECT nrz_nr_seryjny FROM narzedzia WHERE nrz_id = ") + mid))));
    const QString onStock = QStringLiteral("nrz_fk_mgz = 1 AND nrz_przyjete_na_stan = true AND nrz_zlikwidowano = false");
    explain(c, QStringLiteral("program pick list of tools: scan"), withText(toolModel->scanStatement(onStock, 50), free.code));
    explain(c, QStringLiteral("program pick list of tools: first page"),
            tools.first(QStringLiteral("nrz_przyjete_na_stan = true AND nrz_zlikwidowano = false AND nrz_fk_stn <> 2")));
    explain(c, QStringLiteral("program employees first_page"), employees.first(QString()));
    explain(c, QStringLiteral("program tab issues of employee"), issues.first(QStringLiteral("pnp_fk_prc = 2")));
    explain(c, QStringLiteral("program tab issues of place of use"), issues.first(QStringLiteral("pnp_fk_muz = 1")));
    explain(c, QStringLiteral("program tab transfers issued by warehouse"), transfers.first(QStringLiteral("psnmm_fk_mgz_src = 1")));
    explain(c, QStringLiteral("program tab transfers received by warehouse"), transfers.first(QStringLiteral("psnmm_fk_mgz_dst = 2")));
    explain(c, QStringLiteral("program tab repairs of tool"), repairs.first(QStringLiteral("np_fk_nrz = ") + held.id));
    explain(c, QStringLiteral("program tab issues of tool"), issues.first(QStringLiteral("pnp_fk_nrz = ") + held.id));
    explain(c, QStringLiteral("program tab transfers of tool"), transfers.first(QStringLiteral("psnmm_fk_nrz = ") + held.id));
    explain(c, QStringLiteral("program pick list open transfers to warehouse"),
            transfers.first(QStringLiteral("psnmm_status = false and psnmm_fk_mgz_dst = 2")));
    explain(c, QStringLiteral("program pick list open trips of tool"),
            repairs.first(QStringLiteral("np_status = false and np_fk_nrz = ") + held.id));
    explain(c, QStringLiteral("program rows changed elsewhere"),
            QStringLiteral("SELECT %1 FROM v_narzedzia WHERE (nrz_id = ANY('{%2,%3}'::bigint[])) LIMIT 3").arg(tools.columns, mid, held.id));
    explain(c, QStringLiteral("program tools of changed movements"),
            QStringLiteral("SELECT DISTINCT psnmm_fk_nrz FROM przesuniecia_mm WHERE psnmm_id = ANY('{%1}'::bigint[])")
                    .arg(regs[1].mid));

    // A movement command: an empty movement model, the tool read, locked and written, the movement inserted.
    explain(c, QStringLiteral("program movement: empty register"), transfers.first(QStringLiteral("psnmm_id = -1")));
    explain(c, QStringLiteral("program movement: tool read"), tools.first(QStringLiteral("nrz_id = ") + free.id));
    explain(c, QStringLiteral("program movement: tool facts"),
            QStringLiteral("SELECT n.nrz_fk_mgz, n.nrz_fk_stn, coalesce(n.nrz_przeglad_miesiace, k.ktr_nrz_przeglad_miesiace, 12) "
                           "FROM narzedzia n LEFT JOIN kategorie_narzedzi k ON k.ktr_nrz_id = n.nrz_fk_ktr_nrz "
                           "WHERE n.nrz_id = %1").arg(free.id));
    explain(c, QStringLiteral("program movement: tool locked"),
            QStringLiteral("SELECT nrz_przyjete_na_stan::text FROM narzedzia WHERE nrz_id = %1 FOR UPDATE").arg(free.id));
    explain(c, QStringLiteral("program movement: tool version"),
            QStringLiteral("SELECT xmin::text FROM narzedzia WHERE nrz_id = %1").arg(free.id));
    const QString version = QStringLiteral("SELECT xmin::text FROM narzedzia WHERE nrz_id = %1").arg(free.id);
    explain(c, QStringLiteral("program movement: tool written"),
            QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = %1 AND xmin::text = ':xmin'")
                    .arg(free.id),
            {version});
    explain(c, QStringLiteral("program movement: inserted"), transferIn, {toolAway(free)});
    explain(c, QStringLiteral("program movement: read back"),
            QStringLiteral("SELECT %1 FROM v_przesuniecia_mm WHERE (psnmm_id = :key) LIMIT 1").arg(transfers.columns),
            {toolAway(free), transferIn});

    // What the database's triggers look for when a movement or a tool is written.
    explain(c, QStringLiteral("trigger movement: tool locked"),
            QStringLiteral("SELECT nrz_przyjete_na_stan FROM narzedzia WHERE nrz_id = %1 FOR UPDATE").arg(held.id));
    explain(c, QStringLiteral("trigger movement: open movements of tool"),
            QStringLiteral("SELECT (SELECT count(*) FROM przesuniecia_mm WHERE psnmm_fk_nrz = %1 AND NOT psnmm_status)::integer "
                           "+ (SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = %1 AND NOT pnp_status)::integer "
                           "+ (SELECT count(*) FROM naprawy_przeglady WHERE np_fk_nrz = %1 AND NOT np_status)::integer")
                    .arg(held.id));
    explain(c, QStringLiteral("trigger movement: tool of a new movement"),
            QStringLiteral("SELECT nrz_zlikwidowano, nrz_fk_mgz, nrz_fk_stn FROM narzedzia WHERE nrz_id = %1").arg(held.id));
    explain(c, QStringLiteral("trigger tool: not part of itself"),
            QStringLiteral("WITH RECURSIVE gora(id, glebokosc) AS (SELECT %1, 1 UNION ALL SELECT n.nrz_fk_nrz, g.glebokosc + 1 "
                           "FROM gora g JOIN narzedzia n ON n.nrz_id = g.id WHERE n.nrz_fk_nrz IS NOT NULL AND g.glebokosc < 1000) "
                           "SELECT 1 FROM gora WHERE id = %2").arg(held.id, mid));
    explain(c, QStringLiteral("trigger location: tools in it"),
            QStringLiteral("SELECT 1 FROM narzedzia WHERE nrz_fk_lkl = 1 AND nrz_fk_mgz <> 2"));
    explain(c, QStringLiteral("view employees: tools held"),
            QStringLiteral("SELECT count(*) FROM przypisane_narzedzia_pracownikom z WHERE z.pnp_fk_prc = 2 AND NOT z.pnp_status"));
    PQfinish(c);
    return 0;
}

// ---- The program, as a keeper uses it ----

// A keeper's next click comes a moment after the last: what the program
// finishes in the background (a large register's count, the jump back to
// the current row after a sort) is done by then.
void settle()
{
    QElapsedTimer t;
    t.start();
    while (TAVRowCounter::instance()->pending() > 0 && t.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
}

// What the user sees of a register: its table and its shown dependent tab, painted.
void paint(TAVEwidencja *view)
{
    view->tableView()->viewport()->grab();
    if (auto *tab = qobject_cast<TAVEwidencja *>(view->relativeTabs()->currentWidget()))
        tab->tableView()->viewport()->grab();
}

TAVEwidencja *openModule(MainWindow &window, void (MainWindow::*module)())
{
    (window.*module)();
    return qobject_cast<TAVEwidencja *>(window.tabs()->currentWidget());
}

// A dependent tab of a register, brought forward.
TAVEwidencja *showTab(TAVEwidencja *view, int index)
{
    view->relativeTabs()->setCurrentIndex(index);
    return view->relatives().value(index);
}

void pressOk(QDialog *dialog)
{
    auto *buttons = dialog->findChild<QDialogButtonBox *>();
    QPushButton *ok = buttons ? buttons->button(QDialogButtonBox::Ok) : nullptr;
    if (ok)
        ok->click();
    else
        dialog->accept();
}

// In a pick list: the row of a code scanned into its "Skanuj" field, or the
// row of a key clicked; then OK.
bench::Answers::Handler pick(const QString &code, qint64 key = 0)
{
    return [code, key](QDialog *dialog) {
        auto *tav = qobject_cast<TAVDialog *>(dialog);
        TAVEwidencja *list = tav ? tav->ewidencja() : nullptr;
        if (list && !code.isEmpty() && list->scanField()) {
            list->scanField()->setText(code);
            list->scan();
        } else if (list) {
            list->selectKey(key);
        }
        pressOk(dialog);
    };
}

// A dialog filled in (picks included), then OK; `save` starts at the OK.
bench::Answers::Handler confirm(QElapsedTimer &save, std::function<void(QDialog *)> fill = {})
{
    return [&save, fill](QDialog *dialog) {
        if (fill)
            fill(dialog);
        save.start();
        pressOk(dialog);
    };
}

bench::Answers::Handler answer(QMessageBox::StandardButton button)
{
    return [button](QDialog *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (box && box->button(button))
            box->button(button)->click();
        else
            dialog->reject();
    };
}

// The state a tool comes back in.
std::function<void(QDialog *)> returnState(const char *combo)
{
    return [combo](QDialog *dialog) {
        auto *states = dialog->findChild<QComboBox *>(QLatin1String(combo));
        states->setCurrentIndex(states->findText(QStringLiteral("Sprawne")));
    };
}

struct Timed
{
    double whole = -1;
    double fromOk = -1;
    double cpu = -1;
};

// A register's command as the user's click starts it: it runs its dialogs
// (answered by `answers`) and its writes, the registers are refreshed when
// it returns, and `shown` is painted. The whole time, the time from the
// last OK to the register shown, and the client's CPU time for the whole
// (which a busy machine inflates less than the clock).
Timed command(TAVEwidencja *view, const QString &text, bench::Answers &answers, TAVEwidencja *shown,
              const QElapsedTimer &save)
{
    QAction *action = view->commandAction(text);
    if (!action || !action->isEnabled()) {
        std::fprintf(stderr, "command \"%s\" not available\n", qPrintable(text));
        answers.clean();
        return {};
    }
    settle();
    QElapsedTimer t;
    t.start();
    const double cpu = bench::cpuMs();
    action->trigger();
    paint(shown);
    Timed timed{msSince(t), msSince(save), bench::cpuMs() - cpu};
    return answers.clean() ? timed : Timed{};
}

void report(const char *op, const Timed &timed, bool shown)
{
    if (!shown)
        std::fprintf(stderr, "%s: the register does not show the written row\n", op);
    result("model", QLatin1String(op), shown ? timed.whole : -1);
    result("model", QLatin1String(op) + QStringLiteral("_save"), shown ? timed.fromOk : -1);
    result("model", QLatin1String(op) + QStringLiteral("_cpu"), shown ? timed.cpu : -1);
}

bool holds(TAVEwidencja *view, const QString &key)
{
    return !key.isEmpty() && view->getModel()->rowOfKey(key.toLongLong()) >= 0;
}

void toolCommands(TAVEwidencja *view, PGconn *c, bench::Answers &answers)
{
    TAVTableModel *m = view->getModel();
    // A scan: the bar code of a tool far beyond the rows read so far.
    const QString where = QStringLiteral("nrz_kod LIKE 'RB-%' AND nrz_id >= (SELECT max(nrz_id) * 3 / 4 FROM narzedzia)");
    const QByteArray key = one(c, QStringLiteral("SELECT min(nrz_id) FROM narzedzia WHERE ") + where);
    view->scanField()->setText(QString::fromUtf8(one(c, QStringLiteral("SELECT nrz_kod_kreskowy FROM narzedzia WHERE nrz_id = ") + key)));
    settle();
    QElapsedTimer t;
    t.start();
    view->scan();
    paint(view);
    const double scan = msSince(t);
    result("model", QStringLiteral("scan"), m->value(view->currentIndex().row(), QStringLiteral("nrz_id")).toLongLong() == key.toLongLong() ? scan : -1);

    // Adding: the warehouse picked, code and name typed, OK.
    QElapsedTimer save;
    const QString code = QStringLiteral("BN-") + QString::number(QDateTime::currentMSecsSinceEpoch());
    answers.then(pick(QString(), 1));
    answers.then(confirm(save, [code](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("leKod"))->setText(code);
        dialog->findChild<QLineEdit *>(QStringLiteral("leNazwa"))->setText(QStringLiteral("Narzędzie z testu wydajności"));
    }));
    const Timed add = command(view, QStringLiteral("Dodaj"), answers, view, save);
    report("add", add, m->value(view->currentIndex().row(), QStringLiteral("nrz_kod")).toString() == code);
}

void transferCommands(MainWindow &window, TAVEwidencja *transfers, PGconn *c, bench::Answers &answers)
{
    const Tool tool = freeTool(c, QStringLiteral("%1 AND nrz_fk_mgz = 1").arg(QLatin1String(kMiddle)));
    // Issued from the main warehouse, its issued transfers on view.
    TAVEwidencja *warehouses = openModule(window, &MainWindow::ewidencjaMagazyny);
    TAVEwidencja *issued = showTab(warehouses, 1);
    // Another warehouse's issued transfers, then back to the main one.
    settle();
    QElapsedTimer t;
    t.start();
    warehouses->selectKey(2);
    paint(warehouses);
    result("model", QStringLiteral("tab_open"), msSince(t));
    warehouses->selectKey(1);
    QElapsedTimer save;
    answers.then(pick(tool.code));
    answers.then(pick(QString(), 2));
    answers.then(confirm(save));
    const Timed issue = command(warehouses, QStringLiteral("MM-"), answers, warehouses, save);
    const QString key = QString::fromUtf8(one(c, QStringLiteral("SELECT psnmm_id FROM przesuniecia_mm WHERE NOT "
                                                                "psnmm_status AND psnmm_fk_nrz = ") + tool.id));
    report("issue", issue, holds(issued, key) && holds(transfers, key));

    // Received in the register of transfers.
    window.tabs()->setCurrentWidget(transfers);
    transfers->selectKey(key.toLongLong());
    answers.then(confirm(save));
    const Timed receive = command(transfers, QStringLiteral("Przyjmij na magazyn"), answers, transfers, save);
    const int row = transfers->getModel()->rowOfKey(key.toLongLong());
    report("receive", receive, row >= 0 && transfers->getModel()->value(row, QStringLiteral("psnmm_status")).toBool());
}

void issueCommands(MainWindow &window, PGconn *c, bench::Answers &answers)
{
    // An employee's tab: the tools the employee holds and held.
    TAVEwidencja *employees = openModule(window, &MainWindow::ewidencjaPracownicy);
    TAVEwidencja *held = employees->relatives().value(0);
    settle();
    QElapsedTimer t;
    t.start();
    employees->selectKey(2);
    paint(employees);
    result("model", QStringLiteral("tab_open"), msSince(t));

    const Tool tool = freeTool(c, QLatin1String(kMiddle));
    QElapsedTimer save;
    answers.then(confirm(save, [](QDialog *dialog) {
        dialog->findChild<TAVListaWyboru *>(QStringLiteral("lwFkNrz"))->showList();
        dialog->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMuz"))->showList();
    }));
    answers.then(pick(tool.code));
    answers.then(pick(QString(), 1));
    // The issue slip is not printed.
    answers.then(answer(QMessageBox::No));
    const Timed issue = command(employees, QStringLiteral("Wydaj pracownikowi"), answers, employees, save);
    const QString key = QString::fromUtf8(one(c, QStringLiteral("SELECT pnp_id FROM przypisane_narzedzia_pracownikom "
                                                                "WHERE NOT pnp_status AND pnp_fk_nrz = ") + tool.id));
    report("issue", issue, holds(held, key));

    held->selectKey(key.toLongLong());
    answers.then(confirm(save, returnState("cbFkStnPrzyjecie")));
    answers.then(answer(QMessageBox::No));
    const Timed back = command(held, QStringLiteral("Przyjmij od pracownika"), answers, held, save);
    const int row = held->getModel()->rowOfKey(key.toLongLong());
    report("take_back", back, row >= 0 && held->getModel()->value(row, QStringLiteral("pnp_status")).toBool());
}

void repairCommands(MainWindow &window, PGconn *c, bench::Answers &answers)
{
    // A tool's tab of repairs and inspections.
    const Tool tool = freeTool(c, QLatin1String(kWithHistory));
    TAVEwidencja *tools = openModule(window, &MainWindow::orvaloa);
    TAVEwidencja *trips = showTab(tools, 1);
    settle();
    QElapsedTimer t;
    t.start();
    tools->selectKey(tool.id.toLongLong());
    paint(tools);
    result("model", QStringLiteral("tab_open"), msSince(t));

    QElapsedTimer save;
    answers.then(confirm(save));
    const Timed send = command(tools, QStringLiteral("Wydaj do naprawy"), answers, tools, save);
    const QString key = QString::fromUtf8(one(c, QStringLiteral("SELECT np_id FROM naprawy_przeglady WHERE NOT "
                                                                "np_status AND np_fk_nrz = ") + tool.id));
    report("send", send, holds(trips, key));

    trips->selectKey(key.toLongLong());
    answers.then(confirm(save, returnState("cbFkStnPrz")));
    const Timed back = command(trips, QStringLiteral("Przyjmij z naprawy"), answers, trips, save);
    const int row = trips->getModel()->rowOfKey(key.toLongLong());
    report("take_back", back, row >= 0 && trips->getModel()->value(row, QStringLiteral("np_status")).toBool());
}

// Runs the event loop, without spinning, until `done` or `ms` pass.
bool waitFor(const std::function<bool()> &done, int ms)
{
    QTimer tick;
    tick.start(20);
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Another workstation (a libpq connection) commits; the open register shows it.
void liveUpdates(TAVEwidencja *view, PGconn *writer)
{
    TAVTableModel *m = view->getModel();
    const int column = m->fieldIndex(QStringLiteral("nrz_uwagi"));
    const qint64 pid = QCoreApplication::applicationPid();
    QVector<double> latencies;
    for (int i = 0; i < 200; ++i) {
        const int row = i % 20;
        const QString text = QStringLiteral("zmiana %1 %2").arg(pid).arg(i);
        QElapsedTimer t;
        t.start();
        one(writer, QStringLiteral("UPDATE narzedzia SET nrz_uwagi = '%1' WHERE nrz_id = %2")
                            .arg(text, m->value(row, QStringLiteral("nrz_id")).toString()));
        const bool shown = waitFor([&] { return m->value(row, column).toString() == text; }, 5000);
        QCoreApplication::processEvents();
        latencies << (shown ? msSince(t) : -1);
    }
    result("model", QStringLiteral("latency_median"), bench::percentile(latencies, 0.5));
    result("model", QStringLiteral("latency_p95"), bench::percentile(latencies, 0.95));

    // A burst: one statement changes 10 000 rows; the CPU time the client spends on it.
    const QString text = QStringLiteral("seria %1").arg(pid);
    const double cpu = bench::cpuMs();
    QElapsedTimer t;
    t.start();
    one(writer, QStringLiteral("UPDATE narzedzia SET nrz_uwagi = '%1' WHERE nrz_id IN "
                               "(SELECT nrz_id FROM narzedzia ORDER BY nrz_id LIMIT 10000)").arg(text));
    const bool shown = waitFor([&] { return m->value(0, column).toString() == text; }, 5000);
    const double wall = msSince(t);
    // Whatever the burst still sets going.
    waitFor([] { return false; }, 1000);
    result("model", QStringLiteral("burst_shown"), shown ? wall : -1);
    result("model", QStringLiteral("burst_cpu"), bench::cpuMs() - cpu);
}

int runModel(int argc, char **argv, const Register &reg)
{
    OVApplication app(argc, argv);
    if (!bench::connectApp(app))
        return 1;
    app.setLogin(QStringLiteral("admin"));
    app.setUztId(1);
    app.isAdmin();
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    if (reg.kind == Kind::Live && !TAVLiveUpdates::instance()->start())
        return 1;
    bench::Answers answers;
    MainWindow window;
    window.setWindowState(Qt::WindowNoState);
    window.resize(1400, 900);
    if (!bench::waitExposed(window))
        return 1;
    // A keeper's session has shown a register already: styles, fonts and the catalogue are at hand.
    openModule(window, &MainWindow::ewidencjaKategorieNarzedzi)->grab();
    window.closeTab(window.tabs()->currentIndex());
    { std::unique_ptr<TAVTableModel> warm(SFModels::instance()->create(QLatin1String(reg.model->className()), QLatin1String(reg.context))); }
    // The model alone: first rows and the count.
    {
        std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(QLatin1String(reg.model->className()), QLatin1String(reg.context)));
        QElapsedTimer t;
        t.start();
        m->select();
        result("model", QStringLiteral("first_page"), msSince(t));
    }

    // The module opened from the palette, until its first rows are painted.
    QElapsedTimer t;
    t.start();
    TAVEwidencja *view = openModule(window, reg.module);
    paint(view);
    result("model", QStringLiteral("open_painted"), msSince(t));
    if (reg.kind == Kind::Live) {
        liveUpdates(view, c);
        TAVLiveUpdates::instance()->stop();
        PQfinish(c);
        return 0;
    }
    TAVTableModel *m = view->getModel();
    QTableView *table = view->tableView();

    // Ctrl+End: the last row, painted.
    settle();
    t.restart();
    table->scrollToBottom();
    table->viewport()->grab();
    result("model", QStringLiteral("last_page"), msSince(t));

    // Search and clear: the register with its first rows and its selection
    // ready (painting is the same at any size and is measured with opening).
    settle();
    t.restart();
    m->setFilter(QStringLiteral("%1 ILIKE '%2'").arg(QLatin1String(reg.searchColumn), QLatin1String(reg.searchText)));
    result("model", QStringLiteral("search"), msSince(t));
    settle();
    t.restart();
    m->setFilter(QString());
    result("model", QStringLiteral("clear"), msSince(t));

    // Sort by a column.
    settle();
    t.restart();
    m->sort(m->fieldIndex(QLatin1String(reg.sortColumn)), Qt::AscendingOrder);
    result("model", QStringLiteral("sort"), msSince(t));
    m->sort(0, Qt::AscendingOrder);

    if (reg.kind == Kind::Tools) {
        // One row in the middle written, the register refreshed and the row kept selected.
        const int mid = m->rowCount() / 2;
        view->selectKey(m->value(mid, 0));
        QSqlRecord rec = m->emptyRecord();
        rec.setValue(QStringLiteral("nrz_uwagi"), QStringLiteral("bench model"));
        settle();
        t.restart();
        const bool written = m->update(rec, m->index(mid, 0));
        view->selectKey(m->lastId());
        result("model", QStringLiteral("write"), written ? msSince(t) : -1);
    }

    // Back to the tab: what is shown is read again.
    settle();
    t.restart();
    view->select();
    result("model", QStringLiteral("tab_switch"), msSince(t));

    if (reg.kind == Kind::Tools)
        toolCommands(view, c, answers);
    else if (reg.kind == Kind::Transfers)
        transferCommands(window, view, c, answers);
    else if (reg.kind == Kind::Issues)
        issueCommands(window, c, answers);
    else if (reg.kind == Kind::Repairs)
        repairCommands(window, c, answers);
    PQfinish(c);

    // Scrolling through everything, every shown cell read.
    const int columns = m->columnCount();
    QVector<int> shown;
    for (int col = 0; col < columns; ++col) {
        if (!table->isColumnHidden(col))
            shown << col;
    }
    auto scroll = [&] {
        QElapsedTimer s;
        s.start();
        qint64 chars = 0;
        for (int r = 0; r < m->rowCount(); ++r) {
            for (int col : shown)
                chars += m->data(m->index(r, col)).toString().size();
        }
        return msSince(s) + (chars < 0 ? 1 : 0);
    };
    // What the rows cost beyond the window already shown.
    const long base = bench::currentKiB();
    result("model", QStringLiteral("full"), scroll());
    result("model", QStringLiteral("memory"), bench::currentKiB() - base);
    view->select();
    scroll();
    result("model", QStringLiteral("memory_after_refresh"), bench::currentKiB() - base);
    return 0;
}

} // namespace

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

// BENCH_TRACE=1: the program's diagnostic lines with the time they came, to see where a command spends it.
void trace(QtMsgType, const QMessageLogContext &, const QString &text)
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    std::fprintf(stderr, "%9.3f %s\n", msSince(clock), qPrintable(text.left(300)));
}

int main(int argc, char **argv)
{
    // As the program starts; the window's and dialogs' remembered sizes go
    // to a folder of this run.
    OrvStartup::fixTimeZone();
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    // The program's diagnostic lines would be timed too.
    qInstallMessageHandler(qEnvironmentVariableIsSet("BENCH_TRACE") ? trace : quiet);
    QString mode;
    int tools = 0;
    int transfers = 0;
    int issues = 0;
    int repairs = 0;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        const QString value = a.section(QLatin1Char('='), 1);
        if (a.startsWith(QLatin1String("--mode=")))
            mode = value;
        else if (a.startsWith(QLatin1String("--tools=")))
            tools = value.toInt();
        else if (a.startsWith(QLatin1String("--transfers=")))
            transfers = value.toInt();
        else if (a.startsWith(QLatin1String("--issues=")))
            issues = value.toInt();
        else if (a.startsWith(QLatin1String("--repairs=")))
            repairs = value.toInt();
        else if (a.startsWith(QLatin1String("--register=")))
            g_register = value;
        else if (a.startsWith(QLatin1String("--size=")))
            g_size = value.toInt();
    }
    if (mode == QLatin1String("fill"))
        return fill(tools, transfers, issues, repairs);
    if (mode == QLatin1String("explain"))
        return runExplain(argc, argv);
    const Register *reg = registerNamed(g_register);
    if (!reg)
        return 2;
    return mode == QLatin1String("raw") ? runRaw(argc, argv, *reg) : runModel(argc, argv, *reg);
}
