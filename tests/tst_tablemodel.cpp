#include "Factories.h"
#include "KategorieNarzedziModel.h"
#include "LogReader.h"
#include "MagazynyModel.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TAVTableModel.h"
#include "TestMain.h"

#include <QPointer>
#include <QSqlField>
#include <QSqlRelationalTableModel>
#include <QStyledItemDelegate>

#include <memory>

// A register over the dictionary of states, which the client role may only
// read: its writes fail with errors other than key violations.
class StanyTestModel : public TAVTableModel
{
    Q_OBJECT
public:
    StanyTestModel() { setSystemRowMode(0); }
    TAVTableModel *createInstance() override { return new StanyTestModel; }
    QSqlRecord defaultRecord() override { return emptyRecord(); }
    QVector<int> hiddenColumns(QString) override { return {}; }
    void setNames() override { setTableName(QStringLiteral("stan_techniczny_narzedzi")); }
    void setHeaders() override { setHeader(QStringLiteral("stn_nazwa"), QStringLiteral("Nazwa")); }
    void createActions() override {}
    void setCommands() override {}
    void createColumnDelegates() override
    {
        addColumnDelegate(QStringLiteral("STN_NAZWA"), new QStyledItemDelegate);
    }
};

class TstTableModel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogReader> m_log;

    static std::unique_ptr<TAVTableModel> create(const QString &name, const QString &context = QString())
    {
        return std::unique_ptr<TAVTableModel>(SFModels::instance()->create(name, context));
    }

    static int rowOf(TAVTableModel *model, const QVariant &key)
    {
        const QString pk = model->primaryKeyName();
        for (int i = 0; i < model->rowCount(); ++i) {
            if (model->record(i).value(pk) == key)
                return i;
        }
        return -1;
    }

    static QModelIndex indexOf(TAVTableModel *model, const QVariant &key)
    {
        return model->sqlModel()->index(rowOf(model, key), 0);
    }

    static QVariant column(const QString &table, const QString &col, const QString &pk, const QVariant &key)
    {
        return TestDb::scalar(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(col, table, pk), {key});
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_log = std::make_unique<LogReader>(QStringLiteral("tst_tablemodel.log"));
        QVERIFY(Session::start());
    }

    void cleanup() { OVApplication::instance()->setUztId(Session::userId(QStringLiteral("admin"))); }

    void setsUpFromTheTableAndItsView()
    {
        m_log->mark();
        auto model = create(QStringLiteral("MagazynyModel"));
        QVERIFY(model);
        QCOMPARE(model->tableName(), QStringLiteral("magazyny"));
        QCOMPARE(model->primaryKeyName(), QStringLiteral("mgz_id"));
        QCOMPARE(model->sqlModel()->editStrategy(), QSqlTableModel::OnManualSubmit);
        QVERIFY(model->selectStatement().startsWith(QStringLiteral("SELECT ")));
        QVERIFY(model->selectStatement().contains(QStringLiteral("mgz_symbol")));
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("TAVTableModel::generateSelectStatement()")));
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("   PRIMARY KEY DB:")));
        // Fields of a new record are "not given" until set.
        const QSqlRecord empty = model->emptyRecord();
        QVERIFY(empty.count() > 5);
        for (int i = 0; i < empty.count(); ++i)
            QVERIFY2(!empty.value(i).isValid(), qPrintable(empty.fieldName(i)));
        QCOMPARE(model->fieldIndex(QStringLiteral("SYSTEMOWY")), model->fieldIndex(QStringLiteral("systemowy")));
        QVERIFY(model->fieldIndex(QStringLiteral("systemowy")) >= 0);
        QCOMPARE(model->fieldIndex(QStringLiteral("brak_kolumny")), -1);
        QCOMPARE(model->headerData(model->fieldIndex(QStringLiteral("mgz_symbol")), Qt::Horizontal).toString(),
                 QStringLiteral("Symbol"));

        // Rows come ordered by the first column until told otherwise.
        QVERIFY(model->select());
        QVERIFY(model->rowCount() > 1);
        for (int i = 1; i < model->rowCount(); ++i)
            QVERIFY(model->record(i - 1).value(0).toInt() < model->record(i).value(0).toInt());
    }

    void sortsAndFilters()
    {
        auto model = create(QStringLiteral("MagazynyModel"));
        QVERIFY(model->select());
        const int symbol = model->fieldIndex(QStringLiteral("mgz_symbol"));
        model->sort(symbol, Qt::DescendingOrder);
        for (int i = 1; i < model->rowCount(); ++i)
            QVERIFY(model->record(i - 1).value(symbol).toString() >= model->record(i).value(symbol).toString());
        model->sort(QStringLiteral("mgz_symbol"), Qt::AscendingOrder);
        for (int i = 1; i < model->rowCount(); ++i)
            QVERIFY(model->record(i - 1).value(symbol).toString() <= model->record(i).value(symbol).toString());

        const QString first = model->record(0).value(symbol).toString();
        m_log->mark();
        model->setFilter(QStringLiteral("mgz_symbol = '%1'").arg(first));
        QVERIFY(model->select());
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(model->filter(), QStringLiteral("mgz_symbol = '%1'").arg(first));
        QVERIFY(m_log->sinceMark().contains(QStringLiteral("===DEBUG===\t   filter: \"mgz_symbol = '%1'\"").arg(first)));
    }

    void invalidFilterIsLoggedAndTheModelStaysUsable()
    {
        auto model = create(QStringLiteral("MagazynyModel"));
        QVERIFY(model->select());
        const int rows = model->rowCount();
        m_log->mark();
        model->setFilter(QStringLiteral("brak_kolumny = 1"));
        QVERIFY(m_log->sinceMark().contains(
                QStringLiteral("===CRITICAL===\tTAVTableModel::setFilter( const QString& _filter )")));
        QVERIFY(!model->select());
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("   error text:")));
        model->setFilter(QString());
        QVERIFY(model->select());
        QCOMPARE(model->rowCount(), rows);
    }

    // Trimming, NULLs, awkward texts and audit columns, read back from the
    // database itself.
    void insertWritesGivenFieldsAndAuditColumns()
    {
        ModalDriver boxes;
        auto model = create(QStringLiteral("MagazynyModel"));
        QVERIFY(model->select());
        const int before = model->rowCount();
        const QString name = QStringLiteral("Magazyn O'Brien \\ \"Łódź\" -- ; DROP TABLE magazyny;");
        const QString longText = QString(10000, QLatin1Char('x')) + QStringLiteral("ż");

        QSqlRecord rec = model->defaultRecord();
        QCOMPARE(rec.value(QStringLiteral("mgz_aktywny")).toBool(), true);
        rec.setValue(QStringLiteral("mgz_symbol"), QStringLiteral("  MG_TEST1 \t"));
        rec.setValue(QStringLiteral("mgz_nazwa"), name);
        rec.setValue(QStringLiteral("mgz_adres"), QStringLiteral("    "));
        rec.setValue(QStringLiteral("mgz_opis"), longText);
        m_log->mark();
        QVERIFY(model->insert(rec, QModelIndex()));
        QCOMPARE(boxes.count(), 0);

        const QVariant id = model->lastId();
        QVERIFY(id.isValid());
        QVERIFY(id.toInt() > 0);
        const qint32 me = OVApplication::instance()->uztId();
        auto col = [&](const char *c) { return column(QStringLiteral("magazyny"), QLatin1String(c), QStringLiteral("mgz_id"), id); };
        QCOMPARE(col("mgz_symbol").toString(), QStringLiteral("MG_TEST1"));
        QCOMPARE(col("mgz_nazwa").toString(), name);
        QVERIFY(col("mgz_adres").isNull());
        QCOMPARE(col("mgz_opis").toString(), longText);
        QCOMPARE(col("mgz_aktywny").toBool(), true);
        QCOMPARE(col("fk_uzt_stworzono").toInt(), me);
        QCOMPARE(col("fk_uzt_zmodyfikowano").toInt(), me);
        QVERIFY(!col("stworzono").isNull());
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM magazyny")).toInt(), before + 1);

        QCOMPARE(model->rowCount(), before + 1);
        QVERIFY(rowOf(model.get(), id) >= 0);
        const QString log = m_log->joinedSinceMark();
        QVERIFY(log.contains(QStringLiteral("   is empty and set null(index): ")));
        QVERIFY(log.contains(QStringLiteral("   oryginal: \"  MG_TEST1 \\t\"")));
        QVERIFY(log.contains(QStringLiteral("   trimmed: \"MG_TEST1\"")));
        QVERIFY(log.contains(QStringLiteral("Last inserted PK: \"%1\"").arg(id.toString())));
    }

    void emptyAndNonTextValuesFollowTheRules()
    {
        QSqlRecord rec;
        QSqlField text(QStringLiteral("t"), QMetaType(QMetaType::QString));
        QSqlField blank(QStringLiteral("b"), QMetaType(QMetaType::QString));
        QSqlField flag(QStringLiteral("f"), QMetaType(QMetaType::Bool));
        QSqlField number(QStringLiteral("n"), QMetaType(QMetaType::Int));
        QSqlField bytes(QStringLiteral("bin"), QMetaType(QMetaType::QByteArray));
        QSqlField unset(QStringLiteral("u"), QMetaType(QMetaType::QString));
        rec.append(text); rec.append(blank); rec.append(flag); rec.append(number); rec.append(bytes); rec.append(unset);
        rec.setValue(0, QStringLiteral(" a b "));
        rec.setValue(1, QString());
        rec.setValue(2, false);
        rec.setValue(3, 0);
        rec.setValue(4, QByteArray("  \x00\x01  ", 6));
        rec.setValue(5, QVariant());
        auto model = create(QStringLiteral("MagazynyModel"));
        model->prepareEmptyNullValues(rec);
        QCOMPARE(rec.value(0).toString(), QStringLiteral("a b"));
        QVERIFY(rec.value(1).isValid());
        QVERIFY(rec.isNull(1));
        QCOMPARE(rec.value(2).toBool(), false);
        QVERIFY(!rec.isNull(2));
        QCOMPARE(rec.value(3).toInt(), 0);
        QVERIFY(!rec.isNull(3));
        QCOMPARE(rec.value(4).toByteArray(), QByteArray("  \x00\x01  ", 6));
        QVERIFY(!rec.value(5).isValid());
    }

    void updateWritesOnlyTheGivenFields()
    {
        ModalDriver boxes;
        auto model = create(QStringLiteral("MagazynyModel"));
        QVERIFY(model->select());
        QSqlRecord rec = model->defaultRecord();
        rec.setValue(QStringLiteral("mgz_symbol"), QStringLiteral("MG_UPD"));
        rec.setValue(QStringLiteral("mgz_nazwa"), QStringLiteral("Przed"));
        rec.setValue(QStringLiteral("mgz_opis"), QStringLiteral("opis zostaje"));
        QVERIFY(model->insert(rec, QModelIndex()));
        const QVariant id = model->lastId();
        const qint32 creator = OVApplication::instance()->uztId();
        const qint32 other = Session::userId(QStringLiteral("kierownik"));
        QVERIFY(other > 0 && other != creator);
        OVApplication::instance()->setUztId(other);

        QSqlRecord change = model->emptyRecord();
        change.setValue(QStringLiteral("mgz_nazwa"), QStringLiteral("Po zmianie 'x' \\n"));
        change.setValue(QStringLiteral("mgz_adres"), QVariant(QMetaType(QMetaType::QString)));
        QVERIFY(model->update(change, indexOf(model.get(), id)));
        QCOMPARE(model->lastId(), id);
        QCOMPARE(boxes.count(), 0);
        auto col = [&](const char *c) { return column(QStringLiteral("magazyny"), QLatin1String(c), QStringLiteral("mgz_id"), id); };
        QCOMPARE(col("mgz_nazwa").toString(), QStringLiteral("Po zmianie 'x' \\n"));
        QCOMPARE(col("mgz_opis").toString(), QStringLiteral("opis zostaje"));
        QCOMPARE(col("mgz_symbol").toString(), QStringLiteral("MG_UPD"));
        QVERIFY(col("mgz_adres").isNull());
        QCOMPARE(col("fk_uzt_stworzono").toInt(), creator);
        QCOMPARE(col("fk_uzt_zmodyfikowano").toInt(), other);
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_nazwa = 'Przed'")).toInt(), 0);

        // Nothing given: nothing written, nothing shown.
        QVERIFY(!model->update(model->emptyRecord(), indexOf(model.get(), id)));
        QCOMPARE(boxes.count(), 0);
    }

    void refusedWritesLeaveNothingHalfWritten()
    {
        ModalDriver boxes;
        auto model = create(QStringLiteral("LokalizacjeModel"));
        QVERIFY(model->select());
        const int count = TestDb::scalar(QStringLiteral("SELECT count(*) FROM lokalizacje")).toInt();

        // Foreign key, then type.
        QSqlRecord rec = model->defaultRecord();
        rec.setValue(QStringLiteral("lkl_nazwa"), QStringLiteral("Regał widmo"));
        rec.setValue(QStringLiteral("lkl_fk_mgz"), 987654);
        QVERIFY(!model->insert(rec, QModelIndex()));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QStringLiteral("insert"));
        QCOMPARE(boxes.last().text, QStringLiteral("nieudane insert"));
        QCOMPARE(boxes.last().icon, QMessageBox::Warning);
        QVERIFY(!model->lastId().isValid());

        rec.setValue(QStringLiteral("lkl_fk_mgz"), QStringLiteral("abc"));
        m_log->mark();
        QVERIFY(!model->insert(rec, QModelIndex()));
        QCOMPARE(boxes.count(), 2);
        QVERIFY(m_log->joinedSinceMark().contains(QStringLiteral("   error - databaser text:")));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM lokalizacje")).toInt(), count);

        // The model is still usable.
        rec.setValue(QStringLiteral("lkl_fk_mgz"),
                     TestDb::scalar(QStringLiteral("SELECT min(mgz_id) FROM magazyny")));
        QVERIFY(model->insert(rec, QModelIndex()));
        QVERIFY(model->lastId().isValid());
        const QModelIndex idx = indexOf(model.get(), model->lastId());
        QVERIFY(idx.isValid());

        // An update the database refuses.
        QSqlRecord bad = model->emptyRecord();
        bad.setValue(QStringLiteral("lkl_fk_mgz"), 987654);
        QVERIFY(!model->update(bad, idx));
        QCOMPARE(boxes.last().title, QStringLiteral("insert"));
        QCOMPARE(boxes.last().text, QStringLiteral("nieudane insert"));
        QVERIFY(!model->lastId().isValid());
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM lokalizacje WHERE lkl_fk_mgz = 987654")).toInt(), 0);
    }

    void removeReportsForeignKeysAndOtherStates()
    {
        ModalDriver boxes;
        auto model = create(QStringLiteral("MagazynyModel"));
        QVERIFY(model->select());
        const QVariant used = TestDb::scalar(QStringLiteral(
                "SELECT min(lkl_fk_mgz) FROM lokalizacje JOIN magazyny ON mgz_id = lkl_fk_mgz WHERE NOT magazyny.systemowy"));
        QVERIFY(used.isValid());
        m_log->mark();
        QVERIFY(!model->remove(model->emptyRecord(), indexOf(model.get(), used)));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QStringLiteral("Usuwanie wpisu"));
        QCOMPARE(boxes.last().text, QStringLiteral("Nie można usunąć wpisu, ponieważ jest powiązany z innymi danymi."));
        QVERIFY(m_log->sinceMark().contains(QStringLiteral("===DEBUG===\t   PGresult error code: \"23503\"")));
        QVERIFY(!model->lastId().isValid());
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_id = ?"), {used}).toInt(), 1);

        // The client role may not delete dictionary rows: another state.
        std::unique_ptr<TAVTableModel> states(new StanyTestModel);
        states->initialize();
        QVERIFY(states->select());
        QVERIFY(!states->remove(states->emptyRecord(), states->sqlModel()->index(0, 0)));
        QCOMPARE(boxes.last().title, QStringLiteral("Usuwanie wpisu"));
        QCOMPARE(boxes.last().text, QStringLiteral("Wystąpił błąd o numerze 42501."));
    }

    void removeLeavesTheRowAboveCurrent()
    {
        ModalDriver boxes;
        auto model = create(QStringLiteral("MagazynyModel"));
        for (const char *s : {"DEL_A", "DEL_B", "DEL_C"}) {
            QSqlRecord rec = model->defaultRecord();
            rec.setValue(QStringLiteral("mgz_symbol"), QLatin1String(s));
            rec.setValue(QStringLiteral("mgz_nazwa"), QLatin1String(s));
            QVERIFY(model->insert(rec, QModelIndex()));
        }
        model->setFilter(QStringLiteral("mgz_symbol LIKE 'DEL_%'"));
        model->setSort(QStringLiteral("mgz_symbol"), Qt::AscendingOrder);
        QVERIFY(model->select());
        QCOMPARE(model->rowCount(), 3);
        const QVariant keyA = model->record(0).value(QStringLiteral("mgz_id"));
        const QVariant keyB = model->record(1).value(QStringLiteral("mgz_id"));

        QVERIFY(model->remove(model->record(2), model->sqlModel()->index(2, 0)));
        QCOMPARE(model->lastId(), keyB);
        QCOMPARE(model->rowCount(), 2);
        QVERIFY(model->remove(model->record(0), model->sqlModel()->index(0, 0)));
        QVERIFY(!model->lastId().isValid());
        QCOMPARE(model->rowCount(), 1);
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_id = ?"), {keyA}).toInt(), 0);
        QCOMPARE(boxes.count(), 0);
    }

    void systemRowsAreProtectedByMode()
    {
        ModalDriver boxes;
        // Categories (mode 3): neither edit nor delete.
        auto categories = create(QStringLiteral("KategorieNarzedziModel"));
        QCOMPARE(categories->systemRowMode(), 3);
        QVERIFY(categories->select());
        const QVariant sys = TestDb::scalar(QStringLiteral("SELECT min(ktr_nrz_id) FROM kategorie_narzedzi WHERE systemowy"));
        QVERIFY(sys.isValid());
        const QString name = column(QStringLiteral("kategorie_narzedzi"), QStringLiteral("ktr_nrz_nazwa"),
                                    QStringLiteral("ktr_nrz_id"), sys).toString();
        QSqlRecord change = categories->emptyRecord();
        change.setValue(QStringLiteral("ktr_nrz_nazwa"), QStringLiteral("Zmieniona"));
        categories->setFilter(QString());
        QVERIFY(!categories->update(change, indexOf(categories.get(), sys)));
        QCOMPARE(boxes.last().title, QStringLiteral("Edycja wpisu"));
        QCOMPARE(boxes.last().text, QStringLiteral("Wpis systemowy - nie można go edytować."));
        QCOMPARE(boxes.last().icon, QMessageBox::Information);
        QVERIFY(!categories->remove(categories->emptyRecord(), indexOf(categories.get(), sys)));
        QCOMPARE(boxes.last().title, QStringLiteral("Usuwanie wpisu"));
        QCOMPARE(boxes.last().text, QStringLiteral("Wpis systemowy - nie można go usunąć."));
        QCOMPARE(column(QStringLiteral("kategorie_narzedzi"), QStringLiteral("ktr_nrz_nazwa"),
                        QStringLiteral("ktr_nrz_id"), sys).toString(), name);

        // Warehouses (mode 2): edit allowed, delete refused.
        auto warehouses = create(QStringLiteral("MagazynyModel"));
        QCOMPARE(warehouses->systemRowMode(), 2);
        QSqlRecord rec = warehouses->defaultRecord();
        rec.setValue(QStringLiteral("mgz_symbol"), QStringLiteral("MG_SYS"));
        rec.setValue(QStringLiteral("mgz_nazwa"), QStringLiteral("Systemowy"));
        QVERIFY(warehouses->insert(rec, QModelIndex()));
        const QVariant id = warehouses->lastId();
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE magazyny SET systemowy = true WHERE mgz_id = ?"), {id}));
        QVERIFY(warehouses->select());
        const int shown = boxes.count();
        QSqlRecord edit = warehouses->emptyRecord();
        edit.setValue(QStringLiteral("mgz_opis"), QStringLiteral("edytowany"));
        QVERIFY(warehouses->update(edit, indexOf(warehouses.get(), id)));
        QCOMPARE(boxes.count(), shown);
        QVERIFY(!warehouses->remove(warehouses->emptyRecord(), indexOf(warehouses.get(), id)));
        QCOMPARE(boxes.last().text, QStringLiteral("Wpis systemowy - nie można go usunąć."));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_id = ?"), {id}).toInt(), 1);
    }

    void userTableQueriesNeverReachTheLog()
    {
        auto users = create(QStringLiteral("UzytkownicyModel"));
        QVERIFY(users);
        m_log->mark();
        users->setFilter(QStringLiteral("uzt_login = 'admin' AND uzt_haslo = 'd033e22ae348aeb5660fc2140aec35850c4da997'"));
        QVERIFY(users->select());
        QCOMPARE(users->rowCount(), 1);
        QCOMPARE(m_log->sinceMark(), QStringList({QStringLiteral("===DEBUG===\tTAVTableModel::select()"),
                                                  QStringLiteral("===DEBUG===\t   uzytkownicy - brak logowania ze wzgledow bezpieczenstwa")}));
        users->setFilter(QStringLiteral("uzt_haslo = 'tajne' AND brak = 1"));
        users->select();
        QVERIFY(!m_log->joinedSinceMark().contains(QStringLiteral("tajne")));
        QVERIFY(!m_log->joinedSinceMark().contains(QStringLiteral("d033e22ae")));
    }

    void columnDelegatesAreRebuiltOnEveryCall()
    {
        std::unique_ptr<TAVTableModel> model(new StanyTestModel);
        model->initialize();
        const auto first = model->columnDelegates();
        QCOMPARE(first.size(), 1);
        QCOMPARE(first.first().first, model->fieldIndex(QStringLiteral("stn_nazwa")));
        QPointer<QAbstractItemDelegate> old(first.first().second);
        const auto second = model->columnDelegates();
        QCOMPARE(second.size(), 1);
        QVERIFY(old.isNull());
        QVERIFY(second.first().second);
    }

    void contextRemovesTheCommands()
    {
        auto full = create(QStringLiteral("MagazynyModel"));
        QVERIFY(!full->actions().isEmpty());
        for (QAction *a : full->actions())
            QVERIFY(!a->property("commandName").toString().isEmpty());
        m_log->mark();
        auto pick = create(QStringLiteral("MagazynyModel"), QStringLiteral("LISTA_WYBORU"));
        QVERIFY(pick->actions().isEmpty());
        QVERIFY(m_log->sinceMark().contains(QStringLiteral("===DEBUG===\tMagazynyModel::setActions( QString _context )")));
    }
};

ORV_TEST_MAIN(TstTableModel)
#include "tst_tablemodel.moc"
