// The paged table model against the real server: a few thousand warehouses
// read in small pages, compared with the order the server itself gives. The
// data layer alone: registers declared here, no application object.

#include "Factories.h"
#include "FrameworkMain.h"
#include "TAVEwidencja.h"
#include "TAVRowReader.h"
#include "TAVTableModel.h"
#include "TAVTransaction.h"

#include <QHeaderView>
#include <QSqlQuery>
#include <QTableView>

#include <memory>

// Warehouses and tools as a register over the framework declares them.
class Skladnice : public TAVModel<Skladnice>
{
    Q_OBJECT
public:
    void setNames() override { setTableName(QStringLiteral("magazyny")); }
    void setHeaders() override {}
};
class Przedmioty : public TAVModel<Przedmioty>
{
    Q_OBJECT
public:
    void setNames() override
    {
        setTableName(QStringLiteral("narzedzia"));
        setViewName(QStringLiteral("v_narzedzia"));
    }
    void setHeaders() override {}
};

namespace {
const int kRows = 3000;
const int kFirst = 40;
const int kMax = 160;

using Keys = QList<qint64>;
using ModelPtr = std::unique_ptr<TAVTableModel>;

// The server's own order: the column, NULLs last going up, then the key.
Keys serverOrder(const QString &column, bool ascending, const QString &filter = QString())
{
    const QString order = column == QLatin1String("mgz_id")
            ? QStringLiteral("mgz_id %1").arg(ascending ? "ASC" : "DESC")
            : QStringLiteral("%1 %2, mgz_id %3")
                      .arg(column, ascending ? "ASC NULLS LAST" : "DESC NULLS FIRST", ascending ? "ASC" : "DESC");
    const QString text = TestDb::scalar(QStringLiteral("SELECT string_agg(mgz_id::text, ',' ORDER BY %1) FROM magazyny%2")
                                                .arg(order, filter.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filter))
                                 .toString();
    Keys keys;
    for (const QString &k : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        keys << k.toLongLong();
    return keys;
}

Keys readAll(TAVTableModel *m, bool backwards = false)
{
    Keys keys;
    for (int i = 0; i < m->rowCount(); ++i) {
        const int row = backwards ? m->rowCount() - 1 - i : i;
        keys << m->value(row, 0).toLongLong();
    }
    if (backwards)
        std::reverse(keys.begin(), keys.end());
    return keys;
}

// Every row the model holds stands where the server puts it.
QString misplaced(TAVTableModel *m, const Keys &expected)
{
    if (m->rowCount() != expected.size())
        return QStringLiteral("rows %1, server %2").arg(m->rowCount()).arg(expected.size());
    for (const auto &segment : m->cache().segments()) {
        for (int pos = segment.first; pos < segment.first + segment.second; ++pos) {
            if (m->cache().key(pos) != expected.value(pos))
                return QStringLiteral("row %1 holds %2, server %3").arg(pos).arg(m->cache().key(pos)).arg(expected.value(pos));
        }
    }
    return QString();
}

ModelPtr open(const QString &column = QStringLiteral("mgz_nazwa"), bool ascending = true)
{
    ModelPtr m(SFModels::instance()->create(QStringLiteral("Skladnice"), QString()));
    m->setPageSizes(kFirst, kMax);
    m->sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    return m;
}

// A register past its exact limit: the count comes in the background.
ModelPtr openLarge(const QString &filter = QString())
{
    ModelPtr m(SFModels::instance()->create(QStringLiteral("Skladnice"), QString()));
    m->setPageSizes(kFirst, kMax);
    m->setExactLimit(kFirst * 2);
    m->setFilter(filter);
    m->sort(QStringLiteral("mgz_nazwa"), Qt::AscendingOrder);
    return m;
}

// Every row read in order, letting the count settle as the reads find the end.
Keys readAllSettled(TAVTableModel *m)
{
    Keys keys;
    for (int i = 0; i < m->rowCount(); ++i) {
        const QVariant v = m->value(i, 0);
        if (i % kFirst == 0 || !v.isValid())
            QCoreApplication::processEvents();
        if (m->value(i, 0).isValid())
            keys << m->value(i, 0).toLongLong();
    }
    return keys;
}

QSqlRecord renamed(TAVTableModel *m, const QString &name)
{
    QSqlRecord rec = m->emptyRecord();
    rec.setValue(QStringLiteral("mgz_nazwa"), name);
    return rec;
}
} // namespace

class TstPaging : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        SFModels::instance()->registerModel(new Skladnice);
        SFModels::instance()->registerModel(new Przedmioty);
    }

    void init()
    {
        QVERIFY(FrameworkSession::start());
        // Names with ties and Polish letters, addresses with NULLs, a flag
        // with few values: orders that differ from the key's.
        QVERIFY(TestDb::exec(QStringLiteral(
                "INSERT INTO magazyny (mgz_symbol, mgz_nazwa, mgz_adres, mgz_aktywny) "
                "SELECT 'MG_' || g, CASE WHEN g % 5 = 0 THEN 'Skład ' || (g % 97) "
                "                       WHEN g % 7 = 0 THEN 'Łódź ' || (g % 53) "
                "                       ELSE 'Magazyn ' || lpad(((g * 7919) % 3001)::text, 4, '0') END, "
                "       CASE WHEN g % 3 = 0 THEN NULL ELSE 'ul. Polna ' || (g % 211) END, g % 4 <> 0 "
                "FROM generate_series(1, %1) g").arg(kRows - 4)));
    }

    void readsEveryRowOnceInOrder_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("ascending");
        for (const char *c : {"mgz_id", "mgz_nazwa", "mgz_adres", "mgz_aktywny"}) {
            QTest::addRow("%s up", c) << QString::fromLatin1(c) << true;
            QTest::addRow("%s down", c) << QString::fromLatin1(c) << false;
        }
    }
    void readsEveryRowOnceInOrder()
    {
        QFETCH(QString, column);
        QFETCH(bool, ascending);
        const Keys expected = serverOrder(column, ascending);
        QCOMPARE(expected.size(), kRows);
        auto forwards = open(column, ascending);
        QCOMPARE(forwards->rowCount(), kRows);
        QCOMPARE(forwards->cache().cachedRows(), kFirst);
        QCOMPARE(readAll(forwards.get()), expected);
        // Backwards from the end: keyset pages in the reverse order, across
        // the NULL boundary.
        auto backwards = open(column, ascending);
        QCOMPARE(readAll(backwards.get(), true), expected);
        QCOMPARE(backwards->cache().segments().size(), 1);
    }

    // The reader alone, on a column with NULLs and ties: each row's
    // neighbours, the rows before it and its position, both ways.
    void readerFindsNeighboursAcrossNulls_data()
    {
        QTest::addColumn<bool>("ascending");
        QTest::addRow("up") << true;
        QTest::addRow("down") << false;
    }
    void readerFindsNeighboursAcrossNulls()
    {
        QFETCH(bool, ascending);
        const Keys expected = serverOrder(QStringLiteral("mgz_adres"), ascending);
        TAVRowReader::CellTypes types;
        TAVRowReader::Shape shape;
        shape.source = QStringLiteral("magazyny");
        shape.columns = QStringList{QStringLiteral("mgz_id"), QStringLiteral("mgz_nazwa"), QStringLiteral("mgz_adres")};
        shape.keyCell = 0;
        shape.sortCell = 2;
        shape.ascending = ascending;
        TAVRowReader reader(shape, &types);
        TAVRowReader::Page all;
        QVERIFY(reader.readFirst(ascending, kRows + 1, &all));
        QCOMPARE(Keys(all.keys.cbegin(), all.keys.cend()), expected);
        QCOMPARE(reader.count(), qint64(kRows));
        QCOMPARE(reader.count(100), qint64(100));
        QVERIFY(reader.estimate() > 0);
        // Where the NULLs begin (going up) or end (going down).
        const int named = TestDb::scalar(QStringLiteral("SELECT count(mgz_adres) FROM magazyny")).toInt();
        const int edge = ascending ? named : kRows - named;
        for (int i : {0, 1, edge - 1, edge, edge + 1, kRows - 2, kRows - 1}) {
            const QByteArray &row = all.rows.at(i);
            QCOMPARE(reader.neighbour(row, true), i > 0 ? expected.at(i - 1) : 0);
            QCOMPARE(reader.neighbour(row, false), i < kRows - 1 ? expected.at(i + 1) : 0);
            QCOMPARE(reader.countBefore(row), qint64(i));
            bool ok = false;
            const QSet<qint64> before = reader.keysBefore(row, {expected.first(), expected.at(1500), expected.last()}, &ok);
            QVERIFY(ok);
            QCOMPARE(before.contains(expected.first()), i > 0);
            QCOMPARE(before.contains(expected.at(1500)), i > 1500);
            QCOMPARE(before.contains(expected.last()), false);
            TAVRowReader::Page next;
            QVERIFY(reader.readAfter(row, ascending, 3, &next));
            QCOMPARE(Keys(next.keys.cbegin(), next.keys.cend()), expected.mid(i + 1, 3));
        }
    }

    void jumpsLeaveGapsThatFillInOrder()
    {
        const Keys expected = serverOrder(QStringLiteral("mgz_nazwa"), true);
        TAVEwidencja view(QStringLiteral("Skladnice"), QString(), QString());
        TAVTableModel *m = view.getModel();
        m->setPageSizes(kFirst, kMax);
        view.tableView()->horizontalHeader()->setSortIndicator(m->fieldIndex(QStringLiteral("mgz_nazwa")), Qt::AscendingOrder);
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.selectFirstRow();

        // Ctrl+End lands on the last row without reading what lies between.
        QTest::keyClick(view.tableView(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view.currentIndex().row(), kRows - 1);
        QCOMPARE(m->value(kRows - 1, 0).toLongLong(), expected.last());
        QVERIFY(m->cache().cachedRows() < kRows / 10);
        QCOMPARE(m->cache().segments().size(), 2);

        // The middle, then rows on either side of it.
        for (int row : {kRows / 2, kRows / 2 - 25, kRows / 2 + 300, kRows / 2 + 301, 1})
            QCOMPARE(m->value(row, 0).toLongLong(), expected.at(row));
        QCOMPARE(misplaced(m, expected), QString());
        QVERIFY(m->cache().segments().size() >= 3);
        QCOMPARE(readAll(m), expected);
        QCOMPARE(m->cache().segments().size(), 1);
        QTest::keyClick(view.tableView(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(view.currentIndex().row(), 0);
    }

    void stalePagesGoAfterFilterAndSortChanges()
    {
        auto m = open();
        m->value(kRows / 2, 0);
        m->value(kRows - 1, 0);
        const QString filter = QStringLiteral("mgz_nazwa ILIKE '%7%'");
        m->setFilter(filter);
        QCOMPARE(readAll(m.get()), serverOrder(QStringLiteral("mgz_nazwa"), true, filter));
        m->sort(QStringLiteral("mgz_adres"), Qt::DescendingOrder);
        QCOMPARE(readAll(m.get(), true), serverOrder(QStringLiteral("mgz_adres"), false, filter));
        m->setFilter(QString());
        QCOMPARE(readAll(m.get()), serverOrder(QStringLiteral("mgz_adres"), false));
    }

    // A rename moves the row: within the cache, into a gap, or out of one.
    void writeMovesItsRowAcrossPages()
    {
        auto m = open();
        m->value(kRows / 2, 0);
        m->value(kRows - 1, 0);
        Keys order = serverOrder(QStringLiteral("mgz_nazwa"), true);
        const QString middleName = m->value(1500, QStringLiteral("mgz_nazwa")).toString();
        const struct {
            int row;
            QString name;
        } moves[] = {{5, QStringLiteral("Żuraw na końcu")},              // to the held end
                     {kRows - 3, QStringLiteral("Aaa na początku")},     // to the held start
                     {10, middleName + QStringLiteral(" bis")},          // into a gap
                     {kRows / 2, QStringLiteral("Magazyn 0000a")}};      // from the middle into the start
        for (const auto &move : moves) {
            const qint64 key = m->value(move.row, 0).toLongLong();
            QVERIFY(m->update(renamed(m.get(), move.name), m->index(move.row, 0)));
            order = serverOrder(QStringLiteral("mgz_nazwa"), true);
            QCOMPARE(misplaced(m.get(), order), QString());
            QCOMPARE(m->rowOfKey(key), int(order.indexOf(key)));
            QCOMPARE(m->lastId().toLongLong(), key);
        }
        QCOMPARE(readAll(m.get()), order);
    }

    // A new row that the search does not show is written but not shown; one
    // that it shows takes its place in the order.
    void newRowsFollowTheActiveSearch()
    {
        auto m = open();
        const QString filter = QStringLiteral("mgz_nazwa ILIKE '%Skład%'");
        m->setFilter(filter);
        const int shown = m->rowCount();
        QSqlRecord rec = m->defaultRecord();
        rec.setValue(QStringLiteral("mgz_symbol"), QStringLiteral("MG_POZA"));
        rec.setValue(QStringLiteral("mgz_nazwa"), QStringLiteral("Magazyn poza wyszukiwaniem"));
        QVERIFY(m->insert(rec, QModelIndex()));
        QCOMPARE(m->rowCount(), shown);
        QCOMPARE(m->rowOfKey(m->lastId()), -1);
        QVERIFY(!readAll(m.get()).contains(m->lastId().toLongLong()));

        rec.setValue(QStringLiteral("mgz_symbol"), QStringLiteral("MG_W"));
        rec.setValue(QStringLiteral("mgz_nazwa"), QStringLiteral("Skład 5 nowy"));
        QVERIFY(m->insert(rec, QModelIndex()));
        const Keys order = serverOrder(QStringLiteral("mgz_nazwa"), true, filter);
        QCOMPARE(m->rowCount(), shown + 1);
        QCOMPARE(m->rowOfKey(m->lastId()), int(order.indexOf(m->lastId().toLongLong())));
        QCOMPARE(misplaced(m.get(), order), QString());
    }

    // Another workstation inserts, edits and deletes; the news of those
    // rows puts them where they belong without reading everything again.
    void otherWorkstationsChangesArePlaced()
    {
        auto m = open();
        m->value(kRows / 2, 0);
        m->value(kRows - 1, 0);
        const Keys before = serverOrder(QStringLiteral("mgz_nazwa"), true);
        const QString gapName = m->value(1000, QStringLiteral("mgz_nazwa")).toString() + QStringLiteral(" b");
        QSqlDatabase other = TestDb::open(QStringLiteral("stanowisko2"));
        QSqlQuery q(other);
        auto insert = [&](const QString &symbol, const QString &name) {
            q.prepare(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES (?, ?) RETURNING mgz_id"));
            q.addBindValue(symbol);
            q.addBindValue(name);
            return q.exec() && q.next() ? q.value(0).toLongLong() : 0;
        };
        const qint64 first = insert(QStringLiteral("MG_A1"), QStringLiteral("Aaa pierwszy"));
        const qint64 gap = insert(QStringLiteral("MG_A2"), gapName);
        QVERIFY(first && gap);
        TAVChangeBus::instance()->announce(QStringLiteral("magazyny"), {gap, first});
        QCOMPARE(misplaced(m.get(), serverOrder(QStringLiteral("mgz_nazwa"), true)), QString());
        QCOMPARE(m->cache().segments().size(), 4);

        // Several held rows at once: one goes, two swap ends, one comes.
        const qint64 gone = before.at(7), up = before.at(kRows - 2), down = before.at(3);
        const qint64 added = insert(QStringLiteral("MG_A3"), QStringLiteral("Aac nowy"));
        QVERIFY(q.exec(QStringLiteral("DELETE FROM magazyny WHERE mgz_id = %1").arg(gone)));
        QVERIFY(q.exec(QStringLiteral("UPDATE magazyny SET mgz_nazwa = 'Aab z końca' WHERE mgz_id = %1").arg(up)));
        QVERIFY(q.exec(QStringLiteral("UPDATE magazyny SET mgz_nazwa = 'Żuraw z początku' WHERE mgz_id = %1").arg(down)));
        TAVChangeBus::instance()->announce(QStringLiteral("magazyny"), {gone, up, down, added});
        QCOMPARE(misplaced(m.get(), serverOrder(QStringLiteral("mgz_nazwa"), true)), QString());
        QCOMPARE(m->cache().segments().size(), 4);
        // A row never read goes: the register reads again.
        QVERIFY(q.exec(QStringLiteral("DELETE FROM magazyny WHERE mgz_id = %1").arg(before.at(700))));
        TAVChangeBus::instance()->announce(QStringLiteral("magazyny"), {before.at(700)});
        QCOMPARE(readAll(m.get()), serverOrder(QStringLiteral("mgz_nazwa"), true));
        other.close();
    }

    void rowsShowingAChangedRowFollowIt()
    {
        // Tools sorted by their warehouse's name; one warehouse renamed elsewhere.
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_fk_mgz) "
                                            "SELECT 'PG-' || g, 'Narzędzie ' || g, 1 + g % 3 FROM generate_series(1, 150) g")));
        ModelPtr m(SFModels::instance()->create(QStringLiteral("Przedmioty"), QString()));
        m->setPageSizes(kFirst, kMax);
        m->sort(QStringLiteral("mgz_nazwa"), Qt::AscendingOrder);
        readAll(m.get());
        QSqlDatabase other = TestDb::open(QStringLiteral("stanowisko2"));
        QVERIFY(QSqlQuery(other).exec(QStringLiteral("UPDATE magazyny SET mgz_nazwa = 'Aaa' WHERE mgz_id = 3")));
        TAVChangeBus::instance()->announce(QStringLiteral("magazyny"), {3});
        const QString order = TestDb::scalar(QStringLiteral("SELECT string_agg(nrz_id::text, ',' ORDER BY mgz_nazwa "
                                                            "NULLS LAST, nrz_id) FROM v_narzedzia")).toString();
        QStringList held;
        for (qint64 k : readAll(m.get()))
            held << QString::number(k);
        QCOMPARE(held.join(QLatin1Char(',')), order);
        for (int row = 0; row < m->rowCount(); ++row)
            QCOMPARE(m->value(row, QStringLiteral("mgz_nazwa")).toString() == QLatin1String("Aaa"),
                     m->value(row, QStringLiteral("nrz_fk_mgz")).toInt() == 3);
        other.close();
    }

    // Past its exact limit a register shows the planner's count at once and
    // the exact one when it arrives; a jump to the end meanwhile keeps its
    // rows at the end.
    void largeRegisterCountArrivesLate()
    {
        QVERIFY(TestDb::exec(QStringLiteral("ANALYZE magazyny")));
        const Keys expected = serverOrder(QStringLiteral("mgz_nazwa"), true);
        auto m = openLarge();
        QVERIFY(m->isLarge());
        QVERIFY(!m->countIsExact());
        const int guessed = m->rowCount();
        QVERIFY2(guessed > kFirst, qPrintable(QString::number(guessed)));
        // Ctrl+End before the count: the last rows, read back from the end.
        QCOMPARE(m->value(guessed - 1, 0).toLongLong(), expected.last());
        QSqlDatabase other = TestDb::open(QStringLiteral("stanowisko2"));
        QVERIFY(QSqlQuery(other).exec(QStringLiteral("INSERT INTO magazyny (mgz_symbol, mgz_nazwa) "
                                                     "SELECT 'MG_P' || g, 'Magazyn późny ' || g FROM generate_series(1, 25) g")));
        const Keys now = serverOrder(QStringLiteral("mgz_nazwa"), true);
        QTRY_VERIFY(m->countIsExact());
        QCOMPARE(m->rowCount(), now.size());
        QCOMPARE(misplaced(m.get(), now), QString());
        QCOMPARE(m->value(m->rowCount() - 1, 0).toLongLong(), now.last());
        QCOMPARE(readAllSettled(m.get()), now);
        other.close();
    }

    // A large register finds a far row by its neighbours, not by counting,
    // and a read that meets the true end sets the count.
    void largeRegisterReadsAroundAFarRow()
    {
        const Keys expected = serverOrder(QStringLiteral("mgz_nazwa"), true);
        auto m = openLarge();
        const qint64 far = expected.at(2 * kRows / 3);
        const int row = m->rowOfKey(far);
        QVERIFY(row > kFirst);
        QCOMPARE(m->value(row, 0).toLongLong(), far);
        for (int d : {-kFirst / 2, -1, 1, kFirst / 2 - 1})
            QCOMPARE(m->value(row + d, 0).toLongLong(), expected.at(2 * kRows / 3 + d));
        QCOMPARE(m->rowOfKey(expected.last()) >= 0, true);
        QTRY_VERIFY(m->countIsExact());
        QCOMPARE(m->rowCount(), kRows);
        QCOMPARE(readAllSettled(m.get()), expected);
    }

    // Rows enter and leave a large register's filter: a held neighbour
    // places a row at once; one with no held neighbour is counted again.
    void largeRegisterPlacesRowsByNeighbours()
    {
        const QString filter = QStringLiteral("mgz_nazwa LIKE 'Magazyn%'");
        auto m = openLarge(filter);
        QTRY_VERIFY(m->countIsExact());
        for (int row = 0; row < kFirst * 3; ++row)
            m->value(row, 0);
        QCoreApplication::processEvents();
        QCOMPARE(m->cache().segments().size(), 1);
        auto order = [&] { return serverOrder(QStringLiteral("mgz_nazwa"), true, filter); };
        const Keys outside = [] {
            Keys keys;
            const QStringList ids = TestDb::scalar(QStringLiteral(
                    "SELECT string_agg(mgz_id::text, ',') FROM (SELECT mgz_id FROM magazyny "
                    "WHERE mgz_nazwa NOT LIKE 'Magazyn%' ORDER BY mgz_id LIMIT 2) s")).toString().split(QLatin1Char(','));
            for (const QString &id : ids)
                keys << id.toLongLong();
            return keys;
        }();
        QSqlDatabase other = TestDb::open(QStringLiteral("stanowisko2"));
        QSqlQuery q(other);
        auto rename = [&](qint64 key, const QString &name) {
            q.prepare(QStringLiteral("UPDATE magazyny SET mgz_nazwa = ? WHERE mgz_id = ?"));
            q.addBindValue(name);
            q.addBindValue(key);
            QVERIFY(q.exec());
            TAVChangeBus::instance()->announce(QStringLiteral("magazyny"), {key});
        };
        // A held row leaves.
        const int rows = m->rowCount();
        rename(m->value(10, 0).toLongLong(), QStringLiteral("Skład opuszczony"));
        QCOMPARE(m->rowCount(), rows - 1);
        QCOMPARE(misplaced(m.get(), order()), QString());
        // A row enters between held rows.
        rename(outside.at(0), m->value(20, QStringLiteral("mgz_nazwa")).toString() + QStringLiteral(" a"));
        QCOMPARE(m->rowCount(), rows);
        QCOMPARE(m->value(21, 0).toLongLong(), outside.at(0));
        QCOMPARE(misplaced(m.get(), order()), QString());
        // A row enters far from what is held: the count follows.
        rename(outside.at(1), QStringLiteral("Magazyn 2000 z"));
        QTRY_COMPARE(m->rowCount(), rows + 1);
        QCOMPARE(misplaced(m.get(), order()), QString());
        // A new row of this workstation far away is counted at once.
        QSqlRecord rec = m->defaultRecord();
        rec.setValue(QStringLiteral("mgz_symbol"), QStringLiteral("MG_DALEKO"));
        rec.setValue(QStringLiteral("mgz_nazwa"), QStringLiteral("Magazyn 2500 zz"));
        QVERIFY(m->insert(rec, QModelIndex()));
        QCOMPARE(m->rowCount(), rows + 2);
        QCOMPARE(readAllSettled(m.get()), order());
        other.close();
    }

    // Through the real view: a far row chosen, the sort changed, Ctrl+End
    // and Ctrl+Home, while the count comes in the background.
    void largeRegisterThroughTheView()
    {
        const Keys byName = serverOrder(QStringLiteral("mgz_nazwa"), true);
        const Keys byKey = serverOrder(QStringLiteral("mgz_id"), true);
        TAVEwidencja view(QStringLiteral("Skladnice"), QString(), QString());
        TAVTableModel *m = view.getModel();
        m->setPageSizes(kFirst, kMax);
        m->setExactLimit(kFirst * 2);
        m->select();
        QVERIFY(m->isLarge());
        view.resize(800, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        const qint64 far = byKey.at(kRows * 3 / 4);
        QVERIFY(view.selectKey(far));
        view.tableView()->horizontalHeader()->setSortIndicator(m->fieldIndex(QStringLiteral("mgz_nazwa")), Qt::AscendingOrder);
        QCOMPARE(m->value(view.currentIndex().row(), 0).toLongLong(), far);
        const int row = view.currentIndex().row();
        QCOMPARE(m->value(row - 1, 0).toLongLong(), byName.at(byName.indexOf(far) - 1));
        QCOMPARE(m->value(row + 1, 0).toLongLong(), byName.at(byName.indexOf(far) + 1));

        QTest::keyClick(view.tableView(), Qt::Key_End, Qt::ControlModifier);
        QTRY_VERIFY(m->countIsExact());
        QTest::keyClick(view.tableView(), Qt::Key_End, Qt::ControlModifier);
        QTRY_COMPARE(m->value(view.currentIndex().row(), 0).toLongLong(), byName.last());
        QCOMPARE(view.currentIndex().row(), kRows - 1);
        QTest::keyClick(view.tableView(), Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(view.currentIndex().row(), 0);
        QCOMPARE(m->value(0, 0).toLongLong(), byName.first());
        QCOMPARE(readAllSettled(m), byName);
    }

    void cacheStaysWithinItsLimit()
    {
        const Keys expected = serverOrder(QStringLiteral("mgz_adres"), true);
        auto m = open(QStringLiteral("mgz_adres"));
        m->setCacheLimit(400);
        Keys forwards, backwards;
        int most = 0;
        for (int row = 0; row < kRows; ++row) {
            forwards << m->value(row, 0).toLongLong();
            most = qMax(most, m->cache().cachedRows());
        }
        for (int row = kRows - 1; row >= 0; --row) {
            backwards.prepend(m->value(row, 0).toLongLong());
            most = qMax(most, m->cache().cachedRows());
        }
        QCOMPARE(forwards, expected);
        QCOMPARE(backwards, expected);
        QVERIFY2(most <= 400, qPrintable(QString::number(most)));
        QCOMPARE(misplaced(m.get(), expected), QString());
    }
};

ORV_FRAMEWORK_TEST_MAIN(TstPaging)
#include "tst_paging.moc"
