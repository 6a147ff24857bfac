// Writes of the table model read back from the database: values, audit
// columns, refusals with their cause, system rows, and the transaction
// guard around several writes when the connection goes away.

#include "Factories.h"
#include "LogReader.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TAVTableModel.h"
#include "TAVTransaction.h"
#include "TabelaMagazynDialog.h"
#include "TestMain.h"
#include "TestUi.h"

#include <QSqlField>

#include <memory>

// The dictionary of states, which the client role may only read.
class StanyModel : public TAVModel<StanyModel>
{
public:
    StanyModel() { setSystemRowMode(SystemRowsFree); }
    void setNames() override { setTableName(QStringLiteral("stan_techniczny_narzedzi")); }
    void setHeaders() override { setHeader(QStringLiteral("stn_nazwa"), QStringLiteral("Nazwa")); }
};

using ModelPtr = std::shared_ptr<TAVTableModel>;
Q_DECLARE_METATYPE(ModelPtr)

class TstTableModel : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogReader> m_log;

    static ModelPtr create(const QString &name)
    {
        ModelPtr m(SFModels::instance()->create(name, QString()));
        if (m)
            m->select();
        return m;
    }
    static QModelIndex indexOf(const ModelPtr &m, const QVariant &key) { return m->index(m->rowOfKey(key), 0); }
    static QVariant warehouse(const char *column, const QVariant &id)
    {
        return db(QStringLiteral("SELECT %1 FROM magazyny WHERE mgz_id = ?").arg(QLatin1String(column)), {id});
    }
    static QSqlRecord newWarehouse(const ModelPtr &m, const QString &symbol)
    {
        QSqlRecord rec = m->defaultRecord();
        rec.setValue(QStringLiteral("mgz_symbol"), symbol);
        rec.setValue(QStringLiteral("mgz_nazwa"), QStringLiteral("Magazyn ") + symbol);
        return rec;
    }
    static bool lost(const QString &state)
    {
        TAVDbError e;
        e.sqlState = state;
        return e.connectionLost();
    }
    static int count(const char *table) { return db(QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table)).toInt(); }

private Q_SLOTS:
    void initTestCase() { m_log = std::make_unique<LogReader>(QStringLiteral("tst_tablemodel.log")); }
    void init() { QVERIFY(Session::start()); }

    void writesWhatIsGivenWithTheAuditColumns()
    {
        ModalDriver boxes;
        auto m = create(QStringLiteral("MagazynyModel"));
        const int before = m->rowCount();
        const QString name = QStringLiteral("Magazyn O'Brien \\ \"Łódź\" -- ; DROP TABLE magazyny;");
        QSqlRecord rec = m->defaultRecord();
        QCOMPARE(rec.value(QStringLiteral("mgz_aktywny")), QVariant(true));
        rec.setValue(QStringLiteral("mgz_symbol"), QStringLiteral("  MG_TEST1 \t"));
        rec.setValue(QStringLiteral("mgz_nazwa"), name);
        rec.setValue(QStringLiteral("mgz_adres"), QStringLiteral("    "));
        rec.setValue(QStringLiteral("mgz_opis"), QString(10000, QLatin1Char('x')) + QStringLiteral("ż"));
        QVERIFY(m->insert(rec, QModelIndex()));
        const QVariant id = m->lastId();
        QCOMPARE(warehouse("mgz_symbol", id).toString(), QStringLiteral("MG_TEST1"));
        QCOMPARE(warehouse("mgz_nazwa", id).toString(), name);
        QVERIFY(warehouse("mgz_adres", id).isNull());
        QCOMPARE(warehouse("length(mgz_opis)", id).toInt(), 10001);
        QCOMPARE(warehouse("mgz_aktywny", id).toBool(), true);
        QCOMPARE(warehouse("fk_uzt_stworzono", id).toInt(), 1);
        QCOMPARE(warehouse("fk_uzt_zmodyfikowano", id).toInt(), 1);
        QCOMPARE(m->rowCount(), before + 1);
        QCOMPARE(m->value(m->rowOfKey(id), QStringLiteral("mgz_nazwa")).toString(), name);

        // Another user edits two fields: only they and the modifier change.
        OVApplication::instance()->setUztId(2);
        QSqlRecord change = m->emptyRecord();
        change.setValue(QStringLiteral("mgz_nazwa"), QStringLiteral("Po zmianie"));
        change.setValue(QStringLiteral("mgz_opis"), QVariant(QMetaType::fromType<QString>()));
        QVERIFY(m->update(change, indexOf(m, id)));
        QCOMPARE(m->lastId(), id);
        QCOMPARE(warehouse("mgz_nazwa", id).toString(), QStringLiteral("Po zmianie"));
        QVERIFY(warehouse("mgz_opis", id).isNull());
        QCOMPARE(warehouse("mgz_symbol", id).toString(), QStringLiteral("MG_TEST1"));
        QCOMPARE(warehouse("fk_uzt_stworzono", id).toInt(), 1);
        QCOMPARE(warehouse("fk_uzt_zmodyfikowano", id).toInt(), 2);
        // Nothing given: nothing written, nothing shown.
        QVERIFY(!m->update(m->emptyRecord(), indexOf(m, id)));

        // Flags and numbers keep their value, binary data is not trimmed.
        QSqlRecord raw;
        for (auto f : {QSqlField(QStringLiteral("b"), QMetaType::fromType<bool>()), QSqlField(QStringLiteral("n"), QMetaType::fromType<int>()),
                       QSqlField(QStringLiteral("bin"), QMetaType::fromType<QByteArray>())})
            raw.append(f);
        raw.setValue(0, false);
        raw.setValue(1, 0);
        raw.setValue(2, QByteArray("  \x00\x01  ", 6));
        m->prepareEmptyNullValues(raw);
        QVERIFY(!raw.isNull(0) && !raw.isNull(1));
        QCOMPARE(raw.value(2).toByteArray(), QByteArray("  \x00\x01  ", 6));
    }

    // The prescribed box, and below it one sentence a user can act on.
    void refusedWriteNamesTheCause_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("cause");
        QTest::newRow("duplicate") << "MagazynyModel" << "insert" << "mgz_symbol" << QVariant("MG_GLOWNY") << "23505"
                                   << "nieudane insert" << "Wartość pola „Symbol” już istnieje w bazie danych; wprowadź inną.";
        QTest::newRow("missing reference") << "LokalizacjeModel" << "insert" << "lkl_fk_mgz" << QVariant(987654) << "23503"
                                           << "nieudane insert"
                                           << "Wskazany wpis powiązany nie istnieje już w bazie danych; mógł zostać "
                                              "usunięty na innym stanowisku.";
        QTest::newRow("rule") << "MagazynyModel" << "update" << "mgz_nazwa" << QVariant("\x01\x02") << "23514" << "nieudane insert"
                              << "Pole „Nazwa” nie może być puste ani składać się z samych spacji.";
        QTest::newRow("too long") << "MagazynyModel" << "update" << "mgz_adres" << QVariant(QString(300, QLatin1Char('a')))
                                  << "22001" << "nieudane insert" << "Wprowadzony tekst jest za długi.";
        QTest::newRow("lost connection") << "MagazynyModel" << "update" << "mgz_opis" << QVariant("x") << "08006"
                                         << "nieudane insert"
                                         << "Połączenie z serwerem bazy danych zostało przerwane. Zmiany nie zostały "
                                            "zapisane; spróbuj ponownie, gdy połączenie wróci.";
        QTest::newRow("delete referenced") << "MagazynyModel" << "remove" << "" << QVariant() << "23503"
                                           << "Nie można usunąć wpisu, ponieważ jest powiązany z innymi danymi." << "";
        QTest::newRow("delete refused") << "StanyModel" << "remove" << "" << QVariant() << "42501"
                                        << "Wystąpił błąd o numerze 42501."
                                        << "Konto bazy danych nie ma uprawnień do tej operacji.";
    }
    void refusedWriteNamesTheCause()
    {
        QFETCH(QString, model);
        QFETCH(QString, op);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(QString, state);
        QFETCH(QString, box);
        QFETCH(QString, cause);
        ModelPtr m = model == QLatin1String("StanyModel") ? ModelPtr(new StanyModel) : create(model);
        if (model == QLatin1String("StanyModel")) {
            m->initialize();
            m->select();
        }
        QSqlRecord rec = op == QLatin1String("insert") ? m->defaultRecord() : m->emptyRecord();
        if (model == QLatin1String("LokalizacjeModel"))
            rec.setValue(QStringLiteral("lkl_nazwa"), QStringLiteral("Regał widmo"));
        else if (op == QLatin1String("insert"))
            rec = newWarehouse(m, QStringLiteral("X"));
        if (!column.isEmpty())
            rec.setValue(column, value);
        const QModelIndex row = m->index(model == QLatin1String("StanyModel") ? 0 : m->rowOfKey(3), 0);
        const QString before = db(QStringLiteral("SELECT string_agg(t::text, ';') FROM %1 t").arg(m->tableName())).toString();
        if (state == QLatin1String("08006"))
            QVERIFY(Session::serverAway());

        ModalDriver driver;
        QString informative;
        driver.onNext([&](QWidget *w) {
            auto *b = qobject_cast<QMessageBox *>(w);
            QVERIFY(b);
            QCOMPARE(b->text(), box);
            informative = b->informativeText();
            ModalDriver::close(b);
        });
        const bool ok = op == QLatin1String("insert") ? m->insert(rec, QModelIndex())
                      : op == QLatin1String("update") ? m->update(rec, row) : m->remove(m->record(row.row()), row);
        QVERIFY(Session::serverBack());
        QVERIFY(!ok);
        QCOMPARE(m->lastSqlState().left(2), state.left(2));
        QCOMPARE(informative, cause);
        QVERIFY(!m->lastId().isValid());
        QCOMPARE(db(QStringLiteral("SELECT string_agg(t::text, ';') FROM %1 t").arg(m->tableName())).toString(), before);

        // Kept quiet for a command that shows its own message; once the
        // server is back the same write goes through.
        m->setShowErrors(false);
        if (state == QLatin1String("08006"))
            QTest::qWait(2100);  // no new attempt sooner after one failed
        const bool again = op == QLatin1String("insert") ? m->insert(rec, QModelIndex())
                         : op == QLatin1String("update") ? m->update(rec, row) : m->remove(m->record(row.row()), row);
        QCOMPARE(again, state == QLatin1String("08006"));
    }

    void removeLeavesTheRowAboveCurrent()
    {
        ModalDriver boxes;
        auto m = create(QStringLiteral("MagazynyModel"));
        for (const char *s : {"DEL_A", "DEL_B", "DEL_C"})
            QVERIFY(m->insert(newWarehouse(m, QLatin1String(s)), QModelIndex()));
        m->setFilter(QStringLiteral("mgz_symbol LIKE 'DEL%'"));
        m->sort(QStringLiteral("mgz_symbol"), Qt::AscendingOrder);
        const QVariant a = m->value(0, 0), b = m->value(1, 0);
        QVERIFY(m->remove(m->record(2), m->index(2, 0)));
        QCOMPARE(m->lastId(), b);
        QVERIFY(m->remove(m->record(0), m->index(0, 0)));
        QVERIFY(!m->lastId().isValid());
        QCOMPARE(m->rowCount(), 1);
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_id = ?"), {a}).toInt(), 0);
    }

    void systemRowsAreProtectedByMode()
    {
        ModalDriver driver;
        // Categories: neither edit nor delete.
        auto categories = create(QStringLiteral("KategorieNarzedziModel"));
        QSqlRecord change = categories->emptyRecord();
        change.setValue(QStringLiteral("ktr_nrz_nazwa"), QStringLiteral("Zmieniona"));
        driver.expectBox(QStringLiteral("Edycja wpisu"), QStringLiteral("Wpis systemowy - nie można go edytować."));
        QVERIFY(!categories->update(change, indexOf(categories, 1)));
        driver.expectBox(QStringLiteral("Usuwanie wpisu"), QStringLiteral("Wpis systemowy - nie można go usunąć."));
        QVERIFY(!categories->remove(categories->record(0), indexOf(categories, 1)));
        // Warehouses: the main one may be edited, never deleted.
        auto warehouses = create(QStringLiteral("MagazynyModel"));
        change = warehouses->emptyRecord();
        change.setValue(QStringLiteral("mgz_opis"), QStringLiteral("edytowany"));
        QVERIFY(warehouses->update(change, indexOf(warehouses, 1)));
        driver.expectBox(QStringLiteral("Usuwanie wpisu"), QStringLiteral("Wpis systemowy - nie można go usunąć."));
        QVERIFY(!warehouses->remove(warehouses->record(0), indexOf(warehouses, 1)));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM kategorie_narzedzi WHERE ktr_nrz_nazwa = 'Zmieniona'")).toInt(), 0);
        QCOMPARE(warehouse("mgz_opis", 1).toString(), QStringLiteral("edytowany"));
    }

    // A warehouse and its first location are saved together from the
    // dialog; the server goes away between the dialog and the write.
    void transactionWhoseBeginFailsWritesNothing()
    {
        auto warehouses = create(QStringLiteral("MagazynyModel"));
        auto locations = create(QStringLiteral("LokalizacjeModel"));
        warehouses->setShowErrors(false);
        locations->setShowErrors(false);
        TabelaMagazynDialog dialog(warehouses.get(), QModelIndex());
        int attempts = 0;
        dialog.setSaveHandler([&] {
            // The server goes away after the user pressed OK.
            if (++attempts == 1 && !Session::loseConnection())
                return false;
            TAVTransaction t;
            const bool ok = t.ok() && warehouses->insert(dialog.getRecord(), QModelIndex());
            QSqlRecord location = locations->defaultRecord();
            location.setValue(QStringLiteral("lkl_fk_mgz"), warehouses->lastId());
            location.setValue(QStringLiteral("lkl_nazwa"), QStringLiteral("Regał 1"));
            if (!(ok && locations->insert(location, QModelIndex()) && t.commit())) {
                QMessageBox::warning(&dialog, QStringLiteral("Zapis"), QStringLiteral("Nie zapisano."));
                return false;
            }
            return true;
        });
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "leSymbol", QStringLiteral("MG_PARA"));
            TestUi::setText(d, "leNazwa", QStringLiteral("Magazyn z regałem"));
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("Zapis"));
        // The dialog stays open with what was typed; the next OK saves.
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leSymbol"))->text(), QStringLiteral("MG_PARA"));
            QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM magazyny WHERE mgz_symbol = 'MG_PARA'")).toInt(), 0);
            TestUi::pressOk(d);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(attempts, 2);
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM lokalizacje l JOIN magazyny m ON m.mgz_id = l.lkl_fk_mgz "
                                   "WHERE m.mgz_symbol = 'MG_PARA'")).toInt(), 1);
    }

    // The server goes away after BEGIN: the second write must not commit on
    // its own over a new connection, and the register drops the first row.
    void guardRefusesWritesAfterItsConnectionWasLost()
    {
        auto warehouses = create(QStringLiteral("MagazynyModel"));
        warehouses->setShowErrors(false);
        const int shown = warehouses->rowCount();
        const int stored = count("magazyny");
        {
            TAVTransaction t;
            QVERIFY(t.ok());
            QVERIFY(warehouses->insert(newWarehouse(warehouses, QStringLiteral("MG_PIERWSZY")), QModelIndex()));
            QCOMPARE(warehouses->rowCount(), shown + 1);
            QVERIFY(Session::loseConnection());
            // The first statement finds the connection gone; the next one
            // would run over a new connection in auto-commit mode.
            for (const char *symbol : {"MG_DRUGI", "MG_TRZECI"}) {
                QVERIFY(!warehouses->insert(newWarehouse(warehouses, QLatin1String(symbol)), QModelIndex()));
                QVERIFY(lost(warehouses->lastSqlState()));
            }
            QVERIFY(!t.commit());
        }
        QCOMPARE(count("magazyny"), stored);
        QCOMPARE(warehouses->rowCount(), shown);
        // Rolled back deliberately: nothing stays, the register follows.
        {
            TAVTransaction t;
            QVERIFY(warehouses->insert(newWarehouse(warehouses, QStringLiteral("MG_COFNIETY")), QModelIndex()));
            t.rollback();
        }
        QCOMPARE(count("magazyny"), stored);
        QCOMPARE(warehouses->rowCount(), shown);
        // Left without a commit (a command returning early): rolled back.
        {
            TAVTransaction t;
            QVERIFY(warehouses->insert(newWarehouse(warehouses, QStringLiteral("MG_PORZUCONY")), QModelIndex()));
        }
        // A part left uncommitted spoils the whole.
        {
            TAVTransaction outer;
            QVERIFY(warehouses->insert(newWarehouse(warehouses, QStringLiteral("MG_ZEWN")), QModelIndex()));
            {
                TAVTransaction inner;
                QVERIFY(warehouses->insert(newWarehouse(warehouses, QStringLiteral("MG_WEWN")), QModelIndex()));
            }
            QVERIFY(!outer.commit());
        }
        QCOMPARE(count("magazyny"), stored);
        QCOMPARE(warehouses->rowCount(), shown);
        QVERIFY(warehouses->insert(newWarehouse(warehouses, QStringLiteral("MG_CZWARTY")), QModelIndex()));
        QCOMPARE(count("magazyny"), stored + 1);
    }

    void userTableReadsAreNotLogged()
    {
        auto users = create(QStringLiteral("UzytkownicyModel"));
        m_log->mark();
        users->setFilter(QStringLiteral("uzt_haslo = 'tajne' AND brak = 1"));
        QVERIFY(!m_log->joinedSinceMark().contains(QStringLiteral("tajne")));
        users->setFilter(QStringLiteral("uzt_login = 'admin'"));
        QCOMPARE(m_log->sinceMark().mid(m_log->sinceMark().size() - 2),
                 (QStringList{QStringLiteral("===DEBUG===\tTAVTableModel::select()"),
                              QStringLiteral("===DEBUG===\t   uzytkownicy - brak logowania ze wzgledow bezpieczenstwa")}));
    }
};

ORV_TEST_MAIN(TstTableModel)
#include "tst_tablemodel.moc"
