// The registers against the wire: opening, scrolling, jumping to the end,
// searching, sorting, writing one row and switching back to a tab, in the
// program (model and register view) and with libpq running the same SQL.
//
//   bench_registers --mode=fill --tools=N [--transfers=N]
//   bench_registers --mode=raw|model --register=tools|transfers
//
// The server comes from PGHOST/PGPORT/PGUSER/PGPASSWORD (database TAV_ORV).
// Every measurement prints one line
//   RESULT side=raw|model register=R size=N op=OP value=V
// (milliseconds, or KiB for memory); summary.py turns them into goals.
#include "BenchSupport.h"
#include "Factories.h"
#include "OVApplication.h"
#include "TAVEwidencja.h"
#include "TAVTableModel.h"

#include <QElapsedTimer>
#include <QPixmap>
#include <QSqlRecord>
#include <QTableView>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

// Stands in for the tools register until it is declared by its own issue:
// the same view, the photo never read for the rows.
class BenchToolsModel : public TAVModel<BenchToolsModel>
{
    Q_OBJECT
public:
    BenchToolsModel() { addLazyColumn(QStringLiteral("nrz_zdjecie")); }
    void setNames() override
    {
        setTableName(QStringLiteral("narzedzia"));
        setViewName(QStringLiteral("v_narzedzia"));
    }
    void setHeaders() override {}
};

struct Register
{
    const char *name;
    const char *model;
    const char *context;
    const char *source;
    const char *sortColumn;
    const char *searchColumn;
    const char *searchText;
};

const Register kRegisters[] = {
    {"tools", "BenchToolsModel", "", "v_narzedzia", "nrz_nazwa", "nrz_nazwa", "%wiertarka%nr 12%"},
    {"transfers", "PrzesunieciaMMModel", "GLOWNE", "v_przesuniecia_mm", "psnmm_data_wydanie", "psnmm_uwagi_wydanie",
     "%partia 12%"},
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

void result(const char *side, const char *op, double value)
{
    std::printf("RESULT side=%s register=%s size=%d op=%s value=%.3f\n", side, qPrintable(g_register), g_size, op,
                value);
    std::fflush(stdout);
}

int fill(int tools, int transfers)
{
    // Codes continue past the largest bench tool, so a second fill adds only the shortfall.
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
    // Received transfers are history: any number of them per tool.
    if (ok && transfers > 0)
        ok = bench::runCommand(QStringLiteral(
                "INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src, "
                "psnmm_fk_uzt_dst, psnmm_data_wydanie, psnmm_data_przyjecie, psnmm_uwagi_wydanie, psnmm_status) "
                "SELECT (SELECT min(nrz_id) FROM narzedzia) + g % 40, 1 + g % 3, 2 + g % 2, 1, 2, "
                "current_date - 400 + g % 390, current_date - 400 + g % 390 + 2, 'partia ' || g, true "
                "FROM generate_series(1, GREATEST(0, %1 - (SELECT count(*) FROM przesuniecia_mm))) g")
                                       .arg(transfers));
    if (ok)
        ok = bench::runCommand(QStringLiteral("VACUUM ANALYZE"));
    return ok ? 0 : 1;
}

// Ready when the platform shows the window, as the user waits for it.
bool waitExposed(QWidget &w)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (w.windowHandle() && w.windowHandle()->isExposed())
            return true;
    }
    return false;
}

double msSince(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

// The statements the model sends, as the model itself writes them.
struct Sql
{
    QString columns;
    QString source;
    QString key;
    QString page(const QString &where, const QString &order, int limit, int offset = 0) const
    {
        return QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT %5%6")
                .arg(columns, source, where.isEmpty() ? QString() : QStringLiteral(" WHERE (") + where + QLatin1Char(')'),
                     order)
                .arg(limit)
                .arg(offset ? QStringLiteral(" OFFSET %1").arg(offset) : QString());
    }
    QString count(const QString &where) const
    {
        return QStringLiteral("SELECT count(*) FROM %1%2").arg(source,
                                                              where.isEmpty() ? QString()
                                                                              : QStringLiteral(" WHERE (") + where
                                                                                      + QLatin1Char(')'));
    }
};

Sql sqlOf(TAVTableModel *m)
{
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
    return s;
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

int runRaw(int argc, char **argv, const Register &reg)
{
    OVApplication app(argc, argv);
    if (!bench::connectApp(app))
        return 1;
    app.setUztId(1);
    SFModels::instance()->registerModel(new BenchToolsModel);
    std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(QLatin1String(reg.model), QLatin1String(reg.context)));
    const Sql sql = sqlOf(m.get());
    m.reset();
    PGconn *c = bench::connectRaw();
    if (!c)
        return 1;
    const long base = bench::currentKiB();
    const QString byKey = sql.key + QStringLiteral(" ASC");
    // The backend plans the view once per session, as the program's has by now.
    rawBatch(c, sql.count(QString()) + QStringLiteral("; ") + sql.page(QString(), byKey, 256));
    const QString byName = QStringLiteral("%1 ASC NULLS LAST, %2 ASC").arg(QLatin1String(reg.sortColumn), sql.key);
    const QString search = QStringLiteral("%1 ILIKE '%2'").arg(QLatin1String(reg.searchColumn), QLatin1String(reg.searchText));
    result("raw", "first_page", rawBatch(c, sql.count(QString()) + QStringLiteral("; ") + sql.page(QString(), byKey, 256)));
    result("raw", "search", rawBatch(c, sql.count(search) + QStringLiteral("; ") + sql.page(search, byKey, 256)));
    result("raw", "sort", rawBatch(c, sql.count(QString()) + QStringLiteral("; ") + sql.page(QString(), byName, 256)));
    result("raw", "last_page",
           rawBatch(c, sql.page(QString(), sql.key + QStringLiteral(" DESC"), 256)));
    // A write in the middle and reading that row back.
    QElapsedTimer t;
    t.start();
    const QString mid = QStringLiteral("(SELECT %1 FROM %2 ORDER BY %1 OFFSET (SELECT count(*) / 2 FROM %2) LIMIT 1)")
                                .arg(sql.key, reg.source);
    PGresult *k = PQexec(c, mid.toUtf8().constData());
    const QByteArray key = PQgetvalue(k, 0, 0);
    PQclear(k);
    t.restart();
    const QString table = reg.source == QLatin1String("v_narzedzia") ? QStringLiteral("narzedzia")
                                                                    : QStringLiteral("przesuniecia_mm");
    const QString column = table == QLatin1String("narzedzia") ? QStringLiteral("nrz_uwagi")
                                                              : QStringLiteral("psnmm_uwagi_przyjecie");
    rawBatch(c, QStringLiteral("UPDATE %1 SET %2 = 'bench raw' WHERE %3 = %4; %5").arg(table, column, sql.key, key,
                                                                                     sql.page(sql.key + QStringLiteral(" = ") + key, byKey, 1)));
    result("raw", "write", msSince(t));
    // The whole result, every value read.
    int rows = 0;
    result("raw", "full", rawBatch(c, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(sql.columns, sql.source, byKey), &rows));
    PGresult *all = PQexec(c, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(sql.columns, sql.source, byKey).toUtf8().constData());
    result("raw", "memory", bench::currentKiB() - base);
    PQclear(all);
    PQfinish(c);
    return 0;
}

int runModel(int argc, char **argv, const Register &reg)
{
    OVApplication app(argc, argv);
    if (!bench::connectApp(app))
        return 1;
    app.setLogin(QStringLiteral("admin"));
    app.setUztId(1);
    app.isAdmin();
    SFModels::instance()->registerModel(new BenchToolsModel);
    // The catalogue is read once per process; a workstation has it by the time it opens a register.
    { std::unique_ptr<TAVTableModel> warm(SFModels::instance()->create(QLatin1String(reg.model), QLatin1String(reg.context))); }
    // The model alone: first rows and the count.
    {
        std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(QLatin1String(reg.model), QLatin1String(reg.context)));
        QElapsedTimer t;
        t.start();
        m->select();
        result("model", "first_page", msSince(t));
    }

    // The register on screen, until its first rows are painted.
    QElapsedTimer t;
    t.start();
    auto view = std::make_unique<TAVEwidencja>(QLatin1String(reg.model), QLatin1String(reg.context), QString());
    view->resize(1400, 900);
    view->show();
    if (!waitExposed(*view))
        return 1;
    view->selectFirstRow();
    view->tableView()->viewport()->grab();
    result("model", "open_painted", msSince(t));
    TAVTableModel *m = view->getModel();
    QTableView *table = view->tableView();

    // Ctrl+End: the last row, painted.
    t.restart();
    table->scrollToBottom();
    table->viewport()->grab();
    result("model", "last_page", msSince(t));

    // Search and clear.
    // Search and clear: the register with its first rows and its selection
    // ready (painting is the same at any size and is measured with opening).
    t.restart();
    m->setFilter(QStringLiteral("%1 ILIKE '%2'").arg(QLatin1String(reg.searchColumn), QLatin1String(reg.searchText)));
    result("model", "search", msSince(t));
    t.restart();
    m->setFilter(QString());
    result("model", "clear", msSince(t));

    // Sort by a column.
    t.restart();
    m->sort(m->fieldIndex(QLatin1String(reg.sortColumn)), Qt::AscendingOrder);
    result("model", "sort", msSince(t));
    m->sort(0, Qt::AscendingOrder);

    // One row in the middle written, the register refreshed and the row kept selected.
    const int mid = m->rowCount() / 2;
    const QString column = m->tableName() == QLatin1String("narzedzia") ? QStringLiteral("nrz_uwagi")
                                                                        : QStringLiteral("psnmm_uwagi_przyjecie");
    view->selectKey(m->value(mid, 0));
    QSqlRecord rec = m->emptyRecord();
    rec.setValue(column, QStringLiteral("bench model"));
    t.restart();
    const bool written = m->update(rec, m->index(mid, 0));
    view->selectKey(m->lastId());
    result("model", "write", written ? msSince(t) : -1);

    // Back to the tab: what is shown is read again.
    t.restart();
    view->select();
    result("model", "tab_switch", msSince(t));

    // Scrolling through everything, every shown cell read.
    const int columns = m->columnCount();
    QVector<int> shown;
    for (int c = 0; c < columns; ++c) {
        if (!table->isColumnHidden(c))
            shown << c;
    }
    auto scroll = [&] {
        QElapsedTimer s;
        s.start();
        qint64 chars = 0;
        for (int r = 0; r < m->rowCount(); ++r) {
            for (int c : shown)
                chars += m->data(m->index(r, c)).toString().size();
        }
        return msSince(s) + (chars < 0 ? 1 : 0);
    };
    // What the rows cost beyond the window already shown.
    const long base = bench::currentKiB();
    result("model", "full", scroll());
    result("model", "memory", bench::currentKiB() - base);
    view->select();
    scroll();
    result("model", "memory_after_refresh", bench::currentKiB() - base);
    return 0;
}

} // namespace

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

int main(int argc, char **argv)
{
    // The program's diagnostic lines would be timed too.
    qInstallMessageHandler(quiet);
    QString mode;
    int tools = 0;
    int transfers = 0;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a.startsWith(QLatin1String("--mode=")))
            mode = a.mid(7);
        else if (a.startsWith(QLatin1String("--tools=")))
            tools = a.mid(8).toInt();
        else if (a.startsWith(QLatin1String("--transfers=")))
            transfers = a.mid(12).toInt();
        else if (a.startsWith(QLatin1String("--register=")))
            g_register = a.mid(11);
        else if (a.startsWith(QLatin1String("--size=")))
            g_size = a.mid(7).toInt();
    }
    if (mode == QLatin1String("fill"))
        return fill(tools, transfers);
    const Register *reg = registerNamed(g_register);
    if (!reg)
        return 2;
    return mode == QLatin1String("raw") ? runRaw(argc, argv, *reg) : runModel(argc, argv, *reg);
}

#include "bench_registers.moc"
