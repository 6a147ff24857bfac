#include "ModalDriver.h"
#include "SchemaCheck.h"
#include "Session.h"
#include "TestMain.h"

// The schema history decides, after sign-in, whether the program goes on.
class TstSchemaVersion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QVERIFY(TestDb::resetDatabase()); }

    void historyDecidesTheStart_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("refusal");
        const QString add = QStringLiteral("INSERT INTO zmiany_schematu_bazy (zsb_major_release_number, "
                                           "zsb_minor_release_number, zsb_point_release_number) VALUES (%1)");
        const QString end = QStringLiteral(" Nastąpi zamknięcie programu.");
        const QString upgrade = QStringLiteral(" Administrator musi uruchomić na serwerze bazy danych skrypt upgrade.sh.");
        QTest::newRow("as created") << QString() << QString();
        // A later point only adds to the schema: an older program goes on.
        QTest::newRow("1.11.17") << add.arg(QLatin1String("1, 11, 17")) << QString();
        // An earlier point lacks what this program needs.
        QTest::newRow("1.11.2") << add.arg(QLatin1String("1, 11, 2"))
                                << QStringLiteral("Baza danych wymaga aktualizacji.") + upgrade + end;
        QTest::newRow("1.10.9") << add.arg(QLatin1String("1, 10, 9"))
                                << QStringLiteral("Baza danych wymaga aktualizacji.") + upgrade + end;
        QTest::newRow("1.12.0") << add.arg(QLatin1String("1, 12, 0"))
                                << QStringLiteral("Nowsza baza danych. Należy zaktualizować program.") + end;
        QTest::newRow("2.0.0") << add.arg(QLatin1String("2, 0, 0"))
                               << QStringLiteral("Baza danych w nowszej wersji. Należy zaktualizować program.") + end;
        QTest::newRow("0.11.0") << add.arg(QLatin1String("0, 11, 0"))
                                << QStringLiteral("Baza danych w starej wersji. Należy zaktualizować program.") + upgrade
                                           + end;
        // The newest change counts, even when it lowers the number.
        QTest::newRow("2.0.0 then 1.11.16") << add.arg(QLatin1String("2, 0, 0"))
                                                   + QStringLiteral("; ") + add.arg(QLatin1String("1, 11, 16"))
                                           << QString();
        QTest::newRow("empty") << QStringLiteral("DELETE FROM zmiany_schematu_bazy")
                               << QStringLiteral("Nie można odczytać wersji bazy danych.") + end;
        QTest::newRow("no table") << QStringLiteral("DROP TABLE zmiany_schematu_bazy")
                                  << QStringLiteral("Nie można odczytać wersji bazy danych.") + end;
        // The point number's column must be there.
        QTest::newRow("no point column")
                << QStringLiteral("ALTER TABLE zmiany_schematu_bazy DROP COLUMN zsb_point_release_number")
                << QStringLiteral("Formaty wersji bazy danych nie zgadzają się.") + end;
    }
    void historyDecidesTheStart()
    {
        QFETCH(QString, change);
        QFETCH(QString, refusal);
        QVERIFY(Session::start());
        for (const QString &statement : change.split(QStringLiteral("; "), Qt::SkipEmptyParts))
            QVERIFY(TestDb::exec(statement));

        QString message;
        QCOMPARE(OVApplication::instance()->checkDatabaseVersion(message), refusal.isEmpty());
        QCOMPARE(message, refusal);

        // The start-up step shows the refusal in its own box, or nothing.
        ModalDriver driver;
        if (!refusal.isEmpty())
            driver.expectBox(QStringLiteral("Sprawdzenie wersji bazy danych"), refusal);
        QCOMPARE(OrvStartup::checkSchemaVersion(), refusal.isEmpty());
        QCOMPARE(driver.count(), refusal.isEmpty() ? 0 : 1);
        if (!refusal.isEmpty()) {
            QCOMPARE(driver.last().title, QStringLiteral("Sprawdzenie wersji bazy danych"));
            QCOMPARE(driver.last().text, refusal);
        }
    }
};

ORV_TEST_MAIN(TstSchemaVersion)
#include "tst_schemaversion.moc"
