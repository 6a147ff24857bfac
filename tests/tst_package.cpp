#include "LogHandler.h"
#include "LogReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The workstation package, built by CPack and unpacked into a scratch root
// the way dpkg lays it out.
class TstPackage : public QObject
{
    Q_OBJECT

private:
    static QByteArray run(const QString &program, const QStringList &args, const QString &dir = QString())
    {
        QProcess p;
        p.setWorkingDirectory(dir);
        p.start(program, args);
        p.waitForFinished(240000);
        if (p.exitCode() != 0)
            qWarning() << program << args << p.readAllStandardError();
        return p.exitCode() == 0 ? p.readAllStandardOutput() : QByteArray();
    }

    QTemporaryDir m_tmp;

private Q_SLOTS:
    void installedProgramFindsItsFiles()
    {
        const QString out = m_tmp.filePath(QStringLiteral("pkg"));
        const QString root = m_tmp.filePath(QStringLiteral("root"));
        run(QStringLiteral("cpack"), {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out},
            QStringLiteral(ORV_BUILD_DIR));
        const QStringList debs = QDir(out).entryList({QStringLiteral("orvalo_*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        const QString deb = out + QLatin1Char('/') + debs.first();
        const QByteArray depends = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
        for (const char *package : {"libqt6sql6-psql", "qt6-qpa-plugins", "libqt6widgets6", "libpq5"})
            QVERIFY2(depends.contains(package), package);
        run(QStringLiteral("dpkg"), {QStringLiteral("-x"), deb, root});

        QStringList tools{QStringLiteral("orvalo"), QStringLiteral("orvalo-log")};
        if (QFile::exists(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orvalo-report")))
            tools << QStringLiteral("orvalo-report");
        for (const QString &tool : tools) {
            const QFileInfo link(root + QStringLiteral("/usr/bin/") + tool);
            QVERIFY2(link.isSymLink() && link.isExecutable(), qPrintable(tool));
            QCOMPARE(link.canonicalFilePath(), QFileInfo(root + QStringLiteral("/usr/lib/orvalo/") + tool).canonicalFilePath());
        }
        QFile desktop(root + QStringLiteral("/usr/share/applications/orvalo.desktop"));
        QVERIFY(desktop.open(QIODevice::ReadOnly));
        const QByteArray entry = desktop.readAll();
        QVERIFY(entry.contains("\nExec=orvalo\n") && entry.contains("\nIcon=orvalo\n"));
        QVERIFY(!QImage(root + QStringLiteral("/usr/share/icons/hicolor/128x128/apps/orvalo.png")).isNull());
        for (const char *script : {"create.sh", "upgrade.sh"})
            QVERIFY2(QFileInfo(root + QStringLiteral("/usr/share/orvalo/schema/") + QLatin1String(script)).isExecutable(), script);
        QVERIFY(QFileInfo::exists(root + QStringLiteral("/usr/share/orvalo/schema/steps/1.11.0.sql")));

        // Started through /usr/bin, the program finds its icon file and its
        // manual beside the real executable; its log says so. The profiles
        // file is written just before the login dialog shows.
        const QString data = m_tmp.filePath(QStringLiteral("data"));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_tmp.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), data);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(root + QStringLiteral("/usr/bin/orvalo"), {});
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(data + QStringLiteral("/TAV/Orvalo/dbsettings.ini")) && clock.elapsed() < 60000
               && p.state() != QProcess::NotRunning)
            p.waitForFinished(50);
        p.kill();
        p.waitForFinished();
        const QFileInfoList logs = QDir(data + QStringLiteral("/TAV/Orvalo/dlog")).entryInfoList(QDir::Files);
        QCOMPARE(logs.size(), 1);
        const QStringList records = LogReader::recordsOf(logs.first().filePath());
        QVERIFY2(records.contains(QStringLiteral("===DEBUG===\t   icon resources: orv_icons.rcc registered"))
                         && records.contains(QStringLiteral("===DEBUG===\t   help: pomoc/orv_pomoc.html found")),
                 qPrintable(records.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TstPackage)
#include "tst_package.moc"
