#include "LogHandler.h"
#include "Startup.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

class TstLog : public QObject
{
    Q_OBJECT

private:
    static QStringList decodedLines(const QString &path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QStringList out;
        while (!file.atEnd()) {
            QString record;
            if (!OrvLog::decodeLine(file.readLine(), &record))
                out << QStringLiteral("<invalid>");
            else
                out << record;
        }
        return out;
    }

    static QString binDir() { return qEnvironmentVariable("ORV_BIN_DIR"); }

private Q_SLOTS:
    void cleanup()
    {
        qInstallMessageHandler(nullptr);
        OrvLog::setFilePath(QString());
    }

    void encodesRecords_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("debug") << int(QtDebugMsg) << QStringLiteral("abc")
                               << QByteArray("===DEBUG===\tabc");
        QTest::newRow("warning") << int(QtWarningMsg) << QStringLiteral("w")
                                 << QByteArray("===WARNING===\tw");
        QTest::newRow("critical") << int(QtCriticalMsg) << QStringLiteral("c")
                                  << QByteArray("===CRITICAL===\tc");
        QTest::newRow("fatal") << int(QtFatalMsg) << QStringLiteral("f")
                               << QByteArray("===FATAL===\tf");
        QTest::newRow("polish letters") << int(QtDebugMsg) << QStringLiteral("Łódź, żółć")
                                        << QByteArray("===DEBUG===\t\xc5\x81\xc3\xb3""d\xc5\xba, "
                                                      "\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87");
    }

    void encodesRecords()
    {
        QFETCH(int, type);
        QFETCH(QString, message);
        QFETCH(QByteArray, record);
        const QByteArray line = OrvLog::encodeRecord(QtMsgType(type), message);
        QCOMPARE(line, record.toBase64());
        QVERIFY(!line.contains('\n'));
        QString decoded;
        QVERIFY(OrvLog::decodeLine(line + "\n", &decoded));
        QCOMPARE(decoded.toUtf8(), record);
    }

    void rejectsLinesThatAreNotBase64()
    {
        QVERIFY(!OrvLog::decodeLine("to nie jest $$$ base64", nullptr));
    }

    // Folder created on demand, one line per message, a second run in the
    // same second appends to the same file.
    void writesIntoTheDlogFolderOfTheDataDirectory()
    {
        const QString dataDir = OrvStartup::dataDirectory();
        QVERIFY(dataDir.contains(QStringLiteral("Orvalo")));
        QDir(dataDir).removeRecursively();

        const QString name = QStringLiteral("05.12.2026-02.11.00.log");
        QVERIFY(OrvStartup::installLog(name));
        QVERIFY(QFileInfo(dataDir + QStringLiteral("/dlog")).isDir());
        QCOMPARE(OrvLog::filePath(), QDir(dataDir).absolutePath() + QStringLiteral("/dlog/") + name);
        QCOMPARE(OrvLog::fileName(), name);

        qDebug("abc");
        qWarning() << "   value:" << QStringLiteral("zażółć");
        QVERIFY(OrvStartup::installLog(name));
        qCritical("drugie uruchomienie");

        const QStringList lines = decodedLines(OrvLog::filePath());
        QCOMPARE(lines, QStringList({QStringLiteral("===DEBUG===\tabc"),
                                     QStringLiteral("===WARNING===\t   value: \"zażółć\""),
                                     QStringLiteral("===CRITICAL===\tdrugie uruchomienie")}));
    }

    void runsWithoutLogWhenTheFolderCannotBeMade()
    {
        const QString dataDir = OrvStartup::dataDirectory();
        QDir(dataDir).removeRecursively();
        QDir().mkpath(QFileInfo(dataDir).absolutePath());
        {
            // A plain file where the data directory should be.
            QFile blocker(dataDir);
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        QVERIFY(!OrvStartup::installLog(QStringLiteral("x.log")));
        QVERIFY(OrvLog::filePath().isEmpty());
        qDebug("dropped");
        qWarning("dropped too");
        QVERIFY(QFileInfo(dataDir).isFile());
        QFile::remove(dataDir);
    }

    void writesTheFatalMessageBeforeAborting()
    {
        QTemporaryDir tmp;
        const QString log = tmp.filePath(QStringLiteral("fatal.log"));
        QProcess helper;
        helper.start(binDir() + QStringLiteral("/orv_fatal_helper"), {log});
        QVERIFY(helper.waitForFinished(30000));
        QCOMPARE(helper.exitStatus(), QProcess::CrashExit);
        QCOMPARE(decodedLines(log),
                 QStringList({QStringLiteral("===DEBUG===\tprzed końcem"),
                              QStringLiteral("===FATAL===\tkoniec pracy: błąd krytyczny")}));
    }

    void readingToolPrintsDecodedLines()
    {
        QTemporaryDir tmp;
        const QString log = tmp.filePath(QStringLiteral("a.log"));
        {
            QFile f(log);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(OrvLog::encodeRecord(QtDebugMsg, QStringLiteral("TAVTableModel::select()")) + "\n");
            f.write(OrvLog::encodeRecord(QtWarningMsg, QStringLiteral("   ąę")) + "\n");
        }
        QProcess tool;
        tool.start(binDir() + QStringLiteral("/orvalo-log"), {log});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()),
                 QStringLiteral("===DEBUG===\tTAVTableModel::select()\n===WARNING===\t   ąę\n"));

        {
            QFile f(log);
            QVERIFY(f.open(QIODevice::Append));
            f.write("***\n");
        }
        tool.start(binDir() + QStringLiteral("/orvalo-log"), {log});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains(":3: not a log record"));
    }
};

ORV_TEST_MAIN(TstLog)
#include "tst_log.moc"
