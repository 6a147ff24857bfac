#include "LogHandler.h"
#include "Startup.h"
#include "LogReader.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTranslator>
#include <QRegularExpression>

#include <memory>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Answers one connection's request for encryption with "no", as a
// PostgreSQL server without SSL does, and hangs up.
class ServerWithoutSsl
{
public:
    ServerWithoutSsl()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(m_fd, 1) != 0
            || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &len) != 0)
            return;
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] {
            const int c = ::accept(m_fd, nullptr, nullptr);
            if (c < 0)
                return;
            char request[8];
            if (::recv(c, request, sizeof request, MSG_WAITALL) == sizeof request)
                (void)!::send(c, "N", 1, 0);
            ::close(c);
        });
    }
    ~ServerWithoutSsl()
    {
        ::shutdown(m_fd, SHUT_RDWR);
        ::close(m_fd);
        if (m_thread.joinable())
            m_thread.join();
    }
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
    std::thread m_thread;
};
} // namespace

class TstApplication : public QObject
{
    Q_OBJECT

private:
    static QStringList logRecords()
    {
        QStringList out;
        QFile f(OrvLog::filePath());
        if (!f.open(QIODevice::ReadOnly))
            return out;
        while (!f.atEnd()) {
            QString r;
            if (OrvLog::decodeLine(f.readLine(), &r))
                out << r;
        }
        return out;
    }

    static QString currentDatabase()
    {
        QSqlQuery q(QSqlDatabase::database());
        if (!q.exec(QStringLiteral("SELECT current_database()")) || !q.next())
            return QString();
        return q.value(0).toString();
    }

    static QString binDir() { return qEnvironmentVariable("ORV_BIN_DIR"); }

    // Runs a copy of the program from its own folder with its own data home
    // until its login dialog waits for the user, then stops it; returns the
    // decoded records of the run's log.
    static QStringList runProgramCopy(bool withIcons, bool *waitedForLogin)
    {
        QTemporaryDir tmp;
        tmp.setAutoRemove(true);
        const QString bin = tmp.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        QFile::copy(binDir() + QStringLiteral("/orvalo"), bin + QStringLiteral("/orvalo"));
        if (withIcons)
            QFile::copy(binDir() + QStringLiteral("/orv_icons.rcc"), bin + QStringLiteral("/orv_icons.rcc"));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), tmp.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), tmp.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(bin + QStringLiteral("/orvalo"), {});
        // The profiles file is written just before the dialog is shown.
        const QString ini = tmp.filePath(QStringLiteral("data/TAV/Orvalo/dbsettings.ini"));
        QElapsedTimer clock;
        clock.start();
        while (!QFile::exists(ini) && p.state() != QProcess::NotRunning && clock.elapsed() < 60000)
            p.waitForFinished(50);
        p.waitForFinished(500);
        *waitedForLogin = QFile::exists(ini) && p.state() == QProcess::Running;
        p.kill();
        p.waitForFinished(10000);
        const QString dlog = tmp.filePath(QStringLiteral("data/TAV/Orvalo/dlog"));
        const QStringList logs = QDir(dlog).entryList({QStringLiteral("*.log")}, QDir::Files);
        if (logs.size() != 1)
            return {QStringLiteral("log files: %1").arg(logs.join(QLatin1Char(',')))};
        QStringList out = LogReader::recordsOf(dlog + QLatin1Char('/') + logs.first());
        QRegularExpression name(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d{4}-\\d\\d\\.\\d\\d\\.\\d\\d\\.log$"));
        if (!name.match(logs.first()).hasMatch())
            out.prepend(QStringLiteral("bad name ") + logs.first());
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TestDb::resetDatabase());
        QDir(OrvStartup::dataDirectory()).removeRecursively();
        QVERIFY(OrvStartup::installLog(QStringLiteral("tst_application.log")));
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(nullptr);
    }

    // A failed attempt writes only to the log and is replaced by the next.
    void connectsAlwaysToTheProgramsDatabase()
    {
        OVApplication *app = OVApplication::instance();
        const int before = logRecords().size();
        QVERIFY(!app->connectDatabase(TestDb::host(), TestDb::port(), app->databaseName(),
                                      TestDb::clientUser(), QStringLiteral("złe hasło")));
        const QStringList added = logRecords().mid(before);
        QCOMPARE(added.size(), 2);
        QCOMPARE(added.at(0), QStringLiteral(
                     "===DEBUG===\tOVApplication::connectDatabase( const QString& _hostName, "
                     "const int _port, const QString& _databaseName, const QString& _dbUserName, "
                     "const QString& _dbUserPassword )"));
        QVERIFY2(added.at(1).startsWith(QStringLiteral("===DEBUG===\t   Connection faild: \"")),
                 qPrintable(added.at(1)));

        QVERIFY(app->connectDatabase(TestDb::host(), TestDb::port(), QStringLiteral("postgres"),
                                     TestDb::clientUser(), TestDb::clientPassword()));
        QCOMPARE(currentDatabase(), QStringLiteral("TAV_ORV"));
        QCOMPARE(QSqlDatabase::database().driverName(), QStringLiteral("QPSQL"));

        QVERIFY(app->connectDatabase(TestDb::host(), TestDb::port(), app->databaseName(),
                                     TestDb::clientUser(), TestDb::clientPassword()));
        QCOMPARE(currentDatabase(), QStringLiteral("TAV_ORV"));
        QCOMPARE(QSqlDatabase::connectionNames().count(QLatin1String(QSqlDatabase::defaultConnection)), 1);
        // The server's list of sessions names the program, its release and the workstation.
        QSqlQuery session(QStringLiteral("SELECT application_name FROM pg_stat_activity WHERE pid = pg_backend_pid()"));
        QVERIFY(session.next());
        QCOMPARE(session.value(0).toString(),
                 QStringLiteral("Orvalo %1 %2").arg(QCoreApplication::applicationVersion(), QSysInfo::machineHostName()));
        // Nothing listens on port 1: no window, no open connection.
        QVERIFY(!app->connectDatabase(QStringLiteral("127.0.0.1"), 1, app->databaseName(), TestDb::clientUser(),
                                      TestDb::clientPassword()));
        QVERIFY(!QSqlDatabase::database().isOpen());
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    // The profile's encryption reaches the connection; a server whose
    // certificate the profile's CA does not vouch for is refused in Polish.
    void encryptionFollowsTheProfile()
    {
        const QString ca = qEnvironmentVariable("ORV_TEST_PGSSLCA");
        if (ca.isEmpty())
            QSKIP("the test server has no certificate");
        OVApplication *app = OVApplication::instance();
        auto connectWith = [&](const char *mode, const QString &caFile) {
            app->setConnectionSecurity(QLatin1String(mode), caFile);
            return app->connectDatabase(TestDb::host(), TestDb::port(), app->databaseName(), TestDb::clientUser(),
                                        TestDb::clientPassword());
        };
        QVERIFY(connectWith("disable", QString()));
        QVERIFY(!OVApplication::connectionEncrypted());
        QVERIFY(connectWith("require", QString()));
        QVERIFY(OVApplication::connectionEncrypted());
        QVERIFY(connectWith("verify-full", ca));
        QVERIFY(OVApplication::connectionEncrypted());

        QTemporaryDir dir;
        const QString other = dir.filePath(QStringLiteral("inny.crt"));
        QCOMPARE(QProcess::execute(QStringLiteral("openssl"),
                                   {QStringLiteral("req"), QStringLiteral("-new"), QStringLiteral("-x509"),
                                    QStringLiteral("-nodes"), QStringLiteral("-subj"), QStringLiteral("/CN=inny"),
                                    QStringLiteral("-keyout"), dir.filePath(QStringLiteral("inny.key")),
                                    QStringLiteral("-out"), other}),
                 0);
        QVERIFY(!connectWith("verify-full", other));
        QVERIFY2(app->connectFailureCause().contains(QStringLiteral("certyfikat")), qPrintable(app->connectFailureCause()));
        QVERIFY(connectWith("prefer", QString()));
        QVERIFY(app->connectFailureCause().isEmpty());

        // A server without SSL where the profile requires it.
        ServerWithoutSsl plain;
        QVERIFY(plain.port() > 0);
        app->setConnectionSecurity(QStringLiteral("require"), QString());
        QVERIFY(!app->connectDatabase(TestDb::host(), plain.port(), app->databaseName(), TestDb::clientUser(),
                                      TestDb::clientPassword()));
        QCOMPARE(app->connectFailureCause(), QStringLiteral("Serwer bazy danych nie obsługuje połączeń szyfrowanych, a "
                                                            "profil połączenia ich wymaga. Zmień szyfrowanie w "
                                                            "ustawieniach połączenia albo włącz SSL na serwerze."));
        app->setConnectionSecurity(QStringLiteral("prefer"), QString());
    }

    void loadsIconsTranslationAndCompiledImages()
    {
        QVERIFY(QFile::exists(QStringLiteral(":/grafika/brak_zdjecia")));
        QVERIFY(!QFile::exists(QStringLiteral(":/logos/orv128")));

        QVERIFY(OrvStartup::registerIconResources());
        for (const char *icon : {":/logos/orv128", ":/navbar/32/mgz2", ":/logindialog/tick.png"})
            QVERIFY2(!QIcon(QString::fromLatin1(icon)).pixmap(32, 32).isNull(), icon);
        OrvStartup::setApplicationWindowIcon();
        QVERIFY(!QApplication::windowIcon().isNull());

        std::unique_ptr<QTranslator> translator(OrvStartup::loadToolkitTranslation());
        QVERIFY(translator);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Anuluj"));
    }

    void programStartsWithAndWithoutTheIconFile_data()
    {
        QTest::addColumn<bool>("withIcons");
        QTest::newRow("with orv_icons.rcc") << true;
        QTest::newRow("without orv_icons.rcc") << false;
    }

    void programStartsWithAndWithoutTheIconFile()
    {
        QFETCH(bool, withIcons);
        bool waited = false;
        const QStringList records = runProgramCopy(withIcons, &waited);
        QVERIFY(waited);
        QVERIFY2(!records.join(QLatin1Char('\n')).contains(QStringLiteral("bad name")),
                 qPrintable(records.join(QLatin1Char('\n'))));
        const QString expected = withIcons ? QStringLiteral("orv_icons.rcc registered")
                                           : QStringLiteral("orv_icons.rcc missing");
        QVERIFY2(records.join(QLatin1Char('\n')).contains(expected), qPrintable(records.join(QLatin1Char('\n'))));
    }
};

ORV_TEST_MAIN(TstApplication)
#include "tst_application.moc"
