// The database as the client finds it after schema/create.sh --demo: names,
// catalogue entries, defaults, keys, triggers, rights and demo accounts.

#include "TestDb.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QtTest>

namespace {

const QStringList kAudit = {
    QStringLiteral("systemowy"), QStringLiteral("fk_uzt_stworzono"), QStringLiteral("fk_uzt_zmodyfikowano"),
    QStringLiteral("stworzono"), QStringLiteral("zmodyfikowano")};

const QStringList kRegisterTables = {
    QStringLiteral("magazyny"), QStringLiteral("lokalizacje"), QStringLiteral("miejsca_uzytkowania"),
    QStringLiteral("pracownicy"), QStringLiteral("kategorie_narzedzi"), QStringLiteral("stan_techniczny_narzedzi"),
    QStringLiteral("narzedzia"), QStringLiteral("uzytkownicy"), QStringLiteral("ov_uprawnienia_mgz"),
    QStringLiteral("ov_uprawnienia_admin"), QStringLiteral("przesuniecia_mm"),
    QStringLiteral("przypisane_narzedzia_pracownikom"), QStringLiteral("naprawy_przeglady")};

// The client's catalogue statement, character for character (tabs included).
const QString kCatalogue = QStringLiteral(
    "select\tc.table_name, c.column_name, c.is_nullable,c.data_type, c.character_maximum_length, "
    "c.domain_name,kcu.constraint_name,tc.constraint_type,cc.check_clause,dc.constraint_name as "
    "check_constraint_name,cc_.check_clause from\tinformation_schema.columns as c left join "
    "information_schema.key_column_usage  kcu ON c.column_name = kcu.column_name and c.table_name = "
    "kcu.table_name left join information_schema.table_constraints tc on kcu.constraint_name = "
    "tc.constraint_name left join information_schema.check_constraints cc on kcu.constraint_name = "
    "cc.constraint_name left join information_schema.domain_constraints dc on c.domain_name = "
    "dc.domain_name left join information_schema.check_constraints cc_ on dc.constraint_name = "
    "cc_.constraint_name where c.table_name = :table_name");

QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString sha1(const QString &password)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QStringList fieldNames(const QSqlRecord &rec)
{
    QStringList names;
    for (int i = 0; i < rec.count(); ++i)
        names << rec.fieldName(i);
    return names;
}

// Runs one UPDATE of a tool row on a connection of its own, from its own
// thread: a connection belongs to the thread that opened it.
class ToolUpdateWorker : public QThread
{
public:
    explicit ToolUpdateWorker(const QString &sql) : m_sql(sql) {}

    bool opened = false;
    bool ok = false;
    QString sqlState;
    qint64 elapsedMs = 0;

protected:
    void run() override
    {
        const QString name = QStringLiteral("tst_schema_worker");
        {
            QSqlDatabase db = TestDb::open(name);
            opened = db.isOpen();
            if (opened) {
                QSqlQuery q(db);
                // Never hang the suite if the other side does not let go.
                q.exec(QStringLiteral("SET statement_timeout = 15000"));
                QElapsedTimer timer;
                timer.start();
                ok = q.exec(m_sql);
                elapsedMs = timer.elapsed();
                if (!ok)
                    sqlState = q.lastError().nativeErrorCode();
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

private:
    QString m_sql;
};

} // namespace

class TstSchema : public QObject
{
    Q_OBJECT

private:
    QSqlDatabase client() const { return QSqlDatabase::database(QStringLiteral("tst_schema_client")); }

    // One value through the client role's connection; the SQLSTATE of a
    // failure lands in *state.
    QVariant clientValue(const QString &sql, const QVariantList &binds = {}, QString *state = nullptr)
    {
        QSqlQuery q(client());
        if (!q.prepare(sql)) {
            if (state)
                *state = q.lastError().nativeErrorCode();
            return QVariant();
        }
        for (const QVariant &v : binds)
            q.addBindValue(v);
        if (!q.exec()) {
            if (state)
                *state = q.lastError().nativeErrorCode();
            return QVariant();
        }
        if (state)
            state->clear();
        return q.next() ? q.value(0) : QVariant();
    }

    static void closeConnection(const QString &name)
    {
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            if (db.isValid())
                db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestDb::resetDatabase());
        QSqlDatabase db = TestDb::open(QStringLiteral("tst_schema_client"));
        QVERIFY2(db.isOpen(), qPrintable(db.lastError().text()));
    }

    void cleanupTestCase() { closeConnection(QStringLiteral("tst_schema_client")); }

    // --- names -----------------------------------------------------------

    void tableColumns_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<bool>("audited");

        QTest::newRow("magazyny") << "magazyny"
            << words("mgz_id mgz_symbol mgz_nazwa mgz_adres mgz_opis mgz_aktywny") << true;
        QTest::newRow("lokalizacje") << "lokalizacje" << words("lkl_id lkl_fk_mgz lkl_nazwa") << true;
        QTest::newRow("miejsca_uzytkowania") << "miejsca_uzytkowania"
            << words("muz_id muz_kod muz_nazwa muz_aktywny") << true;
        QTest::newRow("pracownicy") << "pracownicy"
            << words("prc_id prc_imie prc_nazwisko prc_zatrudniony prc_tel_kontaktowy prc_stanowisko prc_notatka")
            << true;
        QTest::newRow("kategorie_narzedzi") << "kategorie_narzedzi"
            << words("ktr_nrz_id ktr_nrz_nazwa ktr_nrz_komentarz") << true;
        QTest::newRow("stan_techniczny_narzedzi") << "stan_techniczny_narzedzi" << words("stn_id stn_nazwa") << true;
        QTest::newRow("narzedzia") << "narzedzia"
            << words("nrz_id nrz_kod nrz_nazwa nrz_nr_ewidencyjny nrz_nr_seryjny nrz_kod_kreskowy nrz_fk_mgz "
                     "nrz_fk_lkl nrz_fk_ktr_nrz nrz_fk_stn nrz_wartosc nrz_zdjecie nrz_uwagi nrz_skladane "
                     "nrz_fk_nrz nrz_przeglad nrz_przyjete_na_stan nrz_zlikwidowano nrz_zlikwidowano_uwagi")
            << true;
        QTest::newRow("uzytkownicy") << "uzytkownicy"
            << words("uzt_id uzt_login uzt_haslo uzt_imie uzt_nazwisko uzt_tel_kontaktowy uzt_notatka "
                     "uzt_zatrudniony")
            << true;
        QTest::newRow("ov_uprawnienia_mgz") << "ov_uprawnienia_mgz"
            << words("ovuprmgz_id ovuprmgz_fk_uzt ovuprmgz_fk_mgz") << true;
        QTest::newRow("ov_uprawnienia_admin") << "ov_uprawnienia_admin" << words("ovupradm_id ovupradm_fk_uzt")
            << true;
        QTest::newRow("przesuniecia_mm") << "przesuniecia_mm"
            << words("psnmm_id psnmm_fk_nrz psnmm_fk_mgz_src psnmm_fk_mgz_dst psnmm_fk_uzt_src psnmm_fk_uzt_dst "
                     "psnmm_data_wydanie psnmm_data_przyjecie psnmm_uwagi_wydanie psnmm_uwagi_przyjecie "
                     "psnmm_status")
            << true;
        QTest::newRow("przypisane_narzedzia_pracownikom") << "przypisane_narzedzia_pracownikom"
            << words("pnp_id pnp_fk_nrz pnp_fk_prc pnp_fk_mgz pnp_fk_muz pnp_fk_uzt_wyd pnp_fk_uzt_prz "
                     "pnp_data_wydanie pnp_data_przyjecie pnp_fk_stn_wydanie pnp_fk_stn_przyjecie "
                     "pnp_uwagi_wydanie pnp_uwagi_przyjecie pnp_status")
            << true;
        QTest::newRow("naprawy_przeglady") << "naprawy_przeglady"
            << words("np_id np_typ np_fk_nrz np_fk_mgz np_fk_uzt_wyd np_fk_uzt_prz np_data_wyd np_data_prz "
                     "np_fk_stn_wyd np_fk_stn_prz np_uwagi_wyd np_uwagi_prz np_status")
            << true;
        QTest::newRow("zmiany_schematu_bazy") << "zmiany_schematu_bazy"
            << words("zsb_id zsb_major_release_number zsb_minor_release_number zsb_point_release_number data")
            << false;
    }

    void tableColumns()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QFETCH(bool, audited);

        // Read the way the client's driver reads a table.
        const QStringList actual = fieldNames(client().record(table));
        QVERIFY2(!actual.isEmpty(), qPrintable(table));
        for (const QString &c : columns)
            QVERIFY2(actual.contains(c), qPrintable(table + QLatin1Char('.') + c));
        for (const QString &c : kAudit)
            QCOMPARE(actual.contains(c), audited);
        if (audited) // the audit columns close every register row
            QCOMPARE(actual.mid(actual.size() - kAudit.size()), kAudit);

        // The key: the first column, alone in the primary index, made by the database.
        const QSqlIndex pk = client().primaryIndex(table);
        QCOMPARE(pk.count(), 1);
        QCOMPARE(pk.fieldName(0), columns.first());
        QCOMPARE(actual.first(), columns.first());
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT is_identity FROM information_schema.columns "
                                               "WHERE table_name = ? AND column_name = ?"),
                                {table, columns.first()}).toString(),
                 QStringLiteral("YES"));
    }

    void viewColumns_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("added");

        QTest::newRow("v_narzedzia") << "v_narzedzia" << "narzedzia"
            << words("mgz_symbol mgz_nazwa lkl_nazwa ktr_nrz_nazwa stn_nazwa");
        QTest::newRow("v_przesuniecia_mm") << "v_przesuniecia_mm" << "przesuniecia_mm"
            << words("nrz_kod nrz_nazwa mgz_src_symbol mgz_src_nazwa mgz_dst_symbol mgz_dst_nazwa uzt_src_imie "
                     "uzt_src_nazwisko uzt_src_login uzt_dst_imie uzt_dst_nazwisko uzt_dst_login");
        QTest::newRow("v_przypisane_narzedzia_pracownikom") << "v_przypisane_narzedzia_pracownikom"
            << "przypisane_narzedzia_pracownikom"
            << words("nrz_kod nrz_nazwa prc_imie prc_nazwisko prc_stanowisko mgz_symbol mgz_nazwa muz_nazwa "
                     "muz_kod uzt_wyd_imie uzt_wyd_nazwisko uzt_wyd_login uzt_prz_imie uzt_prz_nazwisko "
                     "uzt_prz_login stn_wyd_nazwa stn_prz_nazwa");
        QTest::newRow("v_naprawy_przeglady") << "v_naprawy_przeglady" << "naprawy_przeglady"
            << words("np_typ_text nrz_kod nrz_nazwa nrz_fk_mgz mgz_symbol mgz_nazwa uzt_wyd_imie uzt_wyd_nazwisko "
                     "uzt_wyd_login uzt_prz_imie uzt_prz_nazwisko uzt_prz_login stn_wyd_nazwa stn_prz_nazwa");
        QTest::newRow("v_ov_uprawnienia_mgz") << "v_ov_uprawnienia_mgz" << "ov_uprawnienia_mgz"
            << words("uzt_imie uzt_nazwisko uzt_login uzt_zatrudniony mgz_symbol mgz_nazwa");
        QTest::newRow("v_ov_uprawnienia_admin") << "v_ov_uprawnienia_admin" << "ov_uprawnienia_admin"
            << words("uzt_id uzt_imie uzt_nazwisko uzt_login uzt_zatrudniony");
    }

    void viewColumns()
    {
        QFETCH(QString, view);
        QFETCH(QString, table);
        QFETCH(QStringList, added);

        const QStringList base = fieldNames(client().record(table));
        const QStringList actual = fieldNames(client().record(view));
        QVERIFY2(!actual.isEmpty(), qPrintable(view));
        // The view leads with the whole table row, so the key, systemowy and
        // the audit columns read from it mean what they mean in the table.
        QCOMPARE(actual.mid(0, base.size()), base);
        QCOMPARE(actual.mid(base.size()), added);

        // The client role may read it, and no row is lost to an empty key.
        QString state;
        const QVariant rows = clientValue(QStringLiteral("SELECT count(*) FROM %1").arg(view), {}, &state);
        QVERIFY2(rows.isValid(), qPrintable(state));
        const QString source = view == QLatin1String("v_ov_uprawnienia_admin") ? QStringLiteral("uzytkownicy") : table;
        QCOMPARE(rows.toInt(), TestDb::scalar(QStringLiteral("SELECT count(*) FROM %1").arg(source)).toInt());
    }

    // --- the catalogue as the client reads it ------------------------------

    void catalogue_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("nullable");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<bool>("unique");
        QTest::addColumn<QString>("domainConstraint");

        QTest::newRow("mgz_symbol") << "magazyny" << "mgz_symbol" << false << 20 << true
                                    << "c_check_d_symbol_alnum_6";
        QTest::newRow("mgz_nazwa") << "magazyny" << "mgz_nazwa" << false << 100 << false << "";
        QTest::newRow("mgz_adres") << "magazyny" << "mgz_adres" << true << 200 << false << "";
        QTest::newRow("np_typ") << "naprawy_przeglady" << "np_typ" << false << 0 << false << "c_check_d_np_typ_nn";
        QTest::newRow("np_status") << "naprawy_przeglady" << "np_status" << false << 0 << false << "";
        QTest::newRow("uzt_login") << "uzytkownicy" << "uzt_login" << false << 40 << true << "";
        QTest::newRow("uzt_haslo") << "uzytkownicy" << "uzt_haslo" << false << 40 << false << "";
        QTest::newRow("nrz_kod") << "narzedzia" << "nrz_kod" << false << 30 << true << "";
        QTest::newRow("nrz_nazwa") << "narzedzia" << "nrz_nazwa" << false << 150 << false << "";
        QTest::newRow("muz_kod") << "miejsca_uzytkowania" << "muz_kod" << false << 20 << true << "";
        QTest::newRow("lkl_nazwa") << "lokalizacje" << "lkl_nazwa" << false << 100 << false << "";
        QTest::newRow("ktr_nrz_nazwa") << "kategorie_narzedzi" << "ktr_nrz_nazwa" << false << 100 << true << "";
        QTest::newRow("prc_nazwisko") << "pracownicy" << "prc_nazwisko" << false << 80 << false << "";
        // A manager may manage several warehouses: the pair is unique, neither
        // column alone.
        QTest::newRow("ovuprmgz_fk_uzt") << "ov_uprawnienia_mgz" << "ovuprmgz_fk_uzt" << false << 0 << false << "";
        QTest::newRow("ovuprmgz_fk_mgz") << "ov_uprawnienia_mgz" << "ovuprmgz_fk_mgz" << false << 0 << false << "";
    }

    void catalogue()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(bool, nullable);
        QFETCH(int, maxLength);
        QFETCH(bool, unique);
        QFETCH(QString, domainConstraint);

        QSqlQuery q(client());
        QVERIFY2(q.prepare(kCatalogue), qPrintable(q.lastError().text()));
        q.bindValue(QStringLiteral(":table_name"), table);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));

        int rows = 0;
        bool sawUnique = false;
        while (q.next()) {
            if (q.value(1).toString() != column)
                continue;
            ++rows;
            // Whichever row the client keeps must say the same.
            QCOMPARE(q.value(2).toString().toUpper() == QLatin1String("YES"), nullable);
            QCOMPARE(q.value(4).toInt(), maxLength);
            QCOMPARE(q.value(9).toString().toLower(), domainConstraint);
            if (q.value(7).toString() == QLatin1String("UNIQUE"))
                sawUnique = true;
            else if (unique)
                QCOMPARE(q.value(7).toString(), QStringLiteral("UNIQUE"));
        }
        QVERIFY2(rows > 0, qPrintable(column));
        QCOMPARE(sawUnique, unique);
    }

    void looseTypeDomainIsDeclared()
    {
        // Part of the client's vocabulary, though no column uses it today.
        QString state;
        QCOMPARE(clientValue(QStringLiteral("SELECT domain_name FROM information_schema.domain_constraints "
                                            "WHERE constraint_name = 'c_check_d_np_typ'"), {}, &state).toString(),
                 QStringLiteral("d_np_typ"));
    }

    // --- domains -----------------------------------------------------------

    void symbolDomain_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("MG_01") << "MG_01" << true;
        QTest::newRow("lower and digits") << "mg2_budowa" << true;
        QTest::newRow("underscore only") << "_" << true;
        QTest::newRow("Polish capitals") << QStringLiteral("ŁÓDŹ") << false;
        QTest::newRow("Polish small letter") << QStringLiteral("MAGAZYN_ą") << false;
        QTest::newRow("hyphen") << "A-1" << false;
        QTest::newRow("blank") << "MG 1" << false;
        QTest::newRow("empty") << "" << false;
    }

    void symbolDomain()
    {
        QFETCH(QString, value);
        QFETCH(bool, accepted);

        const bool ok = TestDb::exec(QStringLiteral("SELECT CAST(? AS d_symbol_alnum_6)"), {value});
        QCOMPARE(ok, accepted);
        if (!accepted)
            QCOMPARE(TestDb::lastSqlState(), QStringLiteral("23514"));
    }

    void repairTypeDomains_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("0") << "SELECT CAST(0 AS d_np_typ_nn)" << true;
        QTest::newRow("1") << "SELECT CAST(1 AS d_np_typ_nn)" << true;
        QTest::newRow("2") << "SELECT CAST(2 AS d_np_typ_nn)" << false;
        QTest::newRow("null, not null domain") << "SELECT CAST(NULL AS d_np_typ_nn)" << false;
        QTest::newRow("null, loose domain") << "SELECT CAST(NULL AS d_np_typ)" << true;
        QTest::newRow("-1, loose domain") << "SELECT CAST(-1 AS d_np_typ)" << false;
    }

    void repairTypeDomains()
    {
        QFETCH(QString, sql);
        QFETCH(bool, accepted);

        QCOMPARE(TestDb::exec(sql), accepted);
        if (!accepted)
            QCOMPARE(TestDb::lastSqlState(), QStringLiteral("23514"));
    }

    // --- dictionary, version, demo ------------------------------------------

    void technicalStates()
    {
        // The keys the movements write and the names the tool list colours.
        QString state;
        QCOMPARE(clientValue(QStringLiteral("SELECT stn_nazwa FROM stan_techniczny_narzedzi WHERE stn_id = 1"),
                             {}, &state).toString(), QStringLiteral("Sprawne"));
        QCOMPARE(clientValue(QStringLiteral("SELECT stn_nazwa FROM stan_techniczny_narzedzi WHERE stn_id = 2"))
                     .toString(), QStringLiteral("Uszkodzone"));
        QCOMPARE(clientValue(QStringLiteral("SELECT stn_nazwa FROM stan_techniczny_narzedzi WHERE stn_id = 3"))
                     .toString(), QStringLiteral("Do kontroli"));
        // A new tool without a state given starts in state 1.
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT column_default FROM information_schema.columns "
                                               "WHERE table_name = 'narzedzia' AND column_name = 'nrz_fk_stn'"))
                     .toString(), QStringLiteral("1"));
    }

    void schemaVersion()
    {
        QSqlQuery q(client());
        QVERIFY(q.exec(QStringLiteral("SELECT * FROM zmiany_schematu_bazy  ORDER BY zsb_id DESC LIMIT 1")));
        QVERIFY(q.next());
        const QSqlRecord rec = q.record();
        QCOMPARE(rec.value(QStringLiteral("zsb_major_release_number")).toInt(), 1);
        QCOMPARE(rec.value(QStringLiteral("zsb_minor_release_number")).toInt(), 11);
        QVERIFY(rec.indexOf(QStringLiteral("zsb_point_release_number")) >= 0);
        QCOMPARE(rec.value(QStringLiteral("zsb_id")).toInt(),
                 TestDb::scalar(QStringLiteral("SELECT max(zsb_id) FROM zmiany_schematu_bazy")).toInt());
    }

    void demoAccounts_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<int>("uztId");
        QTest::addColumn<bool>("admin");
        QTest::addColumn<QString>("warehouses");

        QTest::newRow("admin") << "admin" << 1 << true << "";
        QTest::newRow("kierownik") << "kierownik" << 2 << false << "MG_BUDOWA1, MG_BUDOWA2";
        QTest::newRow("magazynier") << "magazynier" << 3 << false << "";
    }

    void demoAccounts()
    {
        QFETCH(QString, login);
        QFETCH(int, uztId);
        QFETCH(bool, admin);
        QFETCH(QString, warehouses);

        // The sign-in lookup: password = login in the demo.
        QSqlQuery q(client());
        QVERIFY(q.prepare(QStringLiteral("SELECT uzt_id FROM uzytkownicy WHERE uzt_login = ? AND uzt_haslo = ?")));
        q.addBindValue(login);
        q.addBindValue(sha1(login));
        QVERIFY(q.exec());
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), uztId);
        QVERIFY(!q.next());

        QCOMPARE(clientValue(QStringLiteral("SELECT count(*) FROM v_ov_uprawnienia_admin WHERE ovupradm_fk_uzt = %1")
                                 .arg(uztId)).toInt(), admin ? 1 : 0);
        QCOMPARE(clientValue(QStringLiteral("SELECT coalesce(string_agg(m.mgz_symbol, ', ' ORDER BY m.mgz_id), '') "
                                            "FROM ov_uprawnienia_mgz o JOIN magazyny m ON m.mgz_id = o.ovuprmgz_fk_mgz "
                                            "WHERE o.ovuprmgz_fk_uzt = ?"), {uztId}).toString(),
                 warehouses);
    }

    void demoStockAgreesWithMovements()
    {
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM magazyny")).toInt(), 4);
        QVERIFY(TestDb::scalar(QStringLiteral("SELECT count(*) FROM narzedzia")).toInt() >= 40);
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT string_agg(mgz_symbol, ',' ORDER BY mgz_id) FROM magazyny WHERE mgz_id IN (2, 3)"))
                     .toString(), QStringLiteral("MG_BUDOWA1,MG_BUDOWA2"));
        // Off stock exactly when one movement of the tool is open.
        QCOMPARE(TestDb::scalar(QStringLiteral(
                     "SELECT count(*) FROM narzedzia n WHERE n.nrz_przyjete_na_stan = ("
                     " (SELECT count(*) FROM przesuniecia_mm WHERE psnmm_fk_nrz = n.nrz_id AND NOT psnmm_status)"
                     " + (SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = n.nrz_id AND NOT pnp_status)"
                     " + (SELECT count(*) FROM naprawy_przeglady WHERE np_fk_nrz = n.nrz_id AND NOT np_status) = 1)"))
                     .toInt(), 0);
        for (const char *sql : {"SELECT count(*) FROM przesuniecia_mm WHERE NOT psnmm_status",
                                "SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE NOT pnp_status",
                                "SELECT count(*) FROM naprawy_przeglady WHERE NOT np_status AND np_typ = 0",
                                "SELECT count(*) FROM naprawy_przeglady WHERE NOT np_status AND np_typ = 1",
                                "SELECT count(*) FROM kategorie_narzedzi WHERE systemowy",
                                "SELECT count(*) FROM pracownicy WHERE NOT prc_zatrudniony"})
            QVERIFY2(TestDb::scalar(QString::fromLatin1(sql)).toInt() >= 1, sql);
    }

    // --- defaults ------------------------------------------------------------

    void booleanDefaults_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("defaultValue");

        for (const QString &t : kRegisterTables)
            QTest::addRow("%s.systemowy", qPrintable(t)) << t << "systemowy" << "false";
        QTest::newRow("mgz_aktywny") << "magazyny" << "mgz_aktywny" << "true";
        QTest::newRow("muz_aktywny") << "miejsca_uzytkowania" << "muz_aktywny" << "true";
        QTest::newRow("prc_zatrudniony") << "pracownicy" << "prc_zatrudniony" << "true";
        QTest::newRow("uzt_zatrudniony") << "uzytkownicy" << "uzt_zatrudniony" << "true";
        QTest::newRow("nrz_przyjete_na_stan") << "narzedzia" << "nrz_przyjete_na_stan" << "true";
        QTest::newRow("nrz_skladane") << "narzedzia" << "nrz_skladane" << "false";
        QTest::newRow("nrz_zlikwidowano") << "narzedzia" << "nrz_zlikwidowano" << "false";
        QTest::newRow("psnmm_status") << "przesuniecia_mm" << "psnmm_status" << "false";
        QTest::newRow("pnp_status") << "przypisane_narzedzia_pracownikom" << "pnp_status" << "false";
        QTest::newRow("np_status") << "naprawy_przeglady" << "np_status" << "false";
    }

    void booleanDefaults()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, defaultValue);

        const QString where = QStringLiteral(" FROM information_schema.columns WHERE table_name = ? AND column_name = ?");
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT data_type") + where, {table, column}).toString(),
                 QStringLiteral("boolean"));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT is_nullable") + where, {table, column}).toString(),
                 QStringLiteral("NO"));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT column_default") + where, {table, column}).toString(),
                 defaultValue);
    }

    void movementStatusStartsOpen_data()
    {
        QTest::addColumn<QString>("insert");
        QTest::addColumn<QString>("readBack");

        QTest::newRow("przesuniecia_mm")
            << "INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src) "
               "VALUES ((SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'EL-005'), 1, 2, 1) RETURNING psnmm_id"
            << "SELECT psnmm_status FROM przesuniecia_mm WHERE psnmm_id = ?";
        QTest::newRow("przypisane_narzedzia_pracownikom")
            << "INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, "
               "pnp_fk_uzt_wyd) VALUES ((SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'RE-001'), 1, 1, 1, 1) "
               "RETURNING pnp_id"
            << "SELECT pnp_status FROM przypisane_narzedzia_pracownikom WHERE pnp_id = ?";
        QTest::newRow("naprawy_przeglady")
            << "INSERT INTO naprawy_przeglady (np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd) "
               "VALUES (1, (SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'RE-003'), 1, 1) RETURNING np_id"
            << "SELECT np_status FROM naprawy_przeglady WHERE np_id = ?";
    }

    void movementStatusStartsOpen()
    {
        QFETCH(QString, insert);
        QFETCH(QString, readBack);

        // Written as the client writes it: no status, no key.
        QString state;
        const QVariant id = clientValue(insert, {}, &state);
        QVERIFY2(id.isValid() && id.toInt() > 0, qPrintable(state));
        const QVariant status = clientValue(readBack, {id});
        QVERIFY(status.isValid());
        QVERIFY(!status.isNull());
        QCOMPARE(status.toBool(), false);
    }

    // --- keys and uniqueness ------------------------------------------------

    void referencedRowCannotBeDeleted_data()
    {
        QTest::addColumn<QString>("sql");

        QTest::newRow("warehouse with tools") << "DELETE FROM magazyny WHERE mgz_symbol = 'MG_BUDOWA1'";
        QTest::newRow("location with tools") << "DELETE FROM lokalizacje WHERE lkl_id = 5";
        QTest::newRow("category with tools") << "DELETE FROM kategorie_narzedzi WHERE ktr_nrz_id = 2";
        QTest::newRow("state in use") << "DELETE FROM stan_techniczny_narzedzi WHERE stn_id = 2";
        QTest::newRow("tool with movements") << "DELETE FROM narzedzia WHERE nrz_kod = 'EL-004'";
        QTest::newRow("main tool of an assembly") << "DELETE FROM narzedzia WHERE nrz_kod = 'PM-001'";
        QTest::newRow("employee with issues") << "DELETE FROM pracownicy WHERE prc_id = 1";
        QTest::newRow("place with issues") << "DELETE FROM miejsca_uzytkowania WHERE muz_id = 1";
        QTest::newRow("user who worked") << "DELETE FROM uzytkownicy WHERE uzt_login = 'kierownik'";
    }

    void referencedRowCannotBeDeleted()
    {
        QFETCH(QString, sql);

        QVERIFY(!TestDb::exec(sql));
        QCOMPARE(TestDb::lastSqlState(), QStringLiteral("23503"));
    }

    void uniqueness_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("second login kierownik")
            << "INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko) VALUES "
               "('kierownik', '" + sha1(QStringLiteral("x")) + "', 'Jan', 'Drugi')" << false;
        QTest::newRow("second admin right")
            << "INSERT INTO ov_uprawnienia_admin (ovupradm_fk_uzt) VALUES (1)" << false;
        QTest::newRow("same warehouse twice")
            << "INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) VALUES (2, 2)" << false;
        QTest::newRow("another warehouse of the manager")
            << "INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) VALUES (2, 1)" << true;
        QTest::newRow("another manager of the warehouse")
            << "INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) VALUES (3, 2)" << true;
        QTest::newRow("second symbol MG_GLOWNY")
            << "INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_GLOWNY', 'Inny')" << false;
        QTest::newRow("second tool code")
            << "INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_fk_mgz) VALUES ('EL-001', 'Kopia', 1)" << false;
    }

    void uniqueness()
    {
        QFETCH(QString, sql);
        QFETCH(bool, accepted);

        QString state;
        clientValue(sql, {}, &state);
        QCOMPARE(state.isEmpty(), accepted);
        if (!accepted)
            QCOMPARE(state, QStringLiteral("23505"));
    }

    void foreignKeysAreIndexed()
    {
        // Deleting a referenced row must not scan the referring table.
        QCOMPARE(TestDb::scalar(QStringLiteral(
                     "SELECT coalesce(string_agg(c.conrelid::regclass || '.' || a.attname, ', '), '') "
                     "FROM pg_constraint c "
                     "JOIN pg_attribute a ON a.attrelid = c.conrelid AND a.attnum = c.conkey[1] "
                     "WHERE c.contype = 'f' AND c.connamespace = 'public'::regnamespace "
                     "AND NOT EXISTS (SELECT 1 FROM pg_index i "
                     "                WHERE i.indrelid = c.conrelid AND i.indkey[0] = c.conkey[1])"))
                     .toString(), QString());
    }

    void searchColumnsHaveTrigramIndexes_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");

        QTest::newRow("mgz_symbol") << "magazyny" << "mgz_symbol";
        QTest::newRow("mgz_nazwa") << "magazyny" << "mgz_nazwa";
        QTest::newRow("muz_kod") << "miejsca_uzytkowania" << "muz_kod";
        QTest::newRow("prc_nazwisko") << "pracownicy" << "prc_nazwisko";
        QTest::newRow("ktr_nrz_nazwa") << "kategorie_narzedzi" << "ktr_nrz_nazwa";
        QTest::newRow("nrz_kod") << "narzedzia" << "nrz_kod";
        QTest::newRow("nrz_nazwa") << "narzedzia" << "nrz_nazwa";
        QTest::newRow("nrz_nr_seryjny") << "narzedzia" << "nrz_nr_seryjny";
        QTest::newRow("uzt_login") << "uzytkownicy" << "uzt_login";
        QTest::newRow("uzt_nazwisko") << "uzytkownicy" << "uzt_nazwisko";
    }

    void searchColumnsHaveTrigramIndexes()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);

        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM pg_indexes WHERE tablename = ? "
                                               "AND indexdef LIKE ?"),
                                {table, QStringLiteral("%(") + column + QStringLiteral(" gin_trgm_ops)%")})
                     .toInt(), 1);
    }

    // --- the administrator view --------------------------------------------

    void adminViewListsEveryUserOnce()
    {
        const int users = TestDb::scalar(QStringLiteral("SELECT count(*) FROM uzytkownicy")).toInt();
        QVERIFY(users >= 3);
        QCOMPARE(clientValue(QStringLiteral("SELECT count(*) FROM v_ov_uprawnienia_admin")).toInt(), users);
        QCOMPARE(clientValue(QStringLiteral("SELECT count(DISTINCT uzt_id) FROM v_ov_uprawnienia_admin")).toInt(), users);
        QCOMPARE(clientValue(QStringLiteral("SELECT count(*) FROM v_ov_uprawnienia_admin WHERE ovupradm_id > 0")).toInt(),
                 TestDb::scalar(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_admin")).toInt());

        // The admin's row is the right itself.
        QCOMPARE(clientValue(QStringLiteral("SELECT count(*) FROM v_ov_uprawnienia_admin WHERE ovupradm_fk_uzt = 1")).toInt(), 1);
        QVERIFY(clientValue(QStringLiteral("SELECT ovupradm_id FROM v_ov_uprawnienia_admin WHERE ovupradm_fk_uzt = 1")).toInt() > 0);
        // Anyone else: key 0, found by user but never by the right's column.
        QCOMPARE(clientValue(QStringLiteral("SELECT count(*) FROM v_ov_uprawnienia_admin WHERE ovupradm_fk_uzt = 2")).toInt(), 0);
        QCOMPARE(clientValue(QStringLiteral("SELECT ovupradm_id FROM v_ov_uprawnienia_admin WHERE uzt_id = 2")).toInt(), 0);
        QCOMPARE(clientValue(QStringLiteral("SELECT systemowy FROM v_ov_uprawnienia_admin WHERE uzt_id = 2")).toBool(), false);
        QVERIFY(!clientValue(QStringLiteral("SELECT systemowy FROM v_ov_uprawnienia_admin WHERE uzt_id = 2")).isNull());
    }

    void adminViewFollowsGrantAndRevoke()
    {
        QString state;
        const QVariant uzt = clientValue(
            QStringLiteral("INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko) "
                           "VALUES ('a.nowy', ?, 'Anna', 'Nowa') RETURNING uzt_id"),
            {sha1(QStringLiteral("haslo"))}, &state);
        QVERIFY2(uzt.isValid(), qPrintable(state));
        const QString byRight = QStringLiteral("SELECT count(*) FROM v_ov_uprawnienia_admin WHERE ovupradm_fk_uzt = %1")
                                    .arg(uzt.toInt());
        QCOMPARE(clientValue(byRight).toInt(), 0);

        const QVariant right = clientValue(QStringLiteral("INSERT INTO ov_uprawnienia_admin (ovupradm_fk_uzt) "
                                                          "VALUES (?) RETURNING ovupradm_id"), {uzt}, &state);
        QVERIFY2(right.isValid(), qPrintable(state));
        QCOMPARE(clientValue(byRight).toInt(), 1);
        QCOMPARE(clientValue(QStringLiteral("SELECT ovupradm_id FROM v_ov_uprawnienia_admin WHERE uzt_id = ?"), {uzt})
                     .toInt(), right.toInt());

        // Withdrawn the way the client does it: by the key read from the view.
        clientValue(QStringLiteral("DELETE FROM ov_uprawnienia_admin WHERE ovupradm_id = ?"), {right}, &state);
        QVERIFY2(state.isEmpty(), qPrintable(state));
        QCOMPARE(clientValue(byRight).toInt(), 0);
        QCOMPARE(clientValue(QStringLiteral("SELECT count(*) FROM v_ov_uprawnienia_admin WHERE uzt_id = ?"), {uzt})
                     .toInt(), 1);
    }

    // --- triggers ------------------------------------------------------------

    void auditTimestampsAreFilled()
    {
        QString state;
        const QVariant id = clientValue(
            QStringLiteral("INSERT INTO kategorie_narzedzi (ktr_nrz_nazwa, fk_uzt_stworzono, fk_uzt_zmodyfikowano) "
                           "VALUES ('Sprzęt testowy', 1, 1) RETURNING ktr_nrz_id"), {}, &state);
        QVERIFY2(id.isValid(), qPrintable(state));
        const QString read = QStringLiteral("SELECT %1 FROM kategorie_narzedzi WHERE ktr_nrz_id = ?");
        const QDateTime created = clientValue(read.arg(QStringLiteral("stworzono")), {id}).toDateTime();
        QVERIFY(created.isValid());
        QCOMPARE(clientValue(read.arg(QStringLiteral("zmodyfikowano")), {id}).toDateTime(), created);

        QThread::msleep(20);
        // An edit moves the modification time; the creation time stays even
        // when a statement tries to rewrite it.
        clientValue(QStringLiteral("UPDATE kategorie_narzedzi SET ktr_nrz_komentarz = 'x', "
                                   "stworzono = '2000-01-01', fk_uzt_zmodyfikowano = 2 WHERE ktr_nrz_id = ?"),
                    {id}, &state);
        QVERIFY2(state.isEmpty(), qPrintable(state));
        QCOMPARE(clientValue(read.arg(QStringLiteral("stworzono")), {id}).toDateTime(), created);
        QVERIFY(clientValue(read.arg(QStringLiteral("zmodyfikowano")), {id}).toDateTime() > created);
    }

    // --- rights of the client role ------------------------------------------

    void clientRole_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("insert warehouse")
            << "INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_01', 'Magazyn testowy') RETURNING mgz_id"
            << true;
        QTest::newRow("edit warehouse") << "UPDATE magazyny SET mgz_opis = 'opis' WHERE mgz_symbol = 'MG_01'" << true;
        QTest::newRow("delete unreferenced warehouse") << "DELETE FROM magazyny WHERE mgz_symbol = 'MG_01'" << true;
        QTest::newRow("create table") << "CREATE TABLE obca (a integer)" << false;
        QTest::newRow("truncate") << "TRUNCATE magazyny" << false;
        QTest::newRow("change states") << "INSERT INTO stan_techniczny_narzedzi (stn_nazwa) VALUES ('Nowy')" << false;
        QTest::newRow("change version") << "UPDATE zmiany_schematu_bazy SET zsb_minor_release_number = 12" << false;
        QTest::newRow("drop view") << "DROP VIEW v_narzedzia" << false;
    }

    void clientRole()
    {
        QFETCH(QString, sql);
        QFETCH(bool, accepted);

        QSqlQuery q(client());
        const bool ok = q.exec(sql);
        QVERIFY2(ok == accepted, qPrintable(q.lastError().text()));
        if (!accepted)
            QCOMPARE(q.lastError().nativeErrorCode(), QStringLiteral("42501"));
    }

    // --- two workstations, one tool ----------------------------------------

    void stockGuardRefusesAStaleMove()
    {
        const QString issue = QStringLiteral(
            "UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_kod = 'EL-006'");
        {
            QSqlDatabase a = TestDb::open(QStringLiteral("tst_schema_a"));
            QSqlDatabase b = TestDb::open(QStringLiteral("tst_schema_b"));
            QVERIFY(a.isOpen());
            QVERIFY(b.isOpen());
            QSqlQuery qa(a);
            QVERIFY2(qa.exec(issue), qPrintable(qa.lastError().text()));
            QCOMPARE(qa.numRowsAffected(), 1);

            // b read the tool on stock earlier and now issues it as well.
            QSqlQuery qb(b);
            QVERIFY(!qb.exec(issue));
            QCOMPARE(qb.lastError().nativeErrorCode(), QStringLiteral("55000"));
            QVERIFY2(qb.lastError().databaseText().contains(
                         QStringLiteral("Narzędzie zostało w międzyczasie przesunięte przez innego użytkownika.")),
                     qPrintable(qb.lastError().databaseText()));

            // The whole movement goes: the row written before the flag is rolled back.
            const int before = TestDb::scalar(QStringLiteral("SELECT count(*) FROM przesuniecia_mm")).toInt();
            QVERIFY(b.transaction());
            QVERIFY(qb.exec(QStringLiteral(
                "INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src) "
                "VALUES ((SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'EL-006'), 1, 3, 2)")));
            QVERIFY(!qb.exec(issue));
            QVERIFY(b.rollback());
            QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM przesuniecia_mm")).toInt(), before);

            // Flipping the flag stays possible, and so does any edit that leaves it alone.
            QVERIFY2(qb.exec(QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true WHERE nrz_kod = 'EL-006'")),
                     qPrintable(qb.lastError().text()));
            QVERIFY(qa.exec(QStringLiteral("UPDATE narzedzia SET nrz_uwagi = 'Sprawdzona' WHERE nrz_kod = 'EL-006'")));
            QVERIFY(qa.exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_nrz = NULL WHERE nrz_kod = 'EL-006'")));
        }
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT nrz_przyjete_na_stan FROM narzedzia WHERE nrz_kod = 'EL-006'"))
                     .toBool(), true);
        closeConnection(QStringLiteral("tst_schema_a"));
        closeConnection(QStringLiteral("tst_schema_b"));
    }

    void stockGuardRefusesAConcurrentMove()
    {
        const QString issue = QStringLiteral(
            "UPDATE narzedzia SET nrz_przyjete_na_stan = false, nrz_uwagi = '%1' WHERE nrz_kod = 'EL-001'");

        bool updatedA = false;
        bool sawBlocked = false;
        bool committed = false;
        bool joined = false;
        ToolUpdateWorker worker(issue.arg(QLatin1Char('B')));
        {
            QSqlDatabase a = TestDb::open(QStringLiteral("tst_schema_a"));
            QSqlQuery qa(a);
            updatedA = a.transaction() && qa.exec(issue.arg(QLatin1Char('A'))) && qa.numRowsAffected() == 1;
            if (updatedA) {
                // b's UPDATE must wait for a's open transaction.
                QElapsedTimer timer;
                timer.start();
                worker.start();
                while (!sawBlocked && timer.elapsed() < 5000) {
                    QThread::msleep(20);
                    sawBlocked = TestDb::scalar(QStringLiteral(
                        "SELECT count(*) FROM pg_stat_activity WHERE datname = 'TAV_ORV' "
                        "AND wait_event_type = 'Lock' AND query LIKE '%nrz_uwagi = ''B''%'")).toInt() == 1;
                }
                if (timer.elapsed() < 300)
                    QThread::msleep(300 - timer.elapsed());
                committed = a.commit();
                if (!committed)
                    a.rollback();
                joined = worker.wait(20000);
            } else {
                a.rollback();
            }
        }
        closeConnection(QStringLiteral("tst_schema_a"));
        if (!joined && worker.isRunning())
            worker.wait();

        QVERIFY(updatedA);
        QVERIFY(joined);
        QVERIFY(worker.opened);
        QVERIFY(sawBlocked);
        QVERIFY(committed);
        QVERIFY(worker.elapsedMs >= 250);
        QVERIFY(!worker.ok);
        QCOMPARE(worker.sqlState, QStringLiteral("55000"));
        // a's move stands; b changed nothing.
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT nrz_przyjete_na_stan FROM narzedzia WHERE nrz_kod = 'EL-001'"))
                     .toBool(), false);
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT nrz_uwagi FROM narzedzia WHERE nrz_kod = 'EL-001'")).toString(),
                 QStringLiteral("A"));
    }
};

QTEST_GUILESS_MAIN(TstSchema)
#include "tst_schema.moc"
