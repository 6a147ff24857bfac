// Opening the warehouses register on screen and searching it, against the
// same queries read with libpq directly.
//
//   bench_registerview --mode=open|raw|fill  [--rows=N] [--search=TEXT]
//
// The server comes from PGHOST/PGPORT/PGUSER/PGPASSWORD (database TAV_ORV);
// "fill" tops the warehouses table up to N rows first. Each mode runs in its
// own process so that the peak memory it reports is its own.
#include "BenchSupport.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"

#include <QAction>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRelationalTableModel>
#include <QTableView>
#include <QWindow>


#include <cstdio>

namespace {

// The statements the register's inner model runs: all columns by key, and
// the search on the name with the filter the search panel builds.
QString selectAll()
{
    return QStringLiteral("SELECT * FROM magazyny ORDER BY magazyny.mgz_id ASC");
}

QString selectFound(const QString &text)
{
    QString literal = text;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("SELECT * FROM magazyny WHERE ( mgz_nazwa ILIKE '%%1%' ) ORDER BY magazyny.mgz_id ASC")
            .arg(literal);
}

int fill(int rows)
{
    // Symbols continue past the largest bench row, so a second fill adds only the shortfall.
    return bench::runCommand(QStringLiteral(
            "INSERT INTO magazyny (mgz_symbol, mgz_nazwa, mgz_adres, mgz_opis) "
            "SELECT 'MG_B' || CASE WHEN g < 1000000 THEN lpad(g::text, 6, '0') ELSE g::text END, "
            "'Magazyn budowy ' || g, "
            "'ul. Testowa ' || (g % 500 + 1) || ', 60-' || lpad((g % 1000)::text, 3, '0') || ' Poznań', "
            "'Magazyn testowy numer ' || g || '; kontenery i regały.' "
            "FROM generate_series("
            "  (SELECT COALESCE(max(substr(mgz_symbol, 5)::int), 0) + 1 FROM magazyny WHERE mgz_symbol ~ '^MG_B[0-9]{6,}$'),"
            "  (SELECT COALESCE(max(substr(mgz_symbol, 5)::int), 0) FROM magazyny WHERE mgz_symbol ~ '^MG_B[0-9]{6,}$')"
            "  + GREATEST(0, %1 - (SELECT count(*) FROM magazyny))) g").arg(rows))
                   ? 0
                   : 1;
}

// Both reads run on one connection; each time includes freeing its result.
bool readAndClear(PGconn *c, const QString &query, int *rows, qint64 *bytes)
{
    int cols = 0;
    PGresult *r = bench::readAll(c, query, rows, &cols, bytes);
    PQclear(r);
    return r != nullptr;
}

int raw(const QString &search)
{
    QElapsedTimer t;
    t.start();
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    int rows = 0, found = 0;
    qint64 bytes = 0, foundBytes = 0;
    if (!readAndClear(c, selectAll(), &rows, &bytes)) {
        PQfinish(c);
        return 1;
    }
    const qint64 ms = t.elapsed();
    t.restart();
    if (!readAndClear(c, selectFound(search), &found, &foundBytes)) {
        PQfinish(c);
        return 1;
    }
    const qint64 searchMs = t.elapsed();
    std::printf("raw   rows=%d bytes=%lld time_ms=%lld found=%d search_ms=%lld peak_kib=%ld\n", rows,
                static_cast<long long>(bytes), static_cast<long long>(ms), found,
                static_cast<long long>(searchMs), bench::peakKiB());
    PQfinish(c);
    return 0;
}

// Lets the platform map the window, as the user waits for it to appear.
bool waitExposed(QWidget &w, int timeoutMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (w.windowHandle() && w.windowHandle()->isExposed())
            return true;
    }
    return false;
}

QLineEdit *searchInput(TAVEwidencja &view, const QString &column)
{
    for (auto *le : view.searchPanel()->findChildren<QLineEdit *>()) {
        if (le->property("searchFieldName").toString() == column)
            return le;
    }
    return nullptr;
}

int open(int argc, char **argv, const QString &search)
{
    OVApplication app(argc, argv);
    if (!bench::connectApp(app))
        return 1;
    app.setLogin(QStringLiteral("admin"));
    app.setUztId(1);

    QElapsedTimer t;
    t.start();
    TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
    view.resize(1200, 800);
    view.show();
    if (!waitExposed(view))
        return 1;
    // One paint of the table's first rows.
    const QPixmap shot = view.tableView()->viewport()->grab();
    const qint64 ms = t.elapsed();
    QSqlRelationalTableModel *sql = view.getModel()->sqlModel();
    const int loaded = sql->rowCount();
    while (sql->canFetchMore())
        sql->fetchMore();
    const int rows = sql->rowCount();

    view.searchAction()->trigger();
    QLineEdit *nazwa = searchInput(view, QStringLiteral("mgz_nazwa"));
    auto *button = view.searchPanel()->findChild<QPushButton *>(QStringLiteral("pbSzukaj"));
    if (!nazwa || !button)
        return 1;
    nazwa->setText(search);
    t.restart();
    button->click();
    view.tableView()->viewport()->grab();
    const qint64 searchMs = t.elapsed();
    // The model hands rows out in batches; count what the search matched in all.
    while (sql->canFetchMore())
        sql->fetchMore();
    const int found = sql->rowCount();

    std::printf("open  rows=%d loaded=%d shot=%dx%d time_ms=%lld found=%d search_ms=%lld peak_kib=%ld\n", rows, loaded,
                shot.width(), shot.height(), static_cast<long long>(ms), found, static_cast<long long>(searchMs),
                bench::peakKiB());
    if (qEnvironmentVariableIsSet("BENCH_SHOW_QUERY"))
        std::fprintf(stderr, "query=%s\n", sql->query().lastQuery().toUtf8().constData());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QString mode = QStringLiteral("open");
    QString search = QStringLiteral("budowy 12");
    int rows = 10000;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a.startsWith(QLatin1String("--mode=")))
            mode = a.mid(7);
        else if (a.startsWith(QLatin1String("--rows=")))
            rows = a.mid(7).toInt();
        else if (a.startsWith(QLatin1String("--search=")))
            search = a.mid(9);
    }
    if (mode == QLatin1String("fill"))
        return fill(rows);
    if (mode == QLatin1String("raw"))
        return raw(search);
    return open(argc, argv, search);
}
