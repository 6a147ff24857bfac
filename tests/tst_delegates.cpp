#include "Factories.h"
#include "Session.h"
#include "TAVItemDelegate.h"
#include "NarzedziaPainterStrategy.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <QImage>
#include <QPainter>
#include <QSqlRecord>
#include <QSqlRelationalTableModel>
#include <QStandardItemModel>

#include <memory>

// What a delegate leaves in a cell: its background colour (sampled away
// from the text) and the words it shows.
struct Cell
{
    QColor background;
    QString text;
};

class TstDelegates : public QObject
{
    Q_OBJECT

private:
    static QColor white() { return QColor(Qt::white); }
    static QColor lightGray() { return QColor(0xc0, 0xc0, 0xc0); }

    static Cell paint(QAbstractItemDelegate *delegate, const QModelIndex &index)
    {
        QImage image(400, 24, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            QStyleOptionViewItem option;
            option.rect = image.rect();
            option.state = QStyle::State_Enabled;
            option.palette = QApplication::palette();
            option.font = QApplication::font();
            option.fontMetrics = QFontMetrics(option.font);
            delegate->paint(&painter, option, index);
        }
        auto *styled = static_cast<QStyledItemDelegate *>(delegate);
        return {image.pixelColor(image.width() - 2, 1), styled->displayText(index.data(), QLocale())};
    }

    static std::unique_ptr<TAVTableModel> model(const char *name)
    {
        std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(QString::fromLatin1(name), QString()));
        m->select();
        while (m->sqlModel()->canFetchMore())
            m->sqlModel()->fetchMore();
        return m;
    }

    static QModelIndex cell(QAbstractItemModel *m, const QString &key, int id, const QString &column)
    {
        auto *sql = qobject_cast<QSqlTableModel *>(m);
        const int col = sql->record().indexOf(column);
        for (int r = 0; r < m->rowCount(); ++r) {
            if (sql->record(r).value(key).toInt() == id)
                return m->index(r, col);
        }
        return QModelIndex();
    }

    static QAbstractItemDelegate *columnDelegate(TAVTableModel *m, const QString &column)
    {
        for (const auto &p : m->columnDelegates()) {
            if (p.first == m->fieldIndex(column))
                return p.second;
        }
        return nullptr;
    }

    // A delegate of the tools register over the tools view.
    static std::unique_ptr<QSqlTableModel> tools()
    {
        auto m = std::make_unique<QSqlTableModel>();
        m->setTable(QStringLiteral("v_narzedzia"));
        m->select();
        while (m->canFetchMore())
            m->fetchMore();
        return m;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(Session::start()); }

    void flagRowsAreGreyWhenFalse_data()
    {
        QTest::addColumn<QByteArray>("modelName");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<int>("activeId");
        QTest::addColumn<int>("inactiveId");
        QTest::addColumn<QString>("trueText");
        QTest::addColumn<QString>("falseText");
        QTest::addColumn<QString>("table");
        QTest::newRow("warehouses") << QByteArray("MagazynyModel") << "mgz_id" << "mgz_aktywny" << 1 << 4
                                    << "Aktywny" << "Nieaktywny" << "magazyny";
        QTest::newRow("places of use") << QByteArray("MiejscaUzytkowaniaModel") << "muz_id" << "muz_aktywny" << 0 << 0
                                       << "Aktywny" << "Nieaktywny" << "miejsca_uzytkowania";
        QTest::newRow("employees") << QByteArray("PracownicyModel") << "prc_id" << "prc_zatrudniony" << 0 << 0
                                   << "Zatrudniony" << "Niezatrudniony" << "pracownicy";
        QTest::newRow("users") << QByteArray("UzytkownicyModel") << "uzt_id" << "uzt_zatrudniony" << 1 << 0
                               << "Zatrudniony" << "Niezatrudniony" << "uzytkownicy";
    }

    void flagRowsAreGreyWhenFalse()
    {
        QFETCH(QByteArray, modelName);
        QFETCH(QString, key);
        QFETCH(QString, flag);
        QFETCH(int, activeId);
        QFETCH(int, inactiveId);
        QFETCH(QString, trueText);
        QFETCH(QString, falseText);
        QFETCH(QString, table);

        // Demo rows of both kinds, whatever their keys.
        if (!activeId)
            activeId = TestDb::scalar(QStringLiteral("SELECT min(%1) FROM %2 WHERE %3").arg(key, table, flag)).toInt();
        if (!inactiveId) {
            inactiveId = TestDb::scalar(QStringLiteral("SELECT min(%1) FROM %2 WHERE NOT %3").arg(key, table, flag)).toInt();
            if (!inactiveId) {
                QVERIFY(TestDb::exec(QStringLiteral("UPDATE %1 SET %2 = false WHERE %3 = 2").arg(table, flag, key)));
                inactiveId = 2;
            }
        }

        auto m = model(modelName.constData());
        QAbstractItemDelegate *row = m->rowDelegate();
        QAbstractItemDelegate *column = columnDelegate(m.get(), flag);
        QVERIFY(row);
        QVERIFY(column);
        QVERIFY(row != column);

        // The row delegate colours every cell of the row, the flag's own
        // column included, and only the flag's column shows words.
        const QModelIndex activeFlag = cell(m->sqlModel(), key, activeId, flag);
        const QModelIndex inactiveFlag = cell(m->sqlModel(), key, inactiveId, flag);
        const QModelIndex inactiveKey = cell(m->sqlModel(), key, inactiveId, key);
        QVERIFY(activeFlag.isValid() && inactiveFlag.isValid());

        Cell c = paint(column, activeFlag);
        QCOMPARE(c.background, white());
        QCOMPARE(c.text, trueText);
        c = paint(column, inactiveFlag);
        QCOMPARE(c.background, lightGray());
        QCOMPARE(c.text, falseText);
        c = paint(row, inactiveKey);
        QCOMPARE(c.background, lightGray());
        QCOMPARE(c.text, QString::number(inactiveId));
        QCOMPARE(paint(row, cell(m->sqlModel(), key, activeId, key)).background, white());
        QVERIFY(TestDb::resetDatabase());
        QVERIFY(Session::start());
    }

    void delegatesAreBuiltOnceAndNotShared()
    {
        auto m = model("MagazynyModel");
        QAbstractItemDelegate *row = m->rowDelegate();
        QCOMPARE(m->rowDelegate(), row);
        auto *tav = qobject_cast<TAVItemDelegate *>(row);
        auto *col = qobject_cast<TAVItemDelegate *>(columnDelegate(m.get(), QStringLiteral("MGZ_AKTYWNY")));
        QVERIFY(tav && col);
        QVERIFY(tav->paintStrategy() && col->paintStrategy());
        QVERIFY(tav->paintStrategy() != col->paintStrategy());
        // Row delegate: paint only, so other columns show their raw values.
        QVERIFY(!tav->displayTextStrategy());
    }

    void rightsModelsShowWordsWithoutColour()
    {
        for (const char *name : {"OvUprawnieniaMgzModel", "OvUprawnieniaAdminModel"}) {
            auto m = model(name);
            QVERIFY2(!m->rowDelegate(), name);
            QAbstractItemDelegate *d = columnDelegate(m.get(), QStringLiteral("uzt_zatrudniony"));
            QVERIFY2(d, name);
            QVERIFY(m->rowCount() > 0);
            const QModelIndex idx = m->sqlModel()->index(0, m->fieldIndex(QStringLiteral("uzt_zatrudniony")));
            const Cell c = paint(d, idx);
            QCOMPARE(c.background, white());
            QCOMPARE(c.text, QStringLiteral("Zatrudniony"));
        }
        for (const char *name : {"LokalizacjeModel", "KategorieNarzedziModel"}) {
            auto m = model(name);
            QVERIFY2(!m->rowDelegate(), name);
            QVERIFY2(m->columnDelegates().isEmpty(), name);
        }
    }

    void toolRowsForAnAdministrator_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("damaged, warehouse 1") << 8 << QColor(255, 33, 33);
        QTest::newRow("damaged, not on stock") << 32 << QColor(255, 33, 33);
        QTest::newRow("to check") << 15 << QColor(0x00, 0xff, 0xff);
        QTest::newRow("to check, not on stock") << 36 << QColor(0x00, 0xff, 0xff);
        QTest::newRow("not on stock") << 37 << lightGray();
        QTest::newRow("worn") << 18 << white();
        QTest::newRow("sound") << 1 << white();
        QTest::newRow("closed warehouse") << 45 << white();
    }

    void toolRowsForAnAdministrator()
    {
        QFETCH(int, tool);
        QFETCH(QColor, colour);
        OVApplication::instance()->setUztId(1);
        auto m = tools();
        TAVItemDelegate delegate(nullptr, new NarzedziaPainterStrategy);
        QCOMPARE(paint(&delegate, cell(m.get(), QStringLiteral("nrz_id"), tool, QStringLiteral("nrz_nazwa"))).background,
                 colour);
    }

    void toolRowsForAManager_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<QColor>("colour");
        // The manager of warehouses 2 and 3.
        QTest::newRow("damaged, own warehouse") << 32 << QColor(255, 33, 33);
        QTest::newRow("not on stock, own warehouse") << 37 << lightGray();
        QTest::newRow("sound, own warehouse") << 19 << white();
        QTest::newRow("damaged, other warehouse") << 8 << QColor(0x80, 0x80, 0x80);
        QTest::newRow("to check, other warehouse") << 15 << QColor(0x80, 0x80, 0x80);
        QTest::newRow("sound, other warehouse") << 1 << QColor(0x80, 0x80, 0x80);
    }

    void toolRowsForAManager()
    {
        QFETCH(int, tool);
        QFETCH(QColor, colour);
        OVApplication::instance()->setUztId(2);
        auto m = tools();
        TAVItemDelegate delegate(nullptr, new NarzedziaPainterStrategy, new TakNieDisplayTextStrategy);
        const Cell c = paint(&delegate, cell(m.get(), QStringLiteral("nrz_id"), tool, QStringLiteral("nrz_przyjete_na_stan")));
        QCOMPARE(c.background, colour);
        const bool onStock = TestDb::scalar(QStringLiteral("SELECT nrz_przyjete_na_stan FROM narzedzia WHERE nrz_id = ?"),
                                            {tool}).toBool();
        QCOMPARE(c.text, onStock ? QStringLiteral("Tak") : QStringLiteral("Nie"));
        OVApplication::instance()->setUztId(1);
    }

    void movementRowsGreenWhileOpen()
    {
        auto m = std::make_unique<QSqlTableModel>();
        m->setTable(QStringLiteral("przesuniecia_mm"));
        m->select();
        const QStringList fields{QStringLiteral("psnmm_status")};
        TAVItemDelegate row(nullptr, new ZrealizowanoPolePaintStrategy(fields));
        TAVItemDelegate status(nullptr, new ZrealizowanoPolePaintStrategy(fields), new StatusRealizacjiDisplayTextStrategy);

        Cell open = paint(&status, cell(m.get(), QStringLiteral("psnmm_id"), 5, QStringLiteral("psnmm_status")));
        QCOMPARE(open.background, QColor(126, 244, 67));
        QCOMPARE(open.text, QStringLiteral("W trakcie"));
        Cell done = paint(&status, cell(m.get(), QStringLiteral("psnmm_id"), 1, QStringLiteral("psnmm_status")));
        QCOMPARE(done.background, lightGray());
        QCOMPARE(done.text, QStringLiteral("Zakończono"));
        QCOMPARE(paint(&row, cell(m.get(), QStringLiteral("psnmm_id"), 5, QStringLiteral("psnmm_id"))).background,
                 QColor(126, 244, 67));
        // A field list naming a column the model lacks paints nothing.
        TAVItemDelegate other(nullptr, new ZrealizowanoPolePaintStrategy({QStringLiteral("np_status")}));
        QCOMPARE(paint(&other, cell(m.get(), QStringLiteral("psnmm_id"), 5, QStringLiteral("psnmm_id"))).background,
                 white());
    }

    void repairTypeWords()
    {
        auto m = std::make_unique<QSqlTableModel>();
        m->setTable(QStringLiteral("naprawy_przeglady"));
        m->select();
        TAVItemDelegate type(nullptr, new ZrealizowanoPolePaintStrategy({QStringLiteral("np_status")}),
                             new NaprawyPrzegladyTypDisplayTextStrategy);
        const Cell repair = paint(&type, cell(m.get(), QStringLiteral("np_id"), 4, QStringLiteral("np_typ")));
        QCOMPARE(repair.text, QStringLiteral("Naprawa"));
        QCOMPARE(repair.background, QColor(126, 244, 67));
        QCOMPARE(paint(&type, cell(m.get(), QStringLiteral("np_id"), 3, QStringLiteral("np_typ"))).text,
                 QStringLiteral("Przegląd"));
        // A type the database would not hold still gets a word.
        QCOMPARE(type.displayText(2, QLocale()), QStringLiteral("NONE"));
        // A null type is no repair either.
        QCOMPARE(type.displayText(QVariant(), QLocale()), QStringLiteral("NONE"));
    }

    void wordsForNullFlags()
    {
        // A null flag reads as false.
        QCOMPARE(TakNieDisplayTextStrategy().displayText(QVariant(), QLocale()), QStringLiteral("Nie"));
        QCOMPARE(AktywnyNieaktywnyDisplayTextStrategy().displayText(QVariant(), QLocale()), QStringLiteral("Nieaktywny"));
        QCOMPARE(ZatrudnionyNiezatrudnionyDisplayTextStrategy().displayText(QVariant(QMetaType(QMetaType::Bool)), QLocale()),
                 QStringLiteral("Niezatrudniony"));
        QCOMPARE(StatusRealizacjiDisplayTextStrategy().displayText(true, QLocale()), QStringLiteral("Zakończono"));
    }

    void nonSqlModelGetsStandardDrawing()
    {
        QStandardItemModel plain(1, 1);
        plain.setData(plain.index(0, 0), false);
        TAVItemDelegate flag(nullptr,
                             new AktywnyZatrudnionyBialySzaryPolePaintStrategy({QStringLiteral("mgz_aktywny")}),
                             new AktywnyNieaktywnyDisplayTextStrategy);
        TAVItemDelegate tool(nullptr, new NarzedziaPainterStrategy);
        QCOMPARE(paint(&flag, plain.index(0, 0)).background, white());
        QCOMPARE(paint(&tool, plain.index(0, 0)).background, white());
    }
};

ORV_TEST_MAIN(TstDelegates)
#include "tst_delegates.moc"
