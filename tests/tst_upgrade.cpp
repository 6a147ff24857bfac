#include "TestDb.h"
#include "TestMain.h"

#include <QDir>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

// Databases of earlier releases reach the newest schema through
// schema/upgrade.sh without a row lost, and what it cannot take it refuses.
namespace {

struct Run {
    int code = -1;
    QString out;  // standard output and error together
};

// A script of schema/ (or a PostgreSQL tool) run as an administrator would,
// against the test cluster; arguments are separated by blanks.
Run run(const QString &program, const QString &arguments, const QString &pgOptions = QString())
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGHOST"), TestDb::host());
    env.insert(QStringLiteral("PGPORT"), QString::number(TestDb::port()));
    env.insert(QStringLiteral("PGUSER"), TestDb::superUser());
    env.insert(QStringLiteral("PGPASSWORD"), TestDb::superPassword());
    if (!pgOptions.isEmpty())
        env.insert(QStringLiteral("PGOPTIONS"), pgOptions);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program.endsWith(QLatin1String(".sh")) ? QStringLiteral(ORV_SOURCE_DIR "/schema/") + program : program,
                  arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
}

Run upgrade(const QString &db, const QString &arguments = QString(), const QString &pgOptions = QString())
{
    return run(QStringLiteral("upgrade.sh"), arguments + QStringLiteral(" --dbname ") + db, pgOptions);
}

// pg_dump of one database; the dump's random guard lines differ every time.
QString dump(const QString &db, const QString &what)
{
    QStringList lines = run(QStringLiteral("pg_dump"), what + QStringLiteral(" -d ") + db).out.split(QLatin1Char('\n'));
    lines.removeIf([](const QString &line) { return line.startsWith(QLatin1String("\\restrict"))
                                                    || line.startsWith(QLatin1String("\\unrestrict")); });
    return lines.join(QLatin1Char('\n'));
}

QVariant value(const QString &db, const QString &sql, const QVariantList &binds = {})
{
    QSqlQuery query(TestDb::openOther(QStringLiteral("upgrade_") + db, db));
    query.prepare(sql);
    for (const QVariant &bind : binds)
        query.addBindValue(bind);
    if (!query.exec() || !query.next())
        qWarning() << sql << query.lastError().text();
    return query.value(0);
}

QString version(const QString &db)
{
    return value(db, QStringLiteral("SELECT string_agg(zsb_major_release_number || '.' || zsb_minor_release_number "
                                    "|| '.' || zsb_point_release_number, ' ' ORDER BY zsb_id) FROM zmiany_schematu_bazy"))
            .toString();
}

// A database at the first release, with the first release's demo data and
// the rows of a register used for some years.
bool createFirstRelease(const QString &db)
{
    return run(QStringLiteral("create.sh"), QStringLiteral("--dbname %1 --version 1.11.0").arg(db)).code == 0
            && run(QStringLiteral("psql"), QStringLiteral("-X -q -v ON_ERROR_STOP=1 -d %1 -f %2/demo_1.11.0.sql -f %2/generated_1.11.0.sql")
                                                   .arg(db, QStringLiteral(ORV_SOURCE_DIR "/tests/upgrade"))).code == 0;
}

QStringList tables(const QString &db)
{
    return value(db, QStringLiteral("SELECT string_agg(table_name, ' ' ORDER BY table_name) FROM information_schema.tables "
                                    "WHERE table_schema = 'public' AND table_type = 'BASE TABLE' "
                                    "AND table_name <> 'zmiany_schematu_bazy'"))
            .toString().split(QLatin1Char(' '));
}

const QString kAllSteps = QStringLiteral("1.11.0 1.11.1 1.11.2 1.11.3 1.11.4 1.11.5 1.11.6 1.11.7 1.11.8 1.11.9 1.11.10 1.11.11 1.11.12 1.11.13 1.11.14 1.11.15 1.11.16");

} // namespace

class TstUpgrade : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase()
    {
        for (const QString &db : m_made) {
            QSqlDatabase::removeDatabase(QStringLiteral("upgrade_") + db);
            TestDb::exec(QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(db));
        }
    }

    void theProgramExpectsTheNewestStep()
    {
        QStringList steps = QDir(QStringLiteral(ORV_SOURCE_DIR "/schema/steps")).entryList({QStringLiteral("*.sql")});
        std::sort(steps.begin(), steps.end(), [](const QString &a, const QString &b) {
            return QVersionNumber::fromString(a) < QVersionNumber::fromString(b);
        });
        const QVersionNumber newest = QVersionNumber::fromString(steps.last());
        QCOMPARE(QVersionNumber::fromString(OVApplication::expectedSchemaVersion()), newest);
        QVERIFY(kAllSteps.endsWith(newest.toString()));
    }

    void firstReleaseUpgradesWithoutLosingARow()
    {
        const QString old = made(QStringLiteral("orv_upg_first"));
        const QString before = made(QStringLiteral("orv_upg_before"));
        const QString fresh = made(QStringLiteral("orv_upg_fresh"));
        QVERIFY(createFirstRelease(old));
        QVERIFY(TestDb::exec(QStringLiteral("CREATE DATABASE \"%1\" TEMPLATE \"%2\"").arg(before, old)));
        QCOMPARE(run(QStringLiteral("create.sh"), QStringLiteral("--dbname ") + fresh).code, 0);

        // A dry run lists the three later steps and changes nothing.
        Run dry = upgrade(old, QStringLiteral("--dry-run"));
        QCOMPARE(dry.code, 0);
        QVERIFY2(dry.out.contains(QLatin1String("1.11.1:")) && dry.out.contains(QLatin1String("1.11.3:")), qPrintable(dry.out));
        QCOMPARE(version(old), QStringLiteral("1.11.0"));

        QTemporaryDir dir;
        const QString backup = dir.filePath(QStringLiteral("przed.dump"));
        Run done = upgrade(old, QStringLiteral("--backup ") + backup);
        QVERIFY2(done.code == 0, qPrintable(done.out));
        QVERIFY2(done.out.contains(QLatin1String("pg_restore --create")), qPrintable(done.out));
        QVERIFY(QFileInfo(backup).size() > 0);
        QCOMPARE(version(old), kAllSteps);

        // The same database as a new one.
        QCOMPARE(dump(old, QStringLiteral("--schema-only")), dump(fresh, QStringLiteral("--schema-only")));

        // Every row that was there is there with the same values.
        const QStringList now = tables(old);
        for (const QString &table : tables(before))
            QVERIFY2(now.contains(table), qPrintable(table));
        for (const QString &table : tables(before)) {
            const QString rows = value(before, QStringLiteral("SELECT coalesce(jsonb_agg(to_jsonb(t)), '[]')::text FROM %1 t")
                                                       .arg(table)).toString();
            QVERIFY(rows.size() > 2);
            QCOMPARE(value(old, QStringLiteral("SELECT count(*) FROM %1").arg(table)),
                     value(before, QStringLiteral("SELECT count(*) FROM %1").arg(table)));
            QCOMPARE(value(old, QStringLiteral("SELECT count(*) FROM jsonb_array_elements(?::jsonb) o "
                                               "WHERE NOT EXISTS (SELECT 1 FROM %1 t WHERE to_jsonb(t) @> o)").arg(table),
                           {rows}).toInt(), 0);
        }

        // A second run finds nothing to do and changes nothing.
        const QString data = dump(old, QStringLiteral("--data-only"));
        Run again = upgrade(old);
        QCOMPARE(again.code, 0);
        QVERIFY2(again.out.contains(QLatin1String("nothing to do")), qPrintable(again.out));
        QCOMPARE(dump(old, QStringLiteral("--data-only")), data);
        QCOMPARE(upgrade(old, QStringLiteral("--check")).code, 0);
    }

    void aStepThatFailsHalfwayLeavesThePreviousVersion()
    {
        const QString db = made(QStringLiteral("orv_upg_halfway"));
        QVERIFY(createFirstRelease(db));
        QCOMPARE(upgrade(db, QStringLiteral("--check")).code, 3);
        const QString indexOfWarehouse = QStringLiteral("SELECT indexdef FROM pg_indexes WHERE indexname = 'ix_narzedzia_fk_mgz'");
        const QString oldIndex = value(db, indexOfWarehouse).toString();

        // Another session holds a table that step 1.11.1 reaches after it
        // has already rebuilt the tools' indexes.
        QSqlDatabase other = TestDb::openOther(QStringLiteral("upgrade_holder"), db);
        QSqlQuery hold(other);
        QVERIFY(other.transaction());
        QVERIFY(hold.exec(QStringLiteral("LOCK TABLE naprawy_przeglady IN ACCESS EXCLUSIVE MODE")));
        Run failed = upgrade(db, QString(), QStringLiteral("-c lock_timeout=1000"));
        QVERIFY(other.rollback());
        QCOMPARE(failed.code, 1);
        QVERIFY2(failed.out.contains(QLatin1String("stays at version 1.11.0")), qPrintable(failed.out));
        QCOMPARE(version(db), QStringLiteral("1.11.0"));
        QCOMPARE(value(db, indexOfWarehouse).toString(), oldIndex);

        Run rerun = upgrade(db);
        QVERIFY2(rerun.code == 0, qPrintable(rerun.out));
        QCOMPARE(version(db), kAllSteps);
        QVERIFY(value(db, indexOfWarehouse).toString().contains(QLatin1String("nrz_fk_mgz, nrz_id")));
    }

    void theMovementStepRefusesToolsOutOfStepAndNamesThem()
    {
        const QString db = made(QStringLiteral("orv_upg_refused"));
        QVERIFY(createFirstRelease(db));
        // EL-001 off stock with no movement; EL-004 on stock while transferred.
        QVERIFY(!value(db, QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = NOT nrz_przyjete_na_stan "
                                          "WHERE nrz_kod IN ('EL-001', 'EL-004') RETURNING nrz_id")).isNull());

        Run refused = upgrade(db);
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.out.contains(QLatin1String("(EL-001)")) && refused.out.contains(QLatin1String("(EL-004)"))
                         && refused.out.contains(QLatin1String("Naprawa:"))
                         && refused.out.contains(QLatin1String("stays at version 1.11.1")),
                 qPrintable(refused.out));
        QCOMPARE(version(db), QStringLiteral("1.11.0 1.11.1"));

        QVERIFY(!value(db, QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = NOT nrz_przyjete_na_stan "
                                          "WHERE nrz_kod IN ('EL-001', 'EL-004') RETURNING nrz_id")).isNull());
        Run applied = upgrade(db);
        QVERIFY2(applied.code == 0, qPrintable(applied.out));
        QCOMPARE(version(db), kAllSteps);
    }

    void refusesWhatItDoesNotKnow_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("newer") << QStringLiteral("INSERT INTO zmiany_schematu_bazy (zsb_major_release_number, "
                                                 "zsb_minor_release_number, zsb_point_release_number) VALUES (1, 11, 99)")
                               << QStringLiteral("newer than this script");
        QTest::newRow("no version table") << QStringLiteral("DROP TABLE zmiany_schematu_bazy")
                                          << QStringLiteral("not an Orvalo database");
    }
    void refusesWhatItDoesNotKnow()
    {
        QFETCH(QString, change);
        QFETCH(QString, refusal);
        const QString db = made(QStringLiteral("orv_upg_unknown_") + QString::number(m_made.size()));
        QCOMPARE(run(QStringLiteral("create.sh"), QStringLiteral("--dbname %1 --version 1.11.1").arg(db)).code, 0);
        QSqlQuery query(TestDb::openOther(QStringLiteral("upgrade_") + db, db));
        QVERIFY(query.exec(change));
        const QString schema = dump(db, QStringLiteral("--schema-only"));
        const QString data = dump(db, QStringLiteral("--data-only"));

        Run refused = upgrade(db);
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.out.contains(refusal) && refused.out.contains(QLatin1String("nothing was changed")),
                 qPrintable(refused.out));
        QCOMPARE(dump(db, QStringLiteral("--schema-only")), schema);
        QCOMPARE(dump(db, QStringLiteral("--data-only")), data);
    }

private:
    QString made(const QString &db)
    {
        m_made << db;
        return db;
    }

    QStringList m_made;
};

ORV_TEST_MAIN(TstUpgrade)
#include "tst_upgrade.moc"
