// A kit of 50 tools issued to an employee and taken back whole, in a
// register of many tools: the program (OK pressed → the kits' register
// shows the outcome) against libpq running the same statements and reading
// the same register page.
//
//   bench_kits --mode=fill --members=50     (as a superuser)
//   bench_kits --mode=raw|model
//
// Prints RESULT lines as bench_registers does (register=kits).
#include "BenchSupport.h"
#include "KitMovement.h"
#include "OVApplication.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"

#include <QElapsedTimer>

#include <cstdio>

namespace {

using bench::msSince;

constexpr int kRounds = 9;

void result(const char *side, const char *op, double value)
{
    std::printf("RESULT side=%s register=kits size=%s op=%s value=%.3f\n", side,
                qPrintable(bench::env("BENCH_TOOLS", "0")), op, value);
    std::fflush(stdout);
}

void run(PGconn *c, const char *sql, const QList<QByteArray> &values = {})
{
    PQclear(bench::execParams(c, sql, values));
}

const char *kPage = "SELECT * FROM v_zestawy ORDER BY zst_kod, zst_id LIMIT 256";

int fill(int members)
{
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    const QByteArray warehouse = bench::one(c, QStringLiteral(
            "SELECT nrz_fk_mgz FROM narzedzia WHERE nrz_przyjete_na_stan AND nrz_fk_stn = 1 AND NOT nrz_zlikwidowano "
            "AND nrz_fk_zst IS NULL GROUP BY 1 ORDER BY count(*) DESC LIMIT 1"));
    const QByteArray kit = bench::one(c, QStringLiteral("INSERT INTO zestawy (zst_kod, zst_nazwa, zst_fk_mgz) VALUES "
                                                        "('BENCH-KIT', 'Zestaw do pomiarów', %1) RETURNING zst_id")
                                                 .arg(QString::fromLatin1(warehouse)));
    bench::one(c, QStringLiteral("UPDATE narzedzia SET nrz_fk_zst = %1 WHERE nrz_id IN (SELECT nrz_id FROM narzedzia WHERE "
                                 "nrz_fk_mgz = %2 AND nrz_przyjete_na_stan AND nrz_fk_stn = 1 AND NOT nrz_zlikwidowano "
                                 "ORDER BY nrz_id DESC LIMIT %3)")
                          .arg(QString::fromLatin1(kit), QString::fromLatin1(warehouse))
                          .arg(members));
    std::printf("fill  kit=%s members=%s\n", kit.constData(),
                bench::one(c, QStringLiteral("SELECT count(*) FROM narzedzia WHERE nrz_fk_zst = %1").arg(QString::fromLatin1(kit)))
                        .constData());
    PQfinish(c);
    return kit.isEmpty() ? 1 : 0;
}

QByteArray benchKit(PGconn *c)
{
    return bench::one(c, QStringLiteral("SELECT zst_id FROM zestawy WHERE zst_kod = 'BENCH-KIT'"));
}

// The statements the program sends, in its order, each with its own round trip.
int raw()
{
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    const QByteArray kit = benchKit(c);
    QVector<double> issue, back;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer t;
        t.start();
        run(c, "BEGIN");
        PGresult *m = bench::execParams(c, "SELECT nrz_id FROM narzedzia WHERE nrz_fk_zst = $1 ORDER BY nrz_id FOR UPDATE", {kit});
        QStringList ids;
        for (int i = 0; i < PQntuples(m); ++i)
            ids << QString::fromLatin1(PQgetvalue(m, i, 0));
        PQclear(m);
        run(c, "SELECT f_zestaw_przeszkody($1, $2)", {kit, "true"});
        const QByteArray group = bench::one(c, QStringLiteral("SELECT nextval('seq_grupa_ruchow')"));
        const QByteArray tools = "{" + ids.join(QLatin1Char(',')).toLatin1() + "}";
        run(c, "UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = ANY($1::integer[])", {tools});
        run(c, "INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, "
               "pnp_fk_uzt_wyd, pnp_data_wydanie, pnp_planowany_zwrot, pnp_fk_stn_wydanie, pnp_uwagi_wydanie, "
               "pnp_grupa, fk_uzt_stworzono, fk_uzt_zmodyfikowano) "
               "SELECT nrz_id, $2, nrz_fk_mgz, $3, $4, $5, $6, nrz_fk_stn, nullif($7, ''), $8, $4, $4 "
               "FROM narzedzia WHERE nrz_id = ANY($1::integer[]) ORDER BY nrz_id",
            {tools, "1", "1", "1", QDate::currentDate().toString(Qt::ISODate).toLatin1(), QByteArray(), "", group});
        run(c, "COMMIT");
        run(c, kPage);
        issue << msSince(t);

        t.restart();
        PGresult *open = bench::execParams(
                c,
                "SELECT p.pnp_id, n.nrz_id, n.nrz_kod, n.nrz_nazwa, "
                "concat_ws(E'\\n', n.nrz_kod, n.nrz_kod_kreskowy, n.nrz_nr_ewidencyjny, n.nrz_nr_seryjny), "
                "coalesce(p.pnp_fk_stn_wydanie, n.nrz_fk_stn), p.pnp_grupa, "
                "concat_ws(' ', r.prc_imie, r.prc_nazwisko), p.pnp_data_wydanie "
                "FROM przypisane_narzedzia_pracownikom p "
                "JOIN narzedzia n ON n.nrz_id = p.pnp_fk_nrz "
                "JOIN pracownicy r ON r.prc_id = p.pnp_fk_prc "
                "WHERE n.nrz_fk_zst = $1 AND NOT p.pnp_status AND p.pnp_grupa IS NOT NULL "
                "ORDER BY p.pnp_grupa DESC, n.nrz_kod",
                {kit});
        run(c, "BEGIN");
        for (int i = 0; i < PQntuples(open); ++i) {
            const QByteArray pnp = PQgetvalue(open, i, 0), tool = PQgetvalue(open, i, 1);
            run(c, "SELECT 1 FROM przypisane_narzedzia_pracownikom WHERE pnp_id = $1 AND NOT pnp_status FOR UPDATE", {pnp});
            run(c, "UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_stn = $2 WHERE nrz_id = $1", {tool, "1"});
            run(c, "UPDATE przypisane_narzedzia_pracownikom SET pnp_status = true, pnp_data_przyjecie = $2, "
                   "pnp_fk_stn_przyjecie = $3, pnp_fk_uzt_prz = $4, pnp_uwagi_przyjecie = nullif($5, ''), "
                   "fk_uzt_zmodyfikowano = $4 WHERE pnp_id = $1",
                {pnp, QDate::currentDate().toString(Qt::ISODate).toLatin1(), "1", "1", ""});
        }
        PQclear(open);
        run(c, "COMMIT");
        run(c, kPage);
        back << msSince(t);
    }
    result("raw", "kit_issue", bench::percentile(issue, 0.5));
    result("raw", "kit_return", bench::percentile(back, 0.5));
    PQfinish(c);
    return 0;
}

// The program's own path from OK: the act, then the kits' register read
// again and painted.
int model(int argc, char **argv)
{
    OVApplication app(argc, argv);
    if (!bench::connectAsAdmin(app))
        return 1;
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    const int kit = benchKit(c).toInt();
    PQfinish(c);
    TAVEwidencja view(QStringLiteral("ZestawyModel"), QString(), QString());
    view.resize(1200, 700);
    view.show();
    (void)view.grab();
    const auto shown = [&view] {
        view.getModel()->select();
        (void)view.grab();
    };
    QVector<double> issue, back;
    for (int round = 0; round < kRounds; ++round) {
        KitMovement::Act act;
        act.employee = 1;
        act.place = 1;
        act.date = QDate::currentDate();
        act.plannedReturn = QVariant(QMetaType::fromType<QDate>());
        QString cause;
        QElapsedTimer t;
        t.start();
        if (KitMovement::send(KitMovement::Kind::Employee, kit, act, &cause) == 0) {
            std::fprintf(stderr, "issue: %s\n", qPrintable(cause));
            return 1;
        }
        shown();
        issue << msSince(t);

        t.restart();
        const KitMovement::OpenIssue open = KitMovement::openIssue(kit);
        QList<KitMovement::Returned> all;
        for (const KitMovement::Member &m : open.members)
            all.append({m.issue, m.tool, 1});
        if (!KitMovement::takeBack(all, QDate::currentDate(), QString(), &cause)) {
            std::fprintf(stderr, "return: %s\n", qPrintable(cause));
            return 1;
        }
        shown();
        back << msSince(t);
    }
    result("model", "kit_issue", bench::percentile(issue, 0.5));
    result("model", "kit_return", bench::percentile(back, 0.5));
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    const QString mode = bench::argument(argc, argv, "mode");
    const int members = bench::argument(argc, argv, "members", QStringLiteral("50")).toInt();
    if (mode == QLatin1String("fill"))
        return fill(members);
    if (mode == QLatin1String("raw"))
        return raw();
    if (mode == QLatin1String("model"))
        return model(argc, argv);
    std::fprintf(stderr, "usage: bench_kits --mode=fill|raw|model [--members=N]\n");
    return 2;
}
