#include "ModalDriver.h"
#include "OVApplication.h"
#include "TestMain.h"

#include <QTcpServer>
#include <QTcpSocket>

// The maker's site on the loopback: one fixed HTTP answer to every request,
// or (with a null body) no answer at all.
class UpdateServer : public QTcpServer
{
public:
    UpdateServer(int status, const QByteArray &body)
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this, status, body] {
            QTcpSocket *socket = nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket, status, body] {
                request += socket->readAll();
                if (!request.contains("\r\n\r\n") || body.isNull())
                    return;
                socket->write("HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Length: "
                              + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
                socket->disconnectFromHost();
            });
        });
    }
    // Starts the program's check against this server.
    void check(int timeout = 5000)
    {
        OVApplication::instance()->setUpdateUrl(
                QUrl(QStringLiteral("http://127.0.0.1:%1/orvalo_update.html").arg(serverPort())));
        OVApplication::instance()->setUpdateTimeout(timeout);
        OVApplication::instance()->checkForUpdate();
    }
    QByteArray request;
};

class TstUpdateCheck : public QObject
{
    Q_OBJECT

private:
    static QString unavailable()
    {
        return QStringLiteral("Nie można w tej chwili przeprowadzić sprawdzenia aktualizacji. Proszę spróbować "
                              "ponownie za jakiś czas.");
    }

private Q_SLOTS:
    void answerIsShown_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text"); // a trailing "…" compares the beginning only
        const QString newer = QStringLiteral("Jest dostępna aktualizacja programu na stronie producenta.\n");
        const QString problem = QStringLiteral("Wystąpił problem z odczytem aktualizacji. Proszę spróbować ponownie "
                                               "za jakiś czas. Jeśli sytuacja będzie się powtarzała proszę ją "
                                               "zgłosić.\n\nSzczegóły błędu: …");
        QTest::newRow("same version, url after it")
                << 200 << QByteArray("<u><version>7</version><newer_version>1.0.0.0</newer_version><url>x</url></u>")
                << QStringLiteral("Posiadasz aktualną wersję programu.");
        QTest::newRow("newer with url")
                << 200 << QByteArray("<?xml version=\"1.0\"?>\n<u><newer_version>1.0.1.0</newer_version>"
                                     "<url>http://www.tav.com.pl/pobierz</url></u>")
                << newer + QStringLiteral(" Program do pobrania pod adresem <b>http://www.tav.com.pl/pobierz</b>");
        // Markup arriving from the network stays text.
        QTest::newRow("markup in url") << 200 << QByteArray("<u><newer_version>0.9</newer_version>"
                                                            "<url>&lt;a href='x'&gt;&amp;</url></u>")
                                       << newer + QStringLiteral(" Program do pobrania pod adresem "
                                                                 "<b>&lt;a href='x'&gt;&amp;</b>");
        QTest::newRow("neither element") << 200 << QByteArray("<u/>") << QString();
        QTest::newRow("404") << 404 << QByteArray("brak") << unavailable();
        QTest::newRow("malformed") << 200 << QByteArray("<u><newer_version>1.0.1.0</u>") << problem;
        QTest::newRow("empty") << 200 << QByteArray("") << problem;
    }
    void answerIsShown()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        UpdateServer server(status, body);
        ModalDriver driver;
        driver.expectBox(QStringLiteral("Sprawdzanie aktualizacji"));
        server.check();
        QTRY_COMPARE_WITH_TIMEOUT(driver.count(), 1, 10000);
        QCOMPARE(driver.last().title, QStringLiteral("Sprawdzanie aktualizacji"));
        if (text.endsWith(QChar(0x2026))) {
            QVERIFY2(driver.last().text.startsWith(text.chopped(1)), qPrintable(driver.last().text));
            QVERIFY(driver.last().text.contains(QRegularExpression(QStringLiteral(" \\| l: \\d+ \\| c: \\d+ \\| o: \\d+$"))));
        } else {
            QCOMPARE(driver.last().text, text);
        }
        // Nothing but a plain GET of the document.
        QVERIFY2(server.request.startsWith("GET /orvalo_update.html HTTP/1.1\r\n"), server.request.constData());
    }

    // A server that never answers: the check gives up and says so, and a
    // check started meanwhile shows its own answer first.
    void silentServerDoesNotBlock()
    {
        UpdateServer silent(200, QByteArray());
        UpdateServer answering(200, "<u><newer_version>1.0.0.0</newer_version></u>");
        ModalDriver driver;
        driver.expectBox(QStringLiteral("Sprawdzanie aktualizacji"));
        driver.expectBox(QStringLiteral("Sprawdzanie aktualizacji"));
        silent.check(1500);
        answering.check();
        QTRY_COMPARE_WITH_TIMEOUT(driver.count(), 1, 5000);
        QCOMPARE(driver.last().text, QStringLiteral("Posiadasz aktualną wersję programu."));
        QTRY_COMPARE_WITH_TIMEOUT(driver.count(), 2, 10000);
        QCOMPARE(driver.last().text, unavailable());
    }
};

ORV_TEST_MAIN(TstUpdateCheck)
#include "tst_updatecheck.moc"
