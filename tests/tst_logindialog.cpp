// The connection profiles file and the login dialog that edits it.

#include "CapsLock.h"
#include "IniDbSettingsManipulator.h"
#include "LogInDbSettingsDialog.h"
#include "LogInDialog.h"
#include "ModalDriver.h"
#include "TestMain.h"
#include "TestUi.h"
#include "UrlCatcher.h"

#include <QBuffer>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

class TstLogInDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<IniDbSettingsManipulator> m_settings;

    QString path() const { return m_dir->filePath(QStringLiteral("dbsettings.ini")); }
    std::unique_ptr<IniDbSettingsManipulator> reopen() const
    {
        return std::make_unique<IniDbSettingsManipulator>(QStringLiteral("dbsettings.ini"), m_dir->path());
    }
    QByteArray fileBytes() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    template <typename T>
    static T *w(QWidget &d, const char *name) { return d.findChild<T *>(QString::fromLatin1(name)); }
    static QComboBox *combo(LogInDialog &d) { return w<QComboBox>(d, "cbPolaczenie"); }

    // Fills the profile editor (null texts are left as shown) and presses
    // OK or Cancel; what the editor showed first lands in *shown.
    static std::function<void(QWidget *)> fill(const QStringList &values, bool ok = true, QStringList *shown = nullptr)
    {
        return [values, ok, shown](QWidget *editor) {
            QVERIFY(qobject_cast<LogInDbSettingsDialog *>(editor));
            const char *names[] = {"leConnection", "leHost", "lePort", "leUzytkownik", "leHaslo", "leOpis"};
            for (int i = 0; i < 6; ++i) {
                auto *le = w<QLineEdit>(*editor, names[i]);
                if (shown)
                    *shown << le->text();
                if (!values.value(i).isNull())
                    le->setText(values.at(i));
            }
            ok ? static_cast<QDialog *>(editor)->accept() : static_cast<QDialog *>(editor)->reject();
        };
    }

private Q_SLOTS:
    void init()
    {
        OrvCapsLock::setProbe([] { return false; });
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = reopen();
        m_settings->saveConnection(QStringLiteral("domyślne"), QStringLiteral("localhost"), 5432,
                                   QStringLiteral("tav_orv_user"), QStringLiteral("MOB_tae"),
                                   QStringLiteral("Serwer lokalny"));
        m_settings->saveConnection(QStringLiteral("biuro"), QStringLiteral("db.biuro.lan"), 6543,
                                   QStringLiteral("magazyn"), QStringLiteral("tajne'\\hasło = \"x\";"),
                                   QStringLiteral("Serwer; w biurze"));
        QVERIFY(m_settings->sync());
    }

    void cleanup()
    {
        m_settings.reset();
        m_dir.reset();
        OrvCapsLock::setProbe({});
    }

    // Read back as the next start reads it: a fresh object on the file.
    void profilesSurviveARestart()
    {
        m_settings.reset();
        auto ini = reopen();
        QCOMPARE(ini->connections(), (QList<QPair<QString, QString>>{{"biuro", "Serwer; w biurze"},
                                                                      {"domyślne", "Serwer lokalny"}}));
        QCOMPARE(ini->host(QStringLiteral("biuro")), QStringLiteral("db.biuro.lan"));
        QCOMPARE(ini->port(QStringLiteral("biuro")), 6543);
        QCOMPARE(ini->dbUserPassword(QStringLiteral("biuro"), QStringLiteral("1.0.0.0")),
                 QStringLiteral("tajne'\\hasło = \"x\";"));
        QVERIFY(!fileBytes().contains("tajne"));
        ini->removeConnection(QStringLiteral("biuro"));
        ini->removeConnection(QStringLiteral("domyślne"));
        QVERIFY(ini->sync());
        QVERIFY(ini->connections().isEmpty());

        // A first start writes the default profile.
        QVERIFY(QFile::remove(path()));
        reopen()->createDefault();
        QCOMPARE(reopen()->dbUserPassword(QStringLiteral("domyślne"), QStringLiteral("1.0.0.0")),
                 QStringLiteral("MOB_tae"));
        QCOMPARE(QSettings(path(), QSettings::IniFormat).value(QStringLiteral("main/fileversion")).toString(),
                 QStringLiteral("1.0.0.0"));
    }

    // A profile written before encryption settings existed connects as it
    // did, and its file stays as it was; a new profile requires encryption.
    void encryptionIsKeptPerProfile()
    {
        QCOMPARE(m_settings->sslMode(QStringLiteral("biuro")), QStringLiteral("prefer"));
        QVERIFY(!fileBytes().contains("ssl"));
        LogInDbSettingsDialog fresh(QStringLiteral("nowe"), QStringLiteral("db"), 5432, QString(), QString(), QString());
        QCOMPARE(fresh.sslMode(), QStringLiteral("require"));
        fresh.setSsl(QStringLiteral("verify-full"), QStringLiteral("/etc/orvalo/ca.crt"));
        m_settings->setSsl(QStringLiteral("biuro"), fresh.sslMode(), fresh.caFile());
        QVERIFY(m_settings->sync());
        m_settings.reset();
        auto ini = reopen();
        QCOMPARE(ini->sslMode(QStringLiteral("biuro")), QStringLiteral("verify-full"));
        QCOMPARE(ini->sslRootCert(QStringLiteral("biuro")), QStringLiteral("/etc/orvalo/ca.crt"));
        QCOMPARE(ini->sslMode(QStringLiteral("domyślne")), QStringLiteral("prefer"));
    }

    void upgradesPlainTextPasswordsOnce()
    {
        m_settings.reset();
        {
            QSettings raw(path(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("main/fileversion"), QStringLiteral("0.9.0.0"));
            raw.setValue(QStringLiteral("connections/biuro/db_user_password"), QStringLiteral("hasło_1"));
        }
        QCOMPARE(reopen()->dbUserPassword(QStringLiteral("biuro"), QStringLiteral("1.0.0.0")), QStringLiteral("hasło_1"));
        QSettings raw(path(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("main/fileversion")).toString(), QStringLiteral("1.0.0.0"));
        // A second opening must not encode it twice.
        QCOMPARE(reopen()->dbUserPassword(QStringLiteral("biuro"), QStringLiteral("1.0.0.0")), QStringLiteral("hasło_1"));
    }

    // A file that does not read back as profiles is kept aside, whole, and
    // the program starts as with no file.
    void damagedFileIsMovedAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("damaged");
        QByteArray noise(4096, '\0');
        for (char &c : noise)
            c = char(QRandomGenerator::global()->bounded(256));
        QByteArray png;
        QBuffer buffer(&png);
        QImage(32, 32, QImage::Format_RGB32).save(&buffer, "PNG");
        QTest::newRow("random bytes") << noise << true;
        QTest::newRow("png") << png << true;
        QTest::newRow("text without profiles") << QByteArray("lorem ipsum\ndolor sit amet\n") << true;
        QTest::newRow("broken section") << QByteArray("[main\nfileversion=0.9.0.0\n[connections]\n=x\n") << true;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void damagedFileIsMovedAside()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, damaged);
        m_settings.reset();
        {
            QFile f(path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        auto ini = reopen();
        QVERIFY(ini->isEmpty());
        const QStringList aside = QDir(m_dir->path()).entryList({QStringLiteral("dbsettings.ini.*")});
        QCOMPARE(aside.size(), damaged ? 1 : 0);
        if (damaged) {
            QFile kept(m_dir->filePath(aside.first()));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), content);
        }
        ini->createDefault();
        ini.reset();
        QCOMPARE(reopen()->connections().size(), 1);
    }

    void failedSaveIsReported()
    {
        // A folder in the file's place: nothing can be written there.
        m_settings.reset();
        QVERIFY(QFile::remove(path()));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("dbsettings.ini")));
        m_settings = reopen();
        LogInDialog d(m_settings.get());
        ModalDriver driver;
        driver.onNext(fill({"nowe", "serwer", "5432", "u", "p", ""}));
        driver.expectBox(QStringLiteral("Nie można zapisać połączenia"));
        w<QToolButton>(d, "tbDodajPol")->click();
        QVERIFY(!m_settings->sync());
    }

    void enterSignsInWithTheLoginLowerCased()
    {
        LogInDialog d(m_settings.get());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        auto *login = w<QLineEdit>(d, "leUzytkownik");
        QTest::keyClicks(login, QStringLiteral("Kierownik"));
        TestUi::typeText(login, QStringLiteral("ŁĘ"));
        QCOMPARE(d.login(), QStringLiteral("kierownikłę"));
        auto *password = w<QLineEdit>(d, "leHaslo");
        QTest::keyClicks(password, QStringLiteral("TajNe"));
        QTest::keyClick(password, Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.password(), QStringLiteral("TajNe"));
        // Mnemonics: Alt+H reaches the password, Alt+Z signs in.
        QCOMPARE(w<QLabel>(d, "laHaslo")->buddy(), password);
        QVERIFY(w<QPushButton>(d, "btZaloguj")->text().startsWith(QLatin1Char('&')));
    }

    void capsLockLabelFollowsTheKeyboard()
    {
        bool on = false;
        OrvCapsLock::setProbe([&on] { return on; });
        LogInDialog d(m_settings.get());
        QLabel *caps = nullptr;
        for (QLabel *l : d.findChildren<QLabel *>()) {
            if (l->text().startsWith(QStringLiteral("CAPS LOCK")))
                caps = l;
        }
        QVERIFY(caps);
        QCOMPARE(caps->text(), QStringLiteral("CAPS LOCK wyłączony."));
        on = true;
        QTest::keyClick(&d, Qt::Key_CapsLock);
        QCOMPARE(caps->text(), QStringLiteral("CAPS LOCK włączony."));
        caps->ensurePolished();
        QCOMPARE(caps->palette().color(QPalette::WindowText), QColor(Qt::red));
        // Switched elsewhere and back to the window.
        on = false;
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&d, &activate);
        QCOMPARE(caps->text(), QStringLiteral("CAPS LOCK wyłączony."));
    }

    void profileSelectionFillsTheParameters()
    {
        LogInDialog d(m_settings.get());
        QCOMPARE(combo(d)->currentText(), QStringLiteral("biuro"));
        QCOMPARE(combo(d)->toolTip(), QStringLiteral("Serwer; w biurze"));
        QCOMPARE(d.hostName(), QStringLiteral("db.biuro.lan"));
        QCOMPARE(d.port(), 6543);
        QCOMPARE(d.dbUserPassword(), QStringLiteral("tajne'\\hasło = \"x\";"));
        combo(d)->setCurrentIndex(1);
        QCOMPARE(d.hostName(), QStringLiteral("localhost"));
        QCOMPARE(d.dbUserName(), QStringLiteral("tav_orv_user"));
    }

    void addRefusesBadProfiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("text");
        const QString badName = QStringLiteral("Wprowadź poprawną nazwę dla nowego połączenia.");
        const QString badPort = QStringLiteral("Port serwera bazy danych musi być liczbą od 1 do 65535.");
        QTest::newRow("placeholder") << QString() << "5432" << badName;
        QTest::newRow("blank") << "   " << "5432" << badName;
        QTest::newRow("slash") << "a/b" << "5432" << "Nazwa połączenia nie może zawierać znaków <b>/</b> ani <b>\\</b>.";
        QTest::newRow("port 0") << "nowe" << "0" << badPort;
        QTest::newRow("port 70000") << "nowe" << "70000" << badPort;
        QTest::newRow("duplicate") << "biuro" << "5432"
                                   << "Połączenie o nazwie <b>biuro</b> już istnieje. Wprowadź nową nazwę, a jeśli "
                                      "chcesz zmienić parametry połączenia to użyj opcji edycji.";
    }
    void addRefusesBadProfiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, port);
        QFETCH(QString, text);
        const QByteArray before = fileBytes();
        LogInDialog d(m_settings.get());
        ModalDriver driver;
        QStringList reopened;
        driver.onNext(fill({name, "serwer.firma.pl", port, "ktos", "pw", "opis"}));
        driver.expectBox(QStringLiteral("Nie można dodać połączenia"), text);
        // The editor comes back with what was typed.
        driver.onNext(fill({}, false, &reopened));
        w<QToolButton>(d, "tbDodajPol")->click();
        QCOMPARE(reopened.value(0), name.isNull() ? LogInDialog::placeholderName() : name);
        QCOMPARE(reopened.value(1), QStringLiteral("serwer.firma.pl"));
        QCOMPARE(fileBytes(), before);
    }

    void addEditRenameAndDeleteProfiles()
    {
        LogInDialog d(m_settings.get());
        ModalDriver driver;
        QStringList shown;
        driver.onNext(fill({}, false, &shown));
        w<QToolButton>(d, "tbDodajPol")->click();
        QCOMPARE(shown, (QStringList{LogInDialog::placeholderName(), OVApplication::defaultHostName(),
                                     QString::number(OVApplication::defaultPort()), OVApplication::defaultDbUserName(),
                                     OVApplication::defaultDbUserPassword(), QString()}));

        driver.onNext(fill({"magazyn zachód", "10.0.0.7", "5433", "zachod", "Hasło'1", "Oddział"}));
        w<QToolButton>(d, "tbDodajPol")->click();
        QCOMPARE(combo(d)->currentText(), QStringLiteral("magazyn zachód"));
        QCOMPARE(reopen()->port(QStringLiteral("magazyn zachód")), 5433);

        // Edit keeping the name, then a rename onto a taken name, then to a free one.
        driver.onNext(fill({QString(), "nowy.host"}));
        w<QToolButton>(d, "tbEdytujPol")->click();
        QCOMPARE(reopen()->host(QStringLiteral("magazyn zachód")), QStringLiteral("nowy.host"));
        driver.onNext(fill({"biuro"}));
        driver.expectBox(QStringLiteral("Nie można dodać połączenia"));
        driver.onNext(fill({}, false));
        w<QToolButton>(d, "tbEdytujPol")->click();
        driver.onNext(fill({"zachód"}));
        w<QToolButton>(d, "tbEdytujPol")->click();
        auto ini = reopen();
        QVERIFY(!ini->contains(QStringLiteral("magazyn zachód")));
        QCOMPARE(ini->dbUserPassword(QStringLiteral("zachód"), QStringLiteral("1.0.0.0")), QStringLiteral("Hasło'1"));
        QCOMPARE(combo(d)->count(), 3);

        // Deleting asks first.
        driver.expectBox(QStringLiteral("Czy chcesz usunąć wpis?"),
                         QStringLiteral("Czy chcesz usunąć dane połączenia <b>zachód</b>?"), QMessageBox::No);
        w<QToolButton>(d, "tbKasujPol")->click();
        QVERIFY(reopen()->contains(QStringLiteral("zachód")));
        driver.pressNext(QMessageBox::Yes);
        w<QToolButton>(d, "tbKasujPol")->click();
        QVERIFY(!reopen()->contains(QStringLiteral("zachód")));
        QCOMPARE(combo(d)->count(), 2);
    }

    void folderButtonOpensTheProfilesFolder()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        LogInDialog d(m_settings.get());
        w<QToolButton>(d, "tbFolder")->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl::fromLocalFile(QDir(m_dir->path()).absolutePath())});
    }
};

ORV_TEST_MAIN(TstLogInDialog)
#include "tst_logindialog.moc"
