#include "IniDbSettingsManipulator.h"
#include "LogInDialog.h"
#include "LogReader.h"
#include "MainWindow.h"
#include "ModalDriver.h"
#include "OProgramie.h"
#include "Session.h"
#include "TAVEwidencja.h"
#include "TestMain.h"
#include "TestUi.h"
#include "UrlCatcher.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QTemporaryDir>
#include <QPointer>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>

class TstHelp : public QObject
{
    Q_OBJECT

private:
    static QString binDir() { return QCoreApplication::applicationDirPath(); }
    static QString manualPath() { return binDir() + QStringLiteral("/pomoc/orv_pomoc.html"); }
    static QString text(QWidget &w, const char *browser)
    {
        return w.findChild<QTextBrowser *>(QLatin1String(browser))->toPlainText();
    }

    UrlCatcher m_browser;

private Q_SLOTS:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_browser, "open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    // The login dialog's "?" and the menu entry open the manual in the
    // browser; "i" and "O programie" show the about box.
    void helpAndAboutAreReachable()
    {
        const QUrl manual = QUrl::fromLocalFile(manualPath());
        QVERIFY(manual.toString().startsWith(QStringLiteral("file:///")) && !manual.toString().startsWith(QStringLiteral("file:////")));
        QTemporaryDir dir;
        IniDbSettingsManipulator settings(QStringLiteral("dbsettings.ini"), dir.path());
        settings.createDefault();
        LogInDialog login(&settings);
        ModalDriver driver;
        for (int i = 0; i < 2; ++i)
            driver.closeNext();
        driver.expectBox(QStringLiteral("Sprawdzanie aktualizacji"));
        LogReader log(QStringLiteral("tst_help.log"));
        QTest::mouseClick(login.findChild<QToolButton *>(QStringLiteral("tbPomoc")), Qt::LeftButton);
        QCOMPARE(log.records(), (QStringList{QStringLiteral("===DEBUG===\tOVApplication::openHelp()"),
                                             QStringLiteral("===DEBUG===\t   help path: \"%1\"").arg(manual.toString())}));
        QTest::mouseClick(login.findChild<QToolButton *>(QStringLiteral("tbInfo")), Qt::LeftButton);

        QVERIFY(Session::start(QStringLiteral("admin")));
        MainWindow w;
        w.findChild<QAction *>(QStringLiteral("actionHelp"))->trigger();
        w.findChild<QAction *>(QStringLiteral("actionAbout"))->trigger();
        QCOMPARE(m_browser.urls, (QList<QUrl>{manual, manual}));
        QCOMPARE(driver.count(), 2);
        QCOMPARE(driver.seen().at(0).className, QStringLiteral("OProgramie"));
        QCOMPARE(driver.seen().at(1).className, QStringLiteral("OProgramie"));
        // Nothing listens on port 1: the check answers that it cannot check.
        OVApplication::instance()->setUpdateUrl(QUrl(QStringLiteral("http://127.0.0.1:1/orvalo_update.html")));
        w.findChild<QAction *>(QStringLiteral("actionUpdate"))->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(driver.count(), 3, 10000);
        QCOMPARE(driver.last().title, QStringLiteral("Sprawdzanie aktualizacji"));
    }

    // F1 opens the manual at the section of what the user works in; when
    // the desktop cannot open it, the program's own viewer shows it.
    void f1OpensTheSection()
    {
        QVERIFY(Session::start(QStringLiteral("admin")));
        MainWindow w;
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        m_browser.urls.clear();
        QTest::keyClick(&w, Qt::Key_F1);
        QTest::mouseClick(w.palette()->findChild<QToolButton *>(QStringLiteral("tb_mgz2")), Qt::LeftButton);
        auto *warehouses = qobject_cast<TAVEwidencja *>(w.tabs()->currentWidget());
        QVERIFY(warehouses);
        QTest::keyClick(warehouses->tableView(), Qt::Key_F1);
        TAVEwidencja employees(QStringLiteral("PracownicyModel"), QString(), QString());
        QVERIFY(employees.selectKey(1));
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            QTest::keyClick(d, Qt::Key_F1);
            TestUi::pressCancel(d);
        });
        TRIGGER(employees, "Edytuj");
        QStringList sections;
        for (const QUrl &url : m_browser.urls)
            sections << url.fragment();
        QCOMPARE(sections, (QStringList{"okno-glowne", "magazyny", "pracownicy"}));
        QCOMPARE(m_browser.urls.last().adjusted(QUrl::RemoveFragment), QUrl::fromLocalFile(manualPath()));

        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QTest::keyClick(warehouses->tableView(), Qt::Key_F1);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_browser, "open");
        QPointer<QWidget> viewer = OVApplication::instance()->helpViewer();
        QVERIFY(viewer && viewer->isVisible());
        auto *browser = viewer->findChild<QTextBrowser *>();
        QCOMPARE(browser->source().fragment(), QStringLiteral("magazyny"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Magazyny i lokalizacje")));
        QVERIFY(!browser->document()->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("img/magazyny.png"))).isNull());
        viewer->close();
        QTRY_VERIFY(!viewer);
    }

    // The documents beside the executable fill the tabs; missing ones leave
    // them empty, and neither they nor a missing manual raise anything.
    void aboutBoxShowsTheDocuments()
    {
        {
            // Below the expected version, what the database, Qt and the server really are.
            QVERIFY(Session::start());
            QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO zmiany_schematu_bazy (zsb_major_release_number, "
                                                "zsb_minor_release_number, zsb_point_release_number) VALUES (1, 11, 7)")));
            OProgramie about;
            QCOMPARE(about.findChild<QLabel *>(QStringLiteral("laWersjaProgramu"))->text(), QStringLiteral("<b>1.0.0.0</b>"));
            QCOMPARE(about.findChild<QLabel *>(QStringLiteral("laWersjaBazy"))->text(), QStringLiteral("<b>%1</b>").arg(OVApplication::expectedSchemaVersion()));
            QCOMPARE(about.findChild<QLabel *>(QStringLiteral("laWersjaBazySerwera"))->text(), QStringLiteral("<b>01.11.0007</b>"));
            QCOMPARE(about.findChild<QLabel *>(QStringLiteral("laWersjaQt"))->text(), QStringLiteral("<b>%1</b>").arg(qVersion()));
            QCOMPARE(about.findChild<QLabel *>(QStringLiteral("laWersjaPostgreSQL"))->text(),
                     QStringLiteral("<b>%1</b>").arg(TestDb::scalar(QStringLiteral("SHOW server_version")).toString()));
            QVERIFY(text(about, "txtBrowserLicencja").contains(QStringLiteral("Warunki licencji programu Orvalo")));
            QVERIFY(text(about, "textBrowser").contains(QStringLiteral("Składniki osób trzecich")));
        }
        const QStringList documents{OProgramie::licencePath(), OProgramie::legalNotesPath(), manualPath()};
        for (const QString &path : documents)
            QVERIFY(QFile::rename(path, path + QStringLiteral(".hidden")));
        ModalDriver driver;
        {
            OProgramie about;
            QVERIFY(text(about, "txtBrowserLicencja").isEmpty() && text(about, "textBrowser").isEmpty());
        }
        OVApplication::instance()->openHelp();
        for (const QString &path : documents)
            QVERIFY(QFile::rename(path + QStringLiteral(".hidden"), path));
        QCOMPARE(driver.count(), 0);
    }

    // Every picture and in-page link of the shipped manual leads somewhere.
    void manualLinksResolve()
    {
        QFile file(manualPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        QStringList ids;
        for (const auto &m : QRegularExpression(QStringLiteral(" id=\"([^\"]+)\"")).globalMatch(html))
            ids << m.captured(1);
        int images = 0;
        for (const auto &m : QRegularExpression(QStringLiteral("<img src=\"([^\"]+)\"")).globalMatch(html)) {
            QVERIFY2(!QImage(binDir() + QStringLiteral("/pomoc/") + m.captured(1)).isNull(), qPrintable(m.captured(1)));
            ++images;
        }
        QVERIFY(images >= 20);
        for (const auto &m : QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(html))
            QVERIFY2(ids.contains(m.captured(1)), qPrintable(m.captured(1)));
    }
};

ORV_TEST_MAIN(TstHelp)
#include "tst_help.moc"
