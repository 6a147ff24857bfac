// The history the database keeps: exactly what changed, by whom, never a
// photo; a tool's life in order; nobody rewrites it; the archive.

#include "ModalDriver.h"
#include "Session.h"
#include "TAVEwidencja.h"
#include "TAVRegister.h"
#include "TAVTableModel.h"
#include "TestMain.h"
#include "TestUi.h"

#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {
void useServerRights(bool on) { qputenv("ORV_TEST_MODE", on ? "serwer" : ""); }

// One statement of a workstation; empty when it ran, else its SQLSTATE.
QString attempt(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql) ? QString() : q.lastError().nativeErrorCode();
}

// The newest entry of a record: operation, the changed fields' names, the user.
QString lastEntry(const QString &table, int key)
{
    return db(QStringLiteral("SELECT hz_operacja || ' ' || (SELECT string_agg(k, ',' ORDER BY k) FROM jsonb_object_keys(hz_zmiany) k)"
                             " || ' ' || coalesce(hz_uzytkownik, '?') || ' ' || hz_poswiadczone FROM historia_zmian "
                             "WHERE hz_tabela = ? AND hz_klucz = ? ORDER BY hz_id DESC LIMIT 1"),
              {table, key})
            .toString();
}

int entries() { return db(QStringLiteral("SELECT count(*) FROM historia_zmian")).toInt(); }
} // namespace

class TstHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        useServerRights(false);
        QVERIFY(Session::start());
    }

    // Each register table: an insert keeps the filled fields, an update only
    // what changed, a delete the row; an update that changes nothing leaves
    // no entry. The user is the one the program stated for its session.
    void entriesKeepExactlyWhatChanged_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("insert");
        QTest::addColumn<QString>("update");
        QTest::addColumn<QString>("changed");
        QTest::newRow("magazyny") << "magazyny" << "INSERT INTO magazyny (mgz_symbol, mgz_nazwa) VALUES ('MG_H', 'H') RETURNING mgz_id"
                                  << "UPDATE magazyny SET mgz_nazwa = 'H2', mgz_opis = 'o' WHERE mgz_id = %1" << "mgz_nazwa,mgz_opis";
        QTest::newRow("lokalizacje") << "lokalizacje" << "INSERT INTO lokalizacje (lkl_fk_mgz, lkl_nazwa) VALUES (2, 'R') RETURNING lkl_id"
                                     << "UPDATE lokalizacje SET lkl_nazwa = 'R2' WHERE lkl_id = %1" << "lkl_nazwa";
        QTest::newRow("pracownicy") << "pracownicy" << "INSERT INTO pracownicy (prc_imie, prc_nazwisko) VALUES ('A', 'B') RETURNING prc_id"
                                    << "UPDATE pracownicy SET prc_zatrudniony = false WHERE prc_id = %1" << "prc_zatrudniony";
        QTest::newRow("kategorie") << "kategorie_narzedzi" << "INSERT INTO kategorie_narzedzi (ktr_nrz_nazwa) VALUES ('K') RETURNING ktr_nrz_id"
                                   << "UPDATE kategorie_narzedzi SET ktr_nrz_przeglad_miesiace = 6 WHERE ktr_nrz_id = %1"
                                   << "ktr_nrz_przeglad_miesiace";
        QTest::newRow("miejsca") << "miejsca_uzytkowania" << "INSERT INTO miejsca_uzytkowania (muz_kod, muz_nazwa) VALUES ('M', 'M') RETURNING muz_id"
                                 << "UPDATE miejsca_uzytkowania SET muz_kod = 'M2' WHERE muz_id = %1" << "muz_kod";
        QTest::newRow("uzytkownicy") << "uzytkownicy" << "INSERT INTO uzytkownicy (uzt_login, uzt_haslo, uzt_imie, uzt_nazwisko) "
                                                         "VALUES ('h', repeat('a', 40), 'H', 'H') RETURNING uzt_id"
                                     << "UPDATE uzytkownicy SET uzt_haslo = repeat('b', 40), uzt_notatka = 'n' WHERE uzt_id = %1"
                                     << "uzt_haslo,uzt_notatka";
        QTest::newRow("kierownicy") << "ov_uprawnienia_mgz" << "INSERT INTO ov_uprawnienia_mgz (ovuprmgz_fk_uzt, ovuprmgz_fk_mgz) VALUES (3, 1) RETURNING ovuprmgz_id"
                                    << "UPDATE ov_uprawnienia_mgz SET ovuprmgz_fk_mgz = 4 WHERE ovuprmgz_id = %1" << "ovuprmgz_fk_mgz";
        QTest::newRow("narzedzia") << "narzedzia" << "INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_fk_mgz, nrz_fk_stn) VALUES ('H-1', 'H', 2, 1) RETURNING nrz_id"
                                   << "UPDATE narzedzia SET nrz_wartosc = 12.5, nrz_fk_ktr_nrz = 1 WHERE nrz_id = %1" << "nrz_fk_ktr_nrz,nrz_wartosc";
    }
    void entriesKeepExactlyWhatChanged()
    {
        QFETCH(QString, table);
        QFETCH(QString, insert);
        QFETCH(QString, update);
        QFETCH(QString, changed);
        QSqlDatabase ws = TestDb::open(QStringLiteral("stanowisko"));
        QVERIFY(QSqlQuery(ws).exec(QStringLiteral("SET orv.uzytkownik = '2'")));
        QSqlQuery q(ws);
        QVERIFY2(q.exec(insert) && q.next(), qPrintable(q.lastError().text()));
        const int key = q.value(0).toInt();
        QVERIFY(lastEntry(table, key).startsWith(QLatin1String("I ")) && !lastEntry(table, key).contains(QLatin1String("zmodyfikowano")));

        QCOMPARE(attempt(ws, update.arg(key)), QString());
        QCOMPARE(lastEntry(table, key), QStringLiteral("U %1 kierownik false").arg(changed));
        const int before = entries();
        QCOMPARE(attempt(ws, update.arg(key)), QString());
        QCOMPARE(entries(), before);

        const QString keyColumn = db(QStringLiteral("SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = i.indrelid "
                                                    "AND a.attnum = i.indkey[0] WHERE i.indrelid = ?::regclass AND i.indisprimary"),
                                     {table}).toString();
        QCOMPARE(attempt(ws, QStringLiteral("DELETE FROM %1 WHERE %2 = %3").arg(table, keyColumn).arg(key)), QString());
        QVERIFY(lastEntry(table, key).startsWith(QLatin1String("D ")));
        // A digest is never history, only that it changed.
        QVERIFY(db(QStringLiteral("SELECT count(*) FROM historia_zmian WHERE hz_zmiany::text ~ 'aaaa|bbbb'")).toInt() == 0);
    }

    // The photo leaves a word, never its bytes; with other changes it is
    // one entry, read in Polish.
    void photoIsNeverCopied()
    {
        const QString photo = QStringLiteral("/9j/") + QString(QLatin1Char('Q')).repeated(96);
        const int tool = db(QStringLiteral("SELECT min(nrz_id) FROM narzedzia WHERE nrz_zdjecie IS NULL")).toInt();
        QSqlDatabase ws = TestDb::open(QStringLiteral("stanowisko"));
        QCOMPARE(attempt(ws, QStringLiteral("UPDATE narzedzia SET nrz_zdjecie = '%1', nrz_fk_mgz = nrz_fk_mgz, nrz_uwagi = 'u' "
                                            "WHERE nrz_id = %2").arg(photo).arg(tool)), QString());
        QCOMPARE(lastEntry(QStringLiteral("narzedzia"), tool), QStringLiteral("U nrz_uwagi,nrz_zdjecie ? false"));
        QCOMPARE(attempt(ws, QStringLiteral("UPDATE narzedzia SET nrz_zdjecie = '%1' WHERE nrz_id = %2")
                                     .arg(QStringLiteral("/9j/") + QString(QLatin1Char('R')).repeated(96)).arg(tool)), QString());
        QCOMPARE(attempt(ws, QStringLiteral("UPDATE narzedzia SET nrz_zdjecie = NULL WHERE nrz_id = %1").arg(tool)), QString());
        QCOMPARE(db(QStringLiteral("SELECT string_agg(hz_opis, ' | ' ORDER BY hz_id) FROM v_historia_zmian "
                                   "WHERE hz_tabela = 'narzedzia' AND hz_klucz = ? AND hz_operacja = 'U'"), {tool}).toString(),
                 QStringLiteral("Zdjęcie: dodano; Uwagi: — → u | Zdjęcie: zmieniono | Zdjęcie: usunięto"));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM historia_zmian WHERE hz_zmiany::text LIKE '%/9j/%'")).toInt(), 0);
    }

    // Added, edited, transferred, issued, returned damaged, repaired and
    // inspected, by two users with their own accounts: one life, in order.
    void toolLifeInOrder()
    {
        useServerRights(true);
        QVERIFY(Session::start());
        QSqlDatabase admin = TestDb::open(QStringLiteral("admin"), QStringLiteral("tav_orv.admin"), QStringLiteral("admin"));
        QSqlDatabase manager = TestDb::open(QStringLiteral("kierownik"), QStringLiteral("tav_orv.kierownik"), QStringLiteral("kierownik"));
        QSqlQuery q(admin);
        QVERIFY(q.exec(QStringLiteral("INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_fk_mgz, nrz_fk_stn, nrz_wartosc) "
                                      "VALUES ('ZYCIE-1', 'Niwelator', 2, 1, 100) RETURNING nrz_id")) && q.next());
        const int tool = q.value(0).toInt();
        const int worker = db(QStringLiteral("SELECT min(prc_id) FROM pracownicy WHERE prc_zatrudniony")).toInt();
        const int place = db(QStringLiteral("SELECT min(muz_id) FROM miejsca_uzytkowania")).toInt();
        const auto steps = QStringList{
                QStringLiteral("UPDATE narzedzia SET nrz_wartosc = 250 WHERE nrz_id = %1"),
                QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = %1; INSERT INTO przesuniecia_mm "
                               "(psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src) VALUES (%1, 2, 3, 2)"),
                QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_mgz = 3 WHERE nrz_id = %1; "
                               "UPDATE przesuniecia_mm SET psnmm_status = true, psnmm_data_przyjecie = current_date, "
                               "psnmm_fk_uzt_dst = 2 WHERE psnmm_fk_nrz = %1"),
                QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = %1; INSERT INTO "
                               "przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd, "
                               "pnp_fk_stn_wydanie) VALUES (%1, %2, 3, %3, 2, 1)"),
                QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_stn = 2 WHERE nrz_id = %1; UPDATE "
                               "przypisane_narzedzia_pracownikom SET pnp_status = true, pnp_data_przyjecie = current_date, "
                               "pnp_fk_uzt_prz = 2, pnp_fk_stn_przyjecie = 2 WHERE pnp_fk_nrz = %1"),
                QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = %1; INSERT INTO naprawy_przeglady "
                               "(np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd, np_fk_stn_wyd) VALUES (0, %1, 3, 2, 2)"),
                QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_stn = 1 WHERE nrz_id = %1; UPDATE "
                               "naprawy_przeglady SET np_status = true, np_data_prz = current_date, np_fk_uzt_prz = 2, "
                               "np_fk_stn_prz = 1 WHERE np_fk_nrz = %1 AND NOT np_status"),
                QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = %1; INSERT INTO naprawy_przeglady "
                               "(np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd, np_fk_stn_wyd) VALUES (1, %1, 3, 2, 3)"),
                QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true WHERE nrz_id = %1; UPDATE naprawy_przeglady SET "
                               "np_status = true, np_data_prz = current_date, np_fk_uzt_prz = 2, np_fk_stn_prz = 1 "
                               "WHERE np_fk_nrz = %1 AND NOT np_status")};
        for (const QString &step : steps) {
            QSqlQuery s(manager);
            QVERIFY(s.exec(QStringLiteral("BEGIN")));
            for (const QString &sql : step.arg(tool).arg(worker).arg(place).split(QStringLiteral("; ")))
                QVERIFY2(s.exec(sql), qPrintable(sql + QLatin1Char(' ') + s.lastError().text()));
            QVERIFY2(s.exec(QStringLiteral("COMMIT")), qPrintable(s.lastError().text()));
        }
        // The movements and the tool's own changes beside its stock flag.
        QCOMPARE(db(QStringLiteral("SELECT string_agg(hz_czynnosc || ' (' || hz_uzytkownik || ')', '; ' ORDER BY hz_id) "
                                   "FROM v_historia_zmian WHERE hz_fk_nrz = ? AND NOT (hz_tabela = 'narzedzia' AND "
                                   "hz_operacja = 'U' AND hz_opis LIKE 'Na stanie magazynu%')"), {tool}).toString(),
                 QStringLiteral("dodano (admin); zmieniono (kierownik); wydano na magazyn MG_BUDOWA2 (kierownik); "
                                "zmieniono (kierownik); przyjęto na magazyn (kierownik); wydano pracownikowi %1 (kierownik); "
                                "zmieniono (kierownik); przyjęto od pracownika (kierownik); wysłano do naprawy (kierownik); "
                                "zmieniono (kierownik); przyjęto z naprawy (kierownik); wysłano na przegląd (kierownik); "
                                "przyjęto z przeglądu (kierownik)")
                         .arg(db(QStringLiteral("SELECT prc_imie || ' ' || prc_nazwisko FROM pracownicy WHERE prc_id = ?"), {worker}).toString()));
        QCOMPARE(db(QStringLiteral("SELECT hz_opis FROM v_historia_zmian WHERE hz_fk_nrz = ? AND hz_tabela = 'narzedzia' "
                                   "AND hz_opis LIKE 'Magazyn%'"), {tool}).toString(),
                 QStringLiteral("Magazyn: MG_BUDOWA1 → MG_BUDOWA2; Na stanie magazynu: nie → tak"));
        QCOMPARE(db(QStringLiteral("SELECT hz_opis FROM v_historia_zmian WHERE hz_fk_nrz = ? AND hz_opis LIKE 'Wartość%'"), {tool}).toString(),
                 QStringLiteral("Wartość: 100,00 zł → 250,00 zł"));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM historia_zmian WHERE hz_fk_nrz = ? AND NOT hz_poswiadczone"), {tool}).toInt(), 0);
    }

    // Neither the shared role nor an account changes, removes, forges or
    // switches off the history; an account that is no administrator
    // cannot archive.
    void nobodyRewritesHistory_data()
    {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("sql");
        for (bool server : {false, true}) {
            const char *mode = server ? "account" : "shared role";
            QTest::addRow("%s: update", mode) << server << "UPDATE historia_zmian SET hz_uzytkownik = 'ktoś'";
            QTest::addRow("%s: delete", mode) << server << "DELETE FROM historia_zmian";
            QTest::addRow("%s: truncate", mode) << server << "TRUNCATE historia_zmian";
            QTest::addRow("%s: forge", mode) << server << "INSERT INTO historia_zmian (hz_tabela, hz_klucz, hz_operacja, "
                                                          "hz_zmiany, hz_poswiadczone) VALUES ('narzedzia', 1, 'U', '{}', true)";
            QTest::addRow("%s: forge through the writer", mode) << server << "SELECT f_historia_zapisz('narzedzia', 1, 'U', '{}', 1)";
            QTest::addRow("%s: switch the trigger off", mode) << server << "ALTER TABLE narzedzia DISABLE TRIGGER t_narzedzia_zapis_historii";
            QTest::addRow("%s: drop the trigger", mode) << server << "DROP TRIGGER t_narzedzia_zapis_historii ON narzedzia";
            QTest::addRow("%s: replica mode", mode) << server << "SET session_replication_role = replica";
        }
        QTest::addRow("account: archive without administrator's rights") << true
                << "SELECT f_historia_archiwizuj(now(), 9223372036854775807, 'x.csv')";
    }
    void nobodyRewritesHistory()
    {
        QFETCH(bool, server);
        QFETCH(QString, sql);
        useServerRights(server);
        QVERIFY(TestDb::resetDatabase());
        const int before = entries();
        QSqlDatabase ws = server ? TestDb::open(QStringLiteral("kierownik"), QStringLiteral("tav_orv.kierownik"), QStringLiteral("kierownik"))
                                 : TestDb::open(QStringLiteral("stanowisko"));
        QCOMPARE(attempt(ws, sql), QStringLiteral("42501"));
        QCOMPARE(entries(), before);
    }

    // Under a warehouse, its own entries, newest first; the archive writes
    // the old entries to a file, removes exactly those and records itself.
    void tabAndArchive()
    {
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE magazyny SET mgz_opis = 'pierwsza' WHERE mgz_id = 2")));
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE magazyny SET mgz_opis = 'druga' WHERE mgz_id = 2")));
        TAVEwidencja view(QStringLiteral("MagazynyModel"), QString(), QString());
        for (const auto &[shown, tab] : TAVRegisters::tabsUnder(QStringLiteral("MagazynyModel"))) {
            auto *relative = new TAVEwidencja(shown->modelName(), tab.context, tab.linkColumn);
            relative->setTitle(tab.title);
            view.addRelative(relative, tab.linkColumn);
        }
        QVERIFY(view.selectKey(2));
        QTabWidget *tabs = view.relativeTabs();
        int at = -1;
        for (int i = 0; i < tabs->count(); ++i)
            at = tabs->tabText(i) == QLatin1String("Historia") ? i : at;
        QVERIFY(at >= 0);
        tabs->setCurrentIndex(at);
        TAVTableModel *history = qobject_cast<TAVEwidencja *>(tabs->widget(at))->getModel();
        QTRY_VERIFY(history->rowCount() >= 3);
        QCOMPARE(history->value(0, QStringLiteral("hz_opis")).toString(), QStringLiteral("Opis: pierwsza → druga"));
        for (int r = 0; r < history->rowCount(); ++r)
            QVERIFY(history->value(r, QStringLiteral("hz_tabela")) == QLatin1String("magazyny")
                    && history->value(r, QStringLiteral("hz_klucz")).toInt() == 2);

        // The demo's entries become two years old; today's stay.
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE historia_zmian SET hz_czas = now() - interval '2 years' "
                                            "WHERE hz_id <= (SELECT min(hz_id) + 99 FROM historia_zmian)")));
        const int old = db(QStringLiteral("SELECT count(*) FROM historia_zmian WHERE hz_czas < now() - interval '1 year'")).toInt();
        const int kept = entries() - old;
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("archiwum.csv"));
        TAVEwidencja module(QStringLiteral("HistoriaZmianModel"), QString(), QString());
        ModalDriver driver;
        driver.onNext([&](QWidget *d) {
            d->findChild<QDateEdit *>(QStringLiteral("dtPrzed"))->setDate(QDate::currentDate().addYears(-1));
            d->findChild<QLineEdit *>(QStringLiteral("lePlik"))->setText(file);
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("Archiwizacja historii zmian"),
                         QStringLiteral("Zapisano w pliku %1 i usunięto z bazy wpisów historii: %2.").arg(file).arg(old));
        TRIGGER(module, "Archiwizuj…");
        QFile csv(file);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(csv.readAll().count('\n'), old + 1);
        QCOMPARE(entries(), kept + 1);
        QCOMPARE(db(QStringLiteral("SELECT (hz_zmiany ->> 'usunieto')::int FROM historia_zmian WHERE hz_operacja = 'A'")).toInt(), old);
    }
};

ORV_TEST_MAIN(TstHistory)
#include "tst_history.moc"
