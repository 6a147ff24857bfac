// Reading a large register: TAVTableModel::select() plus fetching every row,
// against the same query read with libpq directly.
//
//   bench_select --mode=model|raw|fill  [--rows=N]
//
// The server comes from PGHOST/PGPORT/PGUSER/PGPASSWORD (database TAV_ORV);
// "fill" tops the tools table up to N rows first. Each mode runs in its own
// process so that the peak memory it reports is its own.
#include "BenchSupport.h"
#include "TAVTableModel.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRelationalTableModel>
#include <QTextStream>


#include <cstdio>

namespace {

class ToolsBenchModel : public TAVTableModel
{
public:
    TAVTableModel *createInstance() override { return new ToolsBenchModel; }
    QSqlRecord defaultRecord() override { return emptyRecord(); }
    QVector<int> hiddenColumns(QString) override { return {}; }
    void setNames() override { setTableName(QStringLiteral("narzedzia")); }
    void setHeaders() override {}
    void createActions() override {}
    void setCommands() override {}
};

int fill(int rows)
{
    return bench::runCommand(QStringLiteral(
            "INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_nr_ewidencyjny, nrz_nr_seryjny, nrz_fk_mgz, "
            "nrz_fk_ktr_nrz, nrz_fk_stn, nrz_wartosc, nrz_uwagi, nrz_przyjete_na_stan) "
            "SELECT 'B' || g, 'Narzędzie testowe ' || g, 'EW/' || g, 'SN-' || md5(g::text), "
            "(SELECT min(mgz_id) FROM magazyny), (SELECT min(ktr_nrz_id) FROM kategorie_narzedzi), 1, "
            "(g % 5000) + 0.99, 'uwagi do narzędzia ' || g, true "
            "FROM generate_series(1, GREATEST(0, %1 - (SELECT count(*) FROM narzedzia))) g").arg(rows))
                   ? 0
                   : 1;
}

int raw(const QString &query)
{
    QElapsedTimer t;
    t.start();
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    int rows = 0, cols = 0;
    qint64 bytes = 0;
    PGresult *r = bench::readAll(c, query, &rows, &cols, &bytes);
    const qint64 ms = t.elapsed();
    if (!r) {
        PQfinish(c);
        return 1;
    }
    std::printf("raw   rows=%d cols=%d bytes=%lld time_ms=%lld peak_kib=%ld\n", rows, cols,
                static_cast<long long>(bytes), static_cast<long long>(ms), bench::peakKiB());
    PQclear(r);
    PQfinish(c);
    return 0;
}

int model(int argc, char **argv)
{
    OVApplication app(argc, argv);
    QElapsedTimer t;
    t.start();
    if (!bench::connectApp(app))
        return 1;
    ToolsBenchModel m;
    m.initialize();
    if (!m.select())
        return 1;
    while (m.sqlModel()->canFetchMore())
        m.sqlModel()->fetchMore();
    const int rows = m.rowCount();
    const int cols = m.columnCount();
    qint64 chars = 0;
    for (int i = 0; i < rows; ++i)
        for (int j = 0; j < cols; ++j)
            chars += m.data(m.index(i, j)).toString().size();
    const qint64 ms = t.elapsed();
    std::printf("model rows=%d cols=%d chars=%lld time_ms=%lld peak_kib=%ld query=%s\n", rows, cols,
                static_cast<long long>(chars), static_cast<long long>(ms), bench::peakKiB(),
                m.sqlModel()->query().lastQuery().toUtf8().constData());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QString mode = QStringLiteral("model");
    int rows = 100000;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a.startsWith(QLatin1String("--mode=")))
            mode = a.mid(7);
        else if (a.startsWith(QLatin1String("--rows=")))
            rows = a.mid(7).toInt();
    }
    if (mode == QLatin1String("fill"))
        return fill(rows);
    if (mode == QLatin1String("raw"))
        // The statement the model's inner model runs, ordered by the key.
        return raw(QStringLiteral("SELECT * FROM narzedzia ORDER BY narzedzia.nrz_id ASC"));
    return model(argc, argv);
}
