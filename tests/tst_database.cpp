// The database keeps its own rules whatever client writes: a second
// workstation or a script is refused what the forms would refuse.

#include "TestDb.h"

#include <QBuffer>
#include <QImage>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <libpq-fe.h>

namespace {
QString base64Image(const char *format, QSize size = QSize(40, 30))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return QString::fromLatin1(bytes.toBase64());
}
} // namespace

class TstDatabase : public QObject
{
    Q_OBJECT

private:
    // A statement as another workstation sends it, as the client role.
    static QString stateOf(const QString &sql, const QVariant &value = QVariant())
    {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("stanowisko2")));
        if (!q.prepare(sql))
            return q.lastError().nativeErrorCode();
        if (value.isValid())
            q.addBindValue(value);
        return q.exec() ? QString() : q.lastError().nativeErrorCode();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestDb::resetDatabase());
        QVERIFY(TestDb::open(QStringLiteral("stanowisko2")).isOpen());
    }

    // A tool is off stock exactly while one of its movements is open.
    void demoStockAgreesWithMovements()
    {
        QCOMPARE(TestDb::scalar(QStringLiteral(
                         "SELECT count(*) FROM narzedzia n WHERE n.nrz_przyjete_na_stan = ("
                         " (SELECT count(*) FROM przesuniecia_mm WHERE psnmm_fk_nrz = n.nrz_id AND NOT psnmm_status)"
                         " + (SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = n.nrz_id AND NOT pnp_status)"
                         " + (SELECT count(*) FROM naprawy_przeglady WHERE np_fk_nrz = n.nrz_id AND NOT np_status) = 1)")).toInt(), 0);
    }

    void refusesWhatTheFormsRefuse_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("state");   // empty: accepted
        const QString tool = QStringLiteral("UPDATE narzedzia SET %1 = ? WHERE nrz_kod = 'EL-001'");
        auto row = [](const char *name, const QString &sql, const QVariant &value, const char *state) {
            QTest::newRow(name) << sql << value << QString::fromLatin1(state);
        };
        row("value NaN", tool.arg("nrz_wartosc"), QStringLiteral("NaN"), "23514");
        row("value negative", tool.arg("nrz_wartosc"), -0.01, "23514");
        row("value zero", tool.arg("nrz_wartosc"), 0, "");
        row("name of spaces", tool.arg("nrz_nazwa"), QStringLiteral("   "), "23514");
        row("name of control characters", tool.arg("nrz_nazwa"), QStringLiteral("\t\x01\x7f"), "23514");
        row("warehouse name of spaces", QStringLiteral("UPDATE magazyny SET mgz_nazwa = ? WHERE mgz_id = 2"), QStringLiteral("  "), "23514");
        row("login of spaces", QStringLiteral("UPDATE uzytkownicy SET uzt_login = ? WHERE uzt_id = 3"), QStringLiteral(" \n "), "23514");
        row("date 1899", tool.arg("nrz_przeglad"), QDate(1899, 12, 31), "23514");
        row("date 1900", tool.arg("nrz_przeglad"), QDate(1900, 1, 1), "");
        row("date 4713 BC", tool.arg("nrz_przeglad"), QStringLiteral("4713-01-01 BC"), "23514");
        row("date 3000", tool.arg("nrz_przeglad"), QDate(3000, 1, 1), "23514");
        // The open transfer and repair: closed ones are history.
        row("transfer received 1066", QStringLiteral("UPDATE przesuniecia_mm SET psnmm_data_przyjecie = ? WHERE NOT psnmm_status"), QDate(1066, 10, 14), "23514");
        // No movement is dated after today, whatever client writes.
        const QDate today = QDate::currentDate();
        row("repair back tomorrow", QStringLiteral("UPDATE naprawy_przeglady SET np_data_prz = ? WHERE np_id = 4"), today.addDays(1), "OV017");
        row("repair back today", QStringLiteral("UPDATE naprawy_przeglady SET np_data_prz = ? WHERE np_id = 4"), today, "");
        row("issue in ten days", QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_data_wydanie = ? WHERE NOT pnp_status"),
            today.addDays(10), "OV017");
        row("transfer received tomorrow", QStringLiteral("UPDATE przesuniecia_mm SET psnmm_data_przyjecie = ? WHERE NOT psnmm_status"),
            today.addDays(1), "OV017");
        // A movement is written open, to an active warehouse or an employed
        // employee in the tool's warehouse, and keeps its issue until received.
        const QString transfer = QStringLiteral("INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, "
                                                "psnmm_fk_uzt_src, psnmm_status) VALUES ((SELECT nrz_id FROM narzedzia "
                                                "WHERE nrz_kod = 'EL-006'), 1, %1, 2, %2)");
        const QString issue = QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, "
                                             "pnp_fk_muz, pnp_fk_uzt_wyd) VALUES ((SELECT nrz_id FROM narzedzia "
                                             "WHERE nrz_kod = 'EL-006'), %1, %2, 1, 2)");
        row("transfer written received", transfer.arg(QStringLiteral("3"), QStringLiteral("?")), true, "OV018");
        row("transfer to a closed warehouse", transfer.arg(QStringLiteral("?"), QStringLiteral("false")), 4, "OV019");
        row("transfer to an active warehouse", transfer.arg(QStringLiteral("?"), QStringLiteral("false")), 3, "");
        row("issue to a former employee", issue.arg(QStringLiteral("?"), QStringLiteral("1")), 10, "OV020");
        row("issue booked in another warehouse", issue.arg(QStringLiteral("1"), QStringLiteral("?")), 2, "OV021");
        row("issue as it should be", issue.arg(QStringLiteral("1"), QStringLiteral("?")), 1, "");
        row("open issue given another issuer", QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_fk_uzt_wyd = ? "
                                                              "WHERE NOT pnp_status"), 3, "OV023");
        row("open transfer backdated", QStringLiteral("UPDATE przesuniecia_mm SET psnmm_data_wydanie = ? WHERE NOT psnmm_status"),
            QDate(2020, 1, 2), "OV023");
        row("transfer received with the tool at the source", QStringLiteral(
                "UPDATE przesuniecia_mm SET psnmm_status = ?, psnmm_fk_uzt_dst = 2, psnmm_data_przyjecie = current_date "
                "WHERE NOT psnmm_status"), true, "OV022");
        // A tool changes warehouse only through a transfer's receipt.
        row("tool moved with no transfer", tool.arg("nrz_fk_mgz"), 3, "OV024");
        row("photo JPEG", tool.arg("nrz_zdjecie"), base64Image("JPG"), "");
        row("photo PNG", tool.arg("nrz_zdjecie"), base64Image("PNG"), "23514");
        row("photo not Base64", tool.arg("nrz_zdjecie"), QStringLiteral("/9j/ to nie jest zdjęcie"), "23514");
        row("photo too long", tool.arg("nrz_zdjecie"), QStringLiteral("/9j/") + QString(600000, QLatin1Char('A')), "23514");
        row("login Admin next to admin", QStringLiteral("INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko) "
                                                        "VALUES (?, repeat('a', 40), 'Jan', 'Drugi')"),
            QStringLiteral("Admin"), "23505");
        row("tool into itself", QStringLiteral("UPDATE narzedzia SET nrz_fk_nrz = nrz_id WHERE nrz_kod = ?"),
            QStringLiteral("EL-001"), "OV001");
        row("tool into its own part", QStringLiteral("UPDATE narzedzia SET nrz_fk_nrz = (SELECT nrz_id FROM narzedzia "
                                                     "WHERE nrz_kod = 'PM-001-S') WHERE nrz_kod = ?"),
            QStringLiteral("PM-001"), "OV001");
        row("second tool code", tool.arg("nrz_kod"), QStringLiteral("EL-002"), "23505");
        row("symbol with a hyphen", QStringLiteral("UPDATE magazyny SET mgz_symbol = ? WHERE mgz_id = 2"), QStringLiteral("MG-2"), "23514");
        row("symbol with Polish letters", QStringLiteral("UPDATE magazyny SET mgz_symbol = ? WHERE mgz_id = 2"), QStringLiteral("MAGAZYN_Ą"), "23514");
        row("repair type 2", QStringLiteral("UPDATE naprawy_przeglady SET np_typ = ? WHERE np_id = 1"), 2, "23514");
        row("same manager twice", QStringLiteral("INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) VALUES (2, ?)"), 2, "23505");
        row("another warehouse of a manager", QStringLiteral("INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) VALUES (2, ?)"), 1, "");
        row("warehouse with tools", QStringLiteral("DELETE FROM magazyny WHERE mgz_symbol = ?"), QStringLiteral("MG_BUDOWA1"), "23503");
        row("employee with issues", QStringLiteral("DELETE FROM pracownicy WHERE prc_id = ?"), 1, "23503");
        row("states are the dictionary's", QStringLiteral("INSERT INTO stan_techniczny_narzedzi (stn_nazwa) VALUES (?)"), QStringLiteral("Nowy"), "42501");
        row("schema version", QStringLiteral("UPDATE zmiany_schematu_bazy SET zsb_minor_release_number = ?"), 12, "42501");
    }
    void refusesWhatTheFormsRefuse()
    {
        QFETCH(QString, sql);
        QFETCH(QVariant, value);
        QFETCH(QString, state);
        // Each row on its own: what one accepts is rolled back.
        QSqlDatabase db = QSqlDatabase::database(QStringLiteral("stanowisko2"));
        QVERIFY(db.transaction());
        const QString got = stateOf(sql, value);
        QVERIFY(db.rollback());
        QCOMPARE(got, state);
    }

    void clientRoleCannotChangeTheSchema()
    {
        for (const char *sql : {"CREATE TABLE obca (a integer)", "TRUNCATE magazyny", "DROP VIEW v_narzedzia"}) {
            QSqlQuery q(QSqlDatabase::database(QStringLiteral("stanowisko2")));
            QVERIFY2(!q.exec(QLatin1String(sql)), sql);
            QCOMPARE(q.lastError().nativeErrorCode(), QStringLiteral("42501"));
        }
    }

    // Workstations share one role: none may end or cancel another's session.
    void clientRoleCannotSignalOtherSessions()
    {
        QSqlDatabase other = TestDb::open(QStringLiteral("stanowisko3"));
        QSqlQuery own(other);
        QVERIFY(own.exec(QStringLiteral("SELECT pg_backend_pid()")) && own.next());
        for (const char *call : {"pg_terminate_backend", "pg_cancel_backend"}) {
            QSqlQuery q(QSqlDatabase::database(QStringLiteral("stanowisko2")));
            QVERIFY2(!q.exec(QStringLiteral("SELECT %1(%2)").arg(QLatin1String(call)).arg(own.value(0).toInt())), call);
            QCOMPARE(q.lastError().nativeErrorCode(), QStringLiteral("42501"));
        }
        QVERIFY(QSqlQuery(QStringLiteral("SELECT 1"), other).next());
        other.close();
    }

    // The tool was moved on another workstation after this one read it.
    void stockGuardRefusesAStaleMove()
    {
        const QString transfer = QStringLiteral("INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, "
                                                "psnmm_fk_uzt_src) VALUES ((SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'EL-006'), 1, 3, 2)");
        const QString issue = QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_kod = 'EL-006'");
        QSqlDatabase a = QSqlDatabase::database(QStringLiteral("stanowisko2"));
        QVERIFY(a.transaction());
        QCOMPARE(stateOf(transfer), QString());
        QCOMPARE(stateOf(issue), QString());
        QVERIFY(a.commit());
        // A second workstation that read the tool before is refused.
        QSqlDatabase b = TestDb::open(QStringLiteral("stanowisko3"));
        QSqlQuery qb(b);
        const int before = TestDb::scalar(QStringLiteral("SELECT count(*) FROM przesuniecia_mm")).toInt();
        QVERIFY(b.transaction());
        QVERIFY(!qb.exec(issue));
        QCOMPARE(qb.lastError().nativeErrorCode(), QStringLiteral("55000"));
        QVERIFY(b.rollback());
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM przesuniecia_mm")).toInt(), before);
        // Edits that leave the flag alone pass.
        QCOMPARE(stateOf(QStringLiteral("UPDATE narzedzia SET nrz_uwagi = 'Sprawdzona' WHERE nrz_kod = 'EL-006'")), QString());
    }

    // Two workstations issue the same tool at once: the second waits for the
    // first and is then refused.
    void stockGuardRefusesAConcurrentMove()
    {
        const QByteArray conninfo = QStringLiteral("host=%1 port=%2 dbname=TAV_ORV user=tav_orv_user password=MOB_tae")
                                            .arg(TestDb::host()).arg(TestDb::port()).toUtf8();
        PGconn *a = PQconnectdb(conninfo.constData());
        PGconn *b = PQconnectdb(conninfo.constData());
        QVERIFY(PQstatus(a) == CONNECTION_OK && PQstatus(b) == CONNECTION_OK);
        const char *issue = "UPDATE narzedzia SET nrz_przyjete_na_stan = false, nrz_uwagi = '%1' WHERE nrz_kod = 'EL-001'";
        PQclear(PQexec(a, "BEGIN; INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, "
                          "psnmm_fk_uzt_src) SELECT nrz_id, 1, 2, 2 FROM narzedzia WHERE nrz_kod = 'EL-001'"));
        PGresult *r = PQexec(a, QString::fromLatin1(issue).arg(QLatin1Char('A')).toLatin1().constData());
        QCOMPARE(PQresultStatus(r), PGRES_COMMAND_OK);
        PQclear(r);
        QVERIFY(PQsendQuery(b, QString::fromLatin1(issue).arg(QLatin1Char('B')).toLatin1().constData()));
        QTRY_COMPARE(TestDb::scalar(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' "
                                                   "AND query LIKE '%nrz_uwagi = ''B''%'")).toInt(), 1);
        PQclear(PQexec(a, "COMMIT"));
        r = PQgetResult(b);
        QCOMPARE(QString::fromLatin1(PQresultErrorField(r, PG_DIAG_SQLSTATE)), QStringLiteral("55000"));
        PQclear(r);
        while ((r = PQgetResult(b)))
            PQclear(r);
        PQfinish(a);
        PQfinish(b);
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT nrz_uwagi FROM narzedzia WHERE nrz_kod = 'EL-001'")).toString(),
                 QStringLiteral("A"));
    }

    // The creation stamp stays whatever an edit sends; the modification
    // stamp follows every edit.
    void auditStampsBelongToTheDatabase()
    {
        const QString read = QStringLiteral("SELECT %1 FROM kategorie_narzedzi WHERE ktr_nrz_id = 2");
        const QDateTime created = TestDb::scalar(read.arg(QStringLiteral("stworzono"))).toDateTime();
        QCOMPARE(stateOf(QStringLiteral("UPDATE kategorie_narzedzi SET ktr_nrz_komentarz = 'x', stworzono = ? WHERE ktr_nrz_id = 2"),
                         QDateTime(QDate(2000, 1, 1), QTime(0, 0))), QString());
        QCOMPARE(TestDb::scalar(read.arg(QStringLiteral("stworzono"))).toDateTime(), created);
        QVERIFY(TestDb::scalar(read.arg(QStringLiteral("zmodyfikowano"))).toDateTime() > created);
    }

    // Every user once; the right's key is 0 for users without it.
    void administratorViewListsEveryUserOnce()
    {
        const QString users = QStringLiteral("SELECT count(*) FROM uzytkownicy");
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT count(DISTINCT uzt_id) FROM v_ov_uprawnienia_admin")), TestDb::scalar(users));
        QCOMPARE(TestDb::scalar(QStringLiteral("SELECT string_agg(uzt_id || ':' || (ovupradm_id > 0), ',' ORDER BY uzt_id) "
                                               "FROM v_ov_uprawnienia_admin")).toString(),
                 QStringLiteral("1:true,2:false,3:false"));
    }

    // Deleting a referenced row must not scan the referring table.
    void foreignKeysAreIndexed()
    {
        QCOMPARE(TestDb::scalar(QStringLiteral(
                         "SELECT coalesce(string_agg(c.conrelid::regclass || '.' || a.attname, ', '), '') FROM pg_constraint c "
                         "JOIN pg_attribute a ON a.attrelid = c.conrelid AND a.attnum = c.conkey[1] "
                         "WHERE c.contype = 'f' AND c.connamespace = 'public'::regnamespace AND NOT EXISTS "
                         "(SELECT 1 FROM pg_index i WHERE i.indrelid = c.conrelid AND i.indkey[0] = c.conkey[1])")).toString(),
                 QString());
    }

};

QTEST_GUILESS_MAIN(TstDatabase)
#include "tst_database.moc"
