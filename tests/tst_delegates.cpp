// Cell rendering: rows coloured by their flags and by the user's rights,
// painted from what the model and the session already hold.

#include "Factories.h"
#include "LogReader.h"
#include "Session.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <QPainter>
#include <QStyledItemDelegate>

#include <memory>

namespace {
struct Cell
{
    QColor background;
    QString text;
};

Cell paint(QAbstractItemDelegate *delegate, const QModelIndex &index)
{
    QImage image(400, 24, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = image.rect();
        option.state = QStyle::State_Enabled;
        option.font = QApplication::font();
        delegate->paint(&painter, option, index);
    }
    return {image.pixelColor(image.width() - 2, 1),
            static_cast<QStyledItemDelegate *>(delegate)->displayText(index.data(), QLocale())};
}

QAbstractItemDelegate *columnDelegate(TAVTableModel *m, const QString &column)
{
    for (const auto &d : m->columnDelegates()) {
        if (d.first == m->fieldIndex(column))
            return d.second;
    }
    return nullptr;
}

std::unique_ptr<TAVTableModel> open(const QString &name)
{
    std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(name, QString()));
    m->select();
    return m;
}

const QColor kGrey(0xc0, 0xc0, 0xc0);
} // namespace

class TstDelegates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Session::start());
    }

    // An inactive place, a former employee: grey across the row, and the
    // flag in words.
    void flagRowsAreGreyWhenFalse_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::newRow("warehouses") << "MagazynyModel" << "mgz_aktywny" << "Aktywny" << "Nieaktywny";
        QTest::newRow("places of use") << "MiejscaUzytkowaniaModel" << "muz_aktywny" << "Aktywny" << "Nieaktywny";
        QTest::newRow("employees") << "PracownicyModel" << "prc_zatrudniony" << "Zatrudniony" << "Niezatrudniony";
        QTest::newRow("users") << "UzytkownicyModel" << "uzt_zatrudniony" << "Zatrudniony" << "Niezatrudniony";
    }
    void flagRowsAreGreyWhenFalse()
    {
        QFETCH(QString, model);
        QFETCH(QString, flag);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        auto m = open(model);
        const QString table = m->tableName(), key = m->primaryKeyName();
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE %1 SET %2 = (%3 <> 2)").arg(table, flag, key)));
        m->select();
        const int on = m->rowOfKey(1), off = m->rowOfKey(2);
        QAbstractItemDelegate *row = m->rowDelegate();
        QAbstractItemDelegate *column = columnDelegate(m.get(), flag);
        QVERIFY(row && column && row != column);
        const int f = m->fieldIndex(flag);
        Cell c = paint(column, m->index(off, f));
        QCOMPARE(c.background, kGrey);
        QCOMPARE(c.text, no);
        c = paint(column, m->index(on, f));
        QCOMPARE(c.background, QColor(Qt::white));
        QCOMPARE(c.text, yes);
        QCOMPARE(paint(row, m->index(off, 1)).background, kGrey);
        QCOMPARE(paint(row, m->index(on, 1)).background, QColor(Qt::white));
    }

    void openMovementsAreGreen()
    {
        auto m = open(QStringLiteral("PrzesunieciaMMModel"));
        QAbstractItemDelegate *status = columnDelegate(m.get(), QStringLiteral("psnmm_status"));
        const int column = m->fieldIndex(QStringLiteral("psnmm_status"));
        const Cell open = paint(status, m->index(m->rowOfKey(5), column));
        QCOMPARE(open.background, QColor(126, 244, 67));
        QCOMPARE(open.text, QStringLiteral("W trakcie"));
        const Cell done = paint(status, m->index(m->rowOfKey(1), column));
        QCOMPARE(done.background, kGrey);
        QCOMPARE(done.text, QStringLiteral("Zakończono"));
        QCOMPARE(paint(m->rowDelegate(), m->index(m->rowOfKey(5), 0)).background, QColor(126, 244, 67));
    }

    void toolRowsFollowStateAndRights_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<int>("tool");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("damaged") << "admin" << 8 << QColor(255, 33, 33);
        QTest::newRow("to check") << "admin" << 15 << QColor(0x00, 0xff, 0xff);
        QTest::newRow("not on stock") << "admin" << 37 << kGrey;
        QTest::newRow("sound") << "admin" << 1 << QColor(Qt::white);
        QTest::newRow("manager, own warehouse, damaged") << "kierownik" << 32 << QColor(255, 33, 33);
        QTest::newRow("manager, own warehouse, sound") << "kierownik" << 19 << QColor(Qt::white);
        QTest::newRow("manager, other warehouse") << "kierownik" << 8 << QColor(0x80, 0x80, 0x80);
    }
    void toolRowsFollowStateAndRights()
    {
        QFETCH(QString, login);
        QFETCH(int, tool);
        QFETCH(QColor, colour);
        OVApplication::instance()->setUztId(Session::userId(login));
        auto m = open(QStringLiteral("NarzedziaModel"));
        QCOMPARE(paint(m->rowDelegate(), m->index(m->rowOfKey(tool), 1)).background, colour);
    }

    // A user managing no warehouse: the rights are read once, and painting
    // writes nothing to the log.
    void paintingReadsRightsOnce()
    {
        LogReader log(QStringLiteral("tst_delegates.log"));
        OVApplication::instance()->setUztId(Session::userId(QStringLiteral("magazynier")));
        auto m = open(QStringLiteral("NarzedziaModel"));
        paint(m->rowDelegate(), m->index(0, 1));
        log.mark();
        for (int r = 0; r < m->rowCount(); ++r)
            QCOMPARE(paint(m->rowDelegate(), m->index(r, 1)).background, QColor(0x80, 0x80, 0x80));
        QCOMPARE(log.sinceMark(), QStringList());
    }
};

ORV_TEST_MAIN(TstDelegates)
#include "tst_delegates.moc"
