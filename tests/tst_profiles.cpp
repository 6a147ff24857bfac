#include "IniDbSettingsManipulator.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

class TstProfiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;
    QString dir() const { return m_dir->path(); }
    QString path() const { return dir() + QStringLiteral("/dbsettings.ini"); }

private Q_SLOTS:
    void init() { m_dir = new QTemporaryDir; QVERIFY(m_dir->isValid()); }
    void cleanup() { delete m_dir; m_dir = nullptr; }

    void writesTheDefaultFileWhenThereIsNone()
    {
        {
            IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
            QCOMPARE(ini.fileName(), QStringLiteral("dbsettings.ini"));
            QCOMPARE(ini.directory(), dir());
            QVERIFY(ini.isEmpty());
            ini.createDefault();
            QVERIFY(!ini.isEmpty());
        }
        QVERIFY(QFile::exists(path()));

        // Read back as another workstation would: a fresh object on the file.
        IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
        const QString name = QStringLiteral("domyślne");
        QCOMPARE(ini.connections().size(), 1);
        QCOMPARE(ini.connections().first().first, name);
        QCOMPARE(ini.connections().first().second,
                 QStringLiteral("Domyślne połączenie, prawidłowe jeśli program jest uruchamiany "
                                "na tym samym komputerze co baza danych."));
        QVERIFY(ini.contains(name));
        QVERIFY(!ini.contains(QStringLiteral("Domyślne")));
        QCOMPARE(ini.host(name), QStringLiteral("localhost"));
        QCOMPARE(ini.port(name), 5432);
        QCOMPARE(ini.dbUser(name), QStringLiteral("tav_orv_user"));
        QCOMPARE(ini.value(name, QStringLiteral("db_user_password")).toString(),
                 QString::fromLatin1(QByteArray("MOB_tae").toBase64()));
        QCOMPARE(ini.dbUserPassword(name, QStringLiteral("1.0.0.0")), QStringLiteral("MOB_tae"));

        QSettings raw(path(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("main/company")).toString(), QStringLiteral("TAV"));
        QCOMPARE(raw.value(QStringLiteral("main/domain")).toString(), QStringLiteral("tav.com.pl"));
        QCOMPARE(raw.value(QStringLiteral("main/name")).toString(), QStringLiteral("Orvalo"));
        QCOMPARE(raw.value(QStringLiteral("main/fileversion")).toString(), QStringLiteral("1.0.0.0"));
    }

    void roundTripsProfiles()
    {
        const QString password = QStringLiteral("Zażółć gęślą jaźń = \"x\";\\");
        {
            IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
            ini.saveConnection(QStringLiteral("Biuro Łódź"), QStringLiteral("10.0.0.7"), 6543,
                               QStringLiteral("magazynier"), password, QStringLiteral("Serwer; w biurze"));
            ini.saveConnection(QStringLiteral("alfa"), QStringLiteral("db"), 5432,
                               QStringLiteral("u"), QString(), QString());
            ini.sync();
        }
        IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
        const QString name = QStringLiteral("Biuro Łódź");
        QVERIFY(ini.contains(name));
        QCOMPARE(ini.host(name), QStringLiteral("10.0.0.7"));
        QCOMPARE(ini.port(name), 6543);
        QCOMPARE(ini.dbUser(name), QStringLiteral("magazynier"));
        QCOMPARE(ini.hint(name), QStringLiteral("Serwer; w biurze"));
        QCOMPARE(ini.dbUserPassword(name, QStringLiteral("1.0.0.0")), password);
        QCOMPARE(ini.dbUserPassword(QStringLiteral("alfa"), QStringLiteral("1.0.0.0")), QString());
        // Passwords never stand in the file as typed.
        QFile f(path());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(!f.readAll().contains("gęślą"));

        // Sorted by name, as the settings layer returns its groups.
        QCOMPARE(ini.connections().first().first, QStringLiteral("Biuro Łódź"));
        QCOMPARE(ini.connections().last().first, QStringLiteral("alfa"));

        // Overwriting a profile keeps one group.
        ini.saveConnection(QStringLiteral("alfa"), QStringLiteral("db2"), 1, QStringLiteral("u"),
                           QStringLiteral("p"), QString());
        QCOMPARE(ini.connections().size(), 2);
        QCOMPARE(ini.host(QStringLiteral("alfa")), QStringLiteral("db2"));

        QVERIFY(!ini.value(QStringLiteral("brak"), QStringLiteral("host")).isValid());
        QCOMPARE(ini.port(QStringLiteral("brak")), 0);
    }

    void portThatIsNotANumberReadsAsZero()
    {
        {
            QSettings raw(path(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("connections/x/port"), QStringLiteral("pięć"));
        }
        IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
        QCOMPARE(ini.port(QStringLiteral("x")), 0);
    }

    void upgradesPlainTextPasswords()
    {
        {
            QSettings raw(path(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("main/fileversion"), QStringLiteral("0.9.0.0"));
            raw.setValue(QStringLiteral("connections/stare/host"), QStringLiteral("serwer"));
            raw.setValue(QStringLiteral("connections/stare/port"), 5433);
            raw.setValue(QStringLiteral("connections/stare/db_user"), QStringLiteral("tav_orv_user"));
            raw.setValue(QStringLiteral("connections/stare/db_user_password"), QStringLiteral("hasło_1"));
            raw.setValue(QStringLiteral("connections/drugie/db_user_password"), QStringLiteral("MOB_tae"));
        }
        {
            IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
            QCOMPARE(ini.dbUserPassword(QStringLiteral("stare"), QStringLiteral("1.0.0.0")),
                     QStringLiteral("hasło_1"));
        }
        QSettings raw(path(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("main/fileversion")).toString(), QStringLiteral("1.0.0.0"));
        QCOMPARE(raw.value(QStringLiteral("connections/stare/db_user_password")).toString(),
                 QString::fromLatin1(QStringLiteral("hasło_1").toUtf8().toBase64()));
        QCOMPARE(raw.value(QStringLiteral("connections/drugie/db_user_password")).toString(),
                 QStringLiteral("TU9CX3RhZQ=="));

        // A second opening must not encode the passwords twice.
        IniDbSettingsManipulator again(QStringLiteral("dbsettings.ini"), dir());
        QCOMPARE(again.dbUserPassword(QStringLiteral("stare"), QStringLiteral("1.0.0.0")),
                 QStringLiteral("hasło_1"));
        QCOMPARE(again.port(QStringLiteral("stare")), 5433);
    }

    void deletingEveryProfileLeavesTheFileNonEmpty()
    {
        {
            IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
            ini.createDefault();
            ini.saveConnection(QStringLiteral("drugi"), QStringLiteral("h"), 1, QStringLiteral("u"),
                               QStringLiteral("p"), QString());
            ini.removeConnection(QStringLiteral("domyślne"));
            ini.removeConnection(QStringLiteral("drugi"));
            ini.sync();
            QVERIFY(ini.connections().isEmpty());
        }
        IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
        QVERIFY(!ini.isEmpty());
        QVERIFY(ini.connections().isEmpty());
        QVERIFY(!ini.contains(QStringLiteral("domyślne")));
    }

    void passwordIsReadUpToTheFirstZeroByte()
    {
        {
            QSettings raw(path(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("connections/z/db_user_password"),
                         QString::fromLatin1(QByteArray("abc\0def", 7).toBase64()));
        }
        IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
        QCOMPARE(ini.dbUserPassword(QStringLiteral("z"), QStringLiteral("1.0.0.0")), QStringLiteral("abc"));
    }

    // Damaged or unreadable files: the program goes on as with no file.
    void survivesBadFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("binary garbage") << QByteArray("\xff\xfe\x00\x01[[[\x80\x81=\n\x00zz", 14);
        QTest::newRow("broken section") << QByteArray("[main\nfileversion=0.9.0.0\n[connections]\n=x\n");
        QTest::newRow("empty") << QByteArray();
    }

    void survivesBadFiles()
    {
        QFETCH(QByteArray, content);
        {
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        {
            IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
            if (ini.isEmpty())
                ini.createDefault();
            ini.connections();
            ini.dbUserPassword(QStringLiteral("domyślne"), QStringLiteral("1.0.0.0"));
        }
        // The next start finds a usable file.
        IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
        QVERIFY(!ini.isEmpty());
    }

    void fileThatCannotBeOpenedBehavesAsEmpty()
    {
        // A folder in place of the file: neither readable nor writable as INI.
        QVERIFY(QDir(dir()).mkdir(QStringLiteral("dbsettings.ini")));
        IniDbSettingsManipulator ini(QStringLiteral("dbsettings.ini"), dir());
        QVERIFY(ini.isEmpty());
        ini.createDefault();
        ini.sync();
        ini.saveConnection(QStringLiteral("a"), QStringLiteral("h"), 1, QStringLiteral("u"),
                           QStringLiteral("p"), QString());
        ini.sync();
        QVERIFY(QFileInfo(path()).isDir());
    }
};

ORV_TEST_MAIN(TstProfiles)
#include "tst_profiles.moc"
