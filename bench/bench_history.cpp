// The history at size: the administrator's module, a record's "Historia"
// tab and a tool's life, in the program and with libpq running the same
// statement; and what the history costs a write.
//
//   bench_history --mode=fill --entries=N     (as a superuser)
//   bench_history --mode=raw|model
//   bench_history --mode=write                (as a superuser: with and without the history trigger)
//
// Prints RESULT lines as bench_registers does (register=history).
#include "BenchSupport.h"
#include "OVApplication.h"
#include "Factories.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"

#include <QElapsedTimer>
#include <QTableView>

#include <cstdio>
#include <memory>
#include <tuple>

namespace {

using bench::msSince;

void result(const char *side, const char *op, double value)
{
    std::printf("RESULT side=%s register=history size=%lld op=%s value=%.3f\n", side,
                static_cast<long long>(bench::env("BENCH_HISTORY_SIZE", "0").toLongLong()), op, value);
    std::fflush(stdout);
}

QString scalar(PGconn *c, const QString &sql)
{
    PGresult *r = PQexec(c, sql.toUtf8().constData());
    const QString v = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) > 0 ? QString::fromUtf8(PQgetvalue(r, 0, 0))
                                                                                 : QString();
    PQclear(r);
    return v;
}

// The warehouse and the tool with the most entries: the heaviest tab.
QString busiestWarehouse(PGconn *c) { return scalar(c, QStringLiteral("SELECT 2")); }
QString busiestTool(PGconn *c)
{
    return scalar(c, QStringLiteral("SELECT hz_fk_nrz FROM historia_zmian WHERE hz_fk_nrz IS NOT NULL "
                                    "GROUP BY 1 ORDER BY count(*) DESC LIMIT 1"));
}

const char *kColumns = "hz_id, hz_czas, hz_tabela, hz_tabela_nazwa, hz_klucz, hz_operacja, hz_czynnosc, hz_opis, "
                       "hz_fk_nrz, hz_fk_uzt, hz_uzytkownik, hz_poswiadczone, hz_stanowisko, hz_adres";

// The three readings as the registers make them: a page (the model reads 256 rows), newest first.
QList<QPair<const char *, QString>> readings(PGconn *c)
{
    const QString page = QStringLiteral("SELECT %1 FROM v_historia_zmian %2 ORDER BY hz_id DESC LIMIT 256")
                                 .arg(QLatin1String(kColumns));
    return {{"open", page.arg(QString())},
            {"record_tab", page.arg(QStringLiteral("WHERE (hz_tabela = 'magazyny' AND hz_klucz = %1)").arg(busiestWarehouse(c)))},
            {"tool_timeline", page.arg(QStringLiteral("WHERE (hz_fk_nrz = %1)").arg(busiestTool(c)))}};
}

int fill(qint64 entries)
{
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    QElapsedTimer t;
    t.start();
    // Mostly tools and their movements, as a working register writes them.
    const QString sql = QStringLiteral(
            "INSERT INTO historia_zmian (hz_czas, hz_tabela, hz_klucz, hz_operacja, hz_zmiany, hz_fk_nrz, hz_fk_uzt, "
            "hz_uzytkownik, hz_poswiadczone, hz_stanowisko) "
            "SELECT now() - make_interval(secs => (%1 - g) * 30), t.tabela, "
            "       CASE WHEN t.tabela = 'magazyny' THEN 1 + g %% 4 ELSE 1 + g %% 5000 END, 'U', "
            "       jsonb_build_object('nrz_wartosc', jsonb_build_array(g %% 900, g %% 900 + 10)), "
            "       CASE WHEN t.tabela IN ('narzedzia', 'przesuniecia_mm', 'przypisane_narzedzia_pracownikom', 'naprawy_przeglady') "
            "            THEN 1 + g %% 5000 END, 1 + g %% 3, 'admin', false, 'Orvalo bench' "
            "  FROM generate_series(1, %1) g "
            "  CROSS JOIN LATERAL (SELECT (ARRAY['narzedzia', 'narzedzia', 'narzedzia', 'przesuniecia_mm', "
            "       'przypisane_narzedzia_pracownikom', 'naprawy_przeglady', 'pracownicy', 'magazyny'])[1 + g %% 8] AS tabela) t")
                                .arg(entries)
                                .replace(QStringLiteral("%%"), QStringLiteral("%"));
    PGresult *r = PQexec(c, sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok)
        std::fprintf(stderr, "%s", PQresultErrorMessage(r));
    PQclear(r);
    PQclear(PQexec(c, "VACUUM ANALYZE historia_zmian"));
    std::printf("RESULT side=raw register=fill size=%lld op=history_fill value=%.3f\n",
                static_cast<long long>(entries), msSince(t));
    PQfinish(c);
    return ok ? 0 : 1;
}

int raw()
{
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    for (const auto &[op, sql] : readings(c)) {
        QVector<double> times;
        for (int i = 0; i < 7; ++i) {
            QElapsedTimer t;
            t.start();
            PGresult *r = PQexec(c, sql.toUtf8().constData());
            // The rows read out, as a view would show them.
            for (int row = 0; row < PQntuples(r); ++row)
                for (int col = 0; col < PQnfields(r); ++col)
                    (void)PQgetvalue(r, row, col);
            PQclear(r);
            times << msSince(t);
        }
        result("raw", op, bench::percentile(times, 0.5));
    }
    PQfinish(c);
    return 0;
}

// The register shown and its first rows painted.
double shown(const QString &context, const QString &refField, int parentKey)
{
    QElapsedTimer t;
    t.start();
    TAVEwidencja view(QStringLiteral("HistoriaZmianModel"), context, refField);
    if (!refField.isEmpty())
        view.getModel()->setFilter(context.isEmpty() ? QStringLiteral("hz_fk_nrz = %1").arg(parentKey)
                                                     : QStringLiteral("hz_tabela = 'magazyny' AND hz_klucz = %1").arg(parentKey));
    view.getModel()->select();
    view.resize(1200, 700);
    view.show();
    (void)view.grab();
    const double ms = msSince(t);
    return view.getModel()->rowCount() > 0 ? ms : -1;
}

int model(int argc, char **argv)
{
    OVApplication app(argc, argv);
    if (!bench::connectAsAdmin(app))
        return 1;
    app.isAdmin();
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    const int warehouse = busiestWarehouse(c).toInt();
    const int tool = busiestTool(c).toInt();
    PQfinish(c);
    // Warm: styles, fonts and the catalogue are at hand in a keeper's session.
    shown(QString(), QString(), 0);
    // The model's first read, as the register makes it (against libpq's page).
    const QList<std::tuple<const char *, QString, QString>> steps{
            {"open", QString(), QString()},
            {"record_tab", QStringLiteral("HISTORIA:magazyny"),
             QStringLiteral("hz_tabela = 'magazyny' AND hz_klucz = %1").arg(warehouse)},
            {"tool_timeline", QStringLiteral("HISTORIA_NARZEDZIA"), QStringLiteral("hz_fk_nrz = %1").arg(tool)}};
    for (const auto &[op, context, filter] : steps) {
        QVector<double> times;
        for (int i = 0; i < 7; ++i) {
            std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(QStringLiteral("HistoriaZmianModel"), context));
            QElapsedTimer t;
            t.start();
            m->setFilter(filter);
            m->select();
            times << (m->rowCount() > 0 ? msSince(t) : -1);
        }
        result("model", op, bench::percentile(times, 0.5));
    }
    QVector<double> painted;
    for (int i = 0; i < 5; ++i)
        painted << shown(QString(), QString(), 0);
    result("model", "open_painted", bench::percentile(painted, 0.5));
    return 0;
}

// One tool's value written again and again, with the history trigger and
// without it; the medians of single-row updates in auto-commit.
int write()
{
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    PGconn *w = PQconnectdb(QStringLiteral("host=%1 port=%2 user=tav_orv_user password=MOB_tae dbname=TAV_ORV options='-c orv.uzytkownik=1'")
                                    .arg(bench::env("PGHOST", "127.0.0.1"), bench::env("PGPORT", "5432"))
                                    .toUtf8()
                                    .constData());
    if (PQstatus(w) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(w));
        return 1;
    }
    const QString tool = scalar(c, QStringLiteral("SELECT min(nrz_id) FROM narzedzia"));
    auto measure = [&] {
        QVector<double> times;
        for (int i = 0; i < 300; ++i) {
            const QByteArray sql = QStringLiteral("UPDATE narzedzia SET nrz_wartosc = %1 WHERE nrz_id = %2")
                                           .arg(100 + i % 2).arg(tool).toUtf8();
            QElapsedTimer t;
            t.start();
            PQclear(PQexec(w, sql.constData()));
            times << msSince(t);
        }
        return bench::percentile(times, 0.5);
    };
    measure();
    result("raw", "write_with_history", measure());
    PQclear(PQexec(c, "ALTER TABLE narzedzia DISABLE TRIGGER t_narzedzia_zapis_historii"));
    result("raw", "write_without_history", measure());
    PQclear(PQexec(c, "ALTER TABLE narzedzia ENABLE TRIGGER t_narzedzia_zapis_historii"));
    result("raw", "write_with_history_again", measure());
    PQfinish(w);
    PQfinish(c);
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QString mode;
    qint64 entries = 0;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a.startsWith(QLatin1String("--mode=")))
            mode = a.mid(7);
        else if (a.startsWith(QLatin1String("--entries=")))
            entries = a.mid(10).toLongLong();
    }
    if (mode == QLatin1String("fill"))
        return fill(entries);
    if (mode == QLatin1String("raw"))
        return raw();
    if (mode == QLatin1String("write"))
        return write();
    if (mode == QLatin1String("model"))
        return model(argc, argv);
    std::fprintf(stderr, "usage: bench_history --mode=fill --entries=N | --mode=raw|model|write\n");
    return 2;
}
