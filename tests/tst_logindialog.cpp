#include "CapsLock.h"
#include "IniDbSettingsManipulator.h"
#include "LogInDbSettingsDialog.h"
#include "LogInDialog.h"
#include "ModalDriver.h"
#include "Startup.h"
#include "TestMain.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResource>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

// Receives what the dialog asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

struct EditorValues
{
    QString name, host, port, user, password, hint;
};

class TstLogInDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<IniDbSettingsManipulator> m_settings;

    QString iniPath() const { return m_dir->filePath(QStringLiteral("dbsettings.ini")); }

    QByteArray fileBytes() const
    {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QComboBox *combo(LogInDialog &d) { return d.findChild<QComboBox *>(QStringLiteral("cbPolaczenie")); }
    template <typename T>
    static T *w(QWidget &d, const char *name) { return d.findChild<T *>(QString::fromLatin1(name)); }
    static QLabel *capsLabel(LogInDialog &d)
    {
        for (QLabel *l : d.findChildren<QLabel *>()) {
            if (l->objectName() == QLatin1String("on") || l->objectName() == QLatin1String("off"))
                return l;
        }
        return nullptr;
    }

    static EditorValues read(QWidget *editor)
    {
        auto t = [editor](const char *n) { return w<QLineEdit>(*editor, n)->text(); };
        return {t("leConnection"), t("leHost"), t("lePort"), t("leUzytkownik"), t("leHaslo"), t("leOpis")};
    }

    // A handler that fills the editor and presses OK, or Cancel.
    static std::function<void(QWidget *)> fill(const EditorValues &v, bool ok = true,
                                               EditorValues *shown = nullptr)
    {
        return [v, ok, shown](QWidget *editor) {
            QVERIFY(qobject_cast<LogInDbSettingsDialog *>(editor));
            if (shown)
                *shown = read(editor);
            auto set = [editor](const char *n, const QString &text) {
                if (!text.isNull())
                    w<QLineEdit>(*editor, n)->setText(text);
            };
            set("leConnection", v.name);
            set("leHost", v.host);
            set("lePort", v.port);
            set("leUzytkownik", v.user);
            set("leHaslo", v.password);
            set("leOpis", v.hint);
            auto *dlg = static_cast<QDialog *>(editor);
            if (ok)
                dlg->accept();
            else
                dlg->reject();
        };
    }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
    }

    void init()
    {
        OrvCapsLock::setProbe([] { return false; });
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<IniDbSettingsManipulator>(QStringLiteral("dbsettings.ini"), m_dir->path());
        m_settings->saveConnection(QStringLiteral("domyślne"), QStringLiteral("localhost"), 5432,
                                   QStringLiteral("tav_orv_user"), QStringLiteral("MOB_tae"),
                                   QStringLiteral("Serwer lokalny"));
        m_settings->saveConnection(QStringLiteral("biuro"), QStringLiteral("db.biuro.lan"), 6543,
                                   QStringLiteral("magazyn"), QStringLiteral("tajne'\\hasło"),
                                   QStringLiteral("Serwer w biurze"));
        m_settings->sync();
    }

    void cleanup()
    {
        m_settings.reset();
        m_dir.reset();
        OrvCapsLock::setProbe({});
    }

    void formFollowsTheDesign()
    {
        LogInDialog d(m_settings.get());
        QCOMPARE(d.windowTitle(), QStringLiteral("Logowanie do aplikacji"));
        QCOMPARE(d.minimumSize(), d.maximumSize());

        const QList<QPair<const char *, QString>> tips = {
            {"tbDodajPol", QStringLiteral("Dodaj połączenie")},
            {"tbEdytujPol", QStringLiteral("Edytuj połączenie")},
            {"tbKasujPol", QStringLiteral("Usuń połączenie")},
            {"tbFolder", QStringLiteral("Otwórz folder z plikiem konfiguracyjnym")},
            {"tbPomoc", QStringLiteral("Otwórz plik pomocy")},
            {"tbInfo", QStringLiteral("Informacje o programie")},
        };
        for (const auto &tip : tips) {
            auto *b = w<QToolButton>(d, tip.first);
            QVERIFY2(b, tip.first);
            QCOMPARE(b->toolTip(), tip.second);
            QVERIFY2(!b->icon().isNull(), tip.first);
        }
        QVERIFY(w<QToolButton>(d, "tbPomoc")->isEnabled());
        QVERIFY(w<QToolButton>(d, "tbInfo")->isEnabled());

        QCOMPARE(w<QLabel>(d, "laUzytkownik")->text(), QStringLiteral("Użytkownik"));
        QCOMPARE(w<QLabel>(d, "laHaslo")->text(), QStringLiteral("Hasło"));
        QCOMPARE(w<QLabel>(d, "laPolaczenie")->text(), QStringLiteral("Połączenie"));
        QCOMPARE(w<QLineEdit>(d, "leHaslo")->echoMode(), QLineEdit::Password);

        auto *zaloguj = w<QPushButton>(d, "btZaloguj");
        auto *zamknij = w<QPushButton>(d, "btZamknij");
        QCOMPARE(zaloguj->text(), QStringLiteral("Zaloguj"));
        QCOMPARE(zamknij->text(), QStringLiteral("Zamknij"));
        for (QPushButton *b : {zaloguj, zamknij}) {
            QVERIFY(b->minimumWidth() >= 120 && b->minimumHeight() >= 45);
            QCOMPARE(b->iconSize(), QSize(32, 32));
            QVERIFY(!b->icon().isNull());
        }
        QVERIFY(!zamknij->autoDefault());

        QLabel *caps = capsLabel(d);
        QVERIFY(caps);
        QCOMPARE(caps->objectName(), QStringLiteral("off"));
        QCOMPARE(caps->text(), QStringLiteral("CAPS LOCK wyłączony."));
        QVERIFY(caps->styleSheet().contains(QStringLiteral("QLabel#on { color: red; }")));
        QVERIFY(caps->styleSheet().contains(QStringLiteral("QLabel#off { color: green; }")));
    }

    void tabOrderRunsThroughTheFields()
    {
        LogInDialog d(m_settings.get());
        const QStringList expected = {"leUzytkownik", "leHaslo", "btZamknij", "btZaloguj", "cbPolaczenie",
                                      "tbFolder", "tbDodajPol", "tbEdytujPol", "tbKasujPol"};
        QWidget *wgt = w<QWidget>(d, "leUzytkownik");
        QStringList chain;
        for (int i = 0; i < 40 && chain.size() < expected.size(); ++i) {
            if (wgt->focusPolicy() & Qt::TabFocus)
                chain << wgt->objectName();
            wgt = wgt->nextInFocusChain();
        }
        QCOMPARE(chain, expected);
    }

    void enterInThePasswordFieldSignsIn()
    {
        LogInDialog d(m_settings.get());
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        auto *haslo = w<QLineEdit>(d, "leHaslo");
        haslo->setFocus();
        QTest::keyClicks(haslo, QStringLiteral("admin"));
        QTest::keyClick(haslo, Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.password(), QStringLiteral("admin"));
    }

    void loginIsLowerCased()
    {
        LogInDialog d(m_settings.get());
        auto *login = w<QLineEdit>(d, "leUzytkownik");
        QTest::keyClicks(login, QStringLiteral("Kierownik"));
        QCOMPARE(login->text(), QStringLiteral("kierownik"));
        QCOMPARE(d.login(), QStringLiteral("kierownik"));
        login->clear();
        // Typed one key event per letter, as a keyboard with Polish letters does.
        for (QChar c : QStringLiteral("ŁUKASZ")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::ShiftModifier, QString(c));
            QCoreApplication::sendEvent(login, &press);
        }
        QCOMPARE(d.login(), QStringLiteral("łukasz"));
        // The password is taken as typed.
        QTest::keyClicks(w<QLineEdit>(d, "leHaslo"), QStringLiteral("TajNe"));
        QCOMPARE(d.password(), QStringLiteral("TajNe"));
    }

    void capsLockLabelFollowsTheKeyboard()
    {
        bool on = false;
        OrvCapsLock::setProbe([&on] { return on; });
        LogInDialog d(m_settings.get());
        QLabel *caps = capsLabel(d);
        // Cleared here so that any re-application shows.
        const QString sheet = caps->styleSheet();
        caps->setStyleSheet(QString());

        // Other keys with the state unchanged leave the label alone.
        QTest::keyClick(&d, Qt::Key_A);
        QCOMPARE(caps->objectName(), QStringLiteral("off"));
        QCOMPARE(caps->styleSheet(), QString());

        on = true;
        QTest::keyClick(&d, Qt::Key_CapsLock);
        QCOMPARE(caps->objectName(), QStringLiteral("on"));
        QCOMPARE(caps->text(), QStringLiteral("CAPS LOCK włączony."));
        QCOMPARE(caps->styleSheet(), sheet);
        // The red rule now applies to it.
        caps->ensurePolished();
        QCOMPARE(caps->palette().color(QPalette::WindowText), QColor(QStringLiteral("red")));

        caps->setStyleSheet(QString());
        QTest::keyClick(&d, Qt::Key_B);
        QCOMPARE(caps->objectName(), QStringLiteral("on"));
        QCOMPARE(caps->styleSheet(), QString());
        caps->setStyleSheet(sheet);

        // Coming back to the window after switching it elsewhere.
        on = false;
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&d, &activate);
        QCOMPARE(caps->objectName(), QStringLiteral("off"));
        QCOMPARE(caps->text(), QStringLiteral("CAPS LOCK wyłączony."));
        caps->ensurePolished();
        QCOMPARE(caps->palette().color(QPalette::WindowText), QColor(QStringLiteral("green")));
    }

    void profileSelectionFillsTheParameters()
    {
        LogInDialog d(m_settings.get());
        QComboBox *cb = combo(d);
        // The settings layer sorts the names; the first is selected.
        QCOMPARE(cb->count(), 2);
        QCOMPARE(cb->itemText(0), QStringLiteral("biuro"));
        QCOMPARE(cb->currentIndex(), 0);
        QCOMPARE(cb->toolTip(), QStringLiteral("Serwer w biurze"));
        QCOMPARE(d.hostName(), QStringLiteral("db.biuro.lan"));
        QCOMPARE(d.port(), 6543);
        QCOMPARE(d.dbUserName(), QStringLiteral("magazyn"));
        QCOMPARE(d.dbUserPassword(), QStringLiteral("tajne'\\hasło"));

        cb->setCurrentIndex(1);
        QCOMPARE(cb->toolTip(), QStringLiteral("Serwer lokalny"));
        QCOMPARE(d.hostName(), QStringLiteral("localhost"));
        QCOMPARE(d.port(), 5432);
        QCOMPARE(d.dbUserName(), QStringLiteral("tav_orv_user"));
        QCOMPARE(d.dbUserPassword(), QStringLiteral("MOB_tae"));

        // Selecting by name is exact and case-sensitive.
        d.setComboItems(QStringLiteral("domyślne"));
        QCOMPARE(cb->currentText(), QStringLiteral("domyślne"));
        d.setComboItems(QStringLiteral("BIURO"));
        QCOMPARE(cb->currentIndex(), -1);
    }

    void cancellingTheAddEditorWritesNothing()
    {
        const QByteArray before = fileBytes();
        QVERIFY(!before.isEmpty());
        LogInDialog d(m_settings.get());
        ModalDriver driver;
        EditorValues shown;
        driver.onNext(fill({QStringLiteral("nowe"), QStringLiteral("h"), QStringLiteral("1"), {}, {}, {}}, false, &shown));
        w<QToolButton>(d, "tbDodajPol")->click();
        QCOMPARE(driver.count(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Ustawienia serwera bazy danych"));
        // The editor starts from the placeholder and the program's defaults.
        QCOMPARE(shown.name, QStringLiteral("<WPISZ_NAZWĘ_POŁĄCZENIA>"));
        QCOMPARE(shown.host, OVApplication::defaultHostName());
        QCOMPARE(shown.port.trimmed(), QString::number(OVApplication::defaultPort()));
        QCOMPARE(shown.user, OVApplication::defaultDbUserName());
        QCOMPARE(shown.password, OVApplication::defaultDbUserPassword());
        QCOMPARE(shown.hint, QString());
        QCOMPARE(fileBytes(), before);
        QCOMPARE(combo(d)->count(), 2);
    }

    void addRefusesBadProfiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("text");
        const QString badName = QStringLiteral("Wprowadź poprawną nazwę dla nowego połączenia.");
        const QString badPort = QStringLiteral("Port serwera bazy danych musi być liczbą od 1 do 65535.");
        QTest::newRow("placeholder") << QString() << QStringLiteral("5432") << badName;
        QTest::newRow("empty") << QStringLiteral("") << QStringLiteral("5432") << badName;
        QTest::newRow("blank") << QStringLiteral("   ") << QStringLiteral("5432") << badName;
        QTest::newRow("slash") << QStringLiteral("a/b") << QStringLiteral("5432")
                               << QStringLiteral("Nazwa połączenia nie może zawierać znaków <b>/</b> ani <b>\\</b>.");
        QTest::newRow("port 0") << QStringLiteral("nowe") << QStringLiteral("0") << badPort;
        QTest::newRow("no port") << QStringLiteral("nowe") << QStringLiteral("") << badPort;
        QTest::newRow("port 70000") << QStringLiteral("nowe") << QStringLiteral("70000") << badPort;
        QTest::newRow("duplicate") << QStringLiteral("biuro") << QStringLiteral("5432")
                                   << QStringLiteral("Połączenie o nazwie <b>biuro</b> już istnieje. Wprowadź nową "
                                                     "nazwę, a jeśli chcesz zmienić parametry połączenia to użyj "
                                                     "opcji edycji.");
    }

    void addRefusesBadProfiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, port);
        QFETCH(QString, text);
        const QByteArray before = fileBytes();
        LogInDialog d(m_settings.get());
        ModalDriver driver;
        const EditorValues entered{name, QStringLiteral("serwer.firma.pl"), port, QStringLiteral("ktos"),
                                   QStringLiteral("pw"), QStringLiteral("opis")};
        EditorValues reopened;
        driver.onNext(fill(entered));
        driver.pressNext(QMessageBox::Ok);
        driver.onNext(fill({}, false, &reopened));
        w<QToolButton>(d, "tbDodajPol")->click();

        QCOMPARE(driver.count(), 3);
        const ModalDriver::Seen warning = driver.seen().at(1);
        QCOMPARE(warning.className, QStringLiteral("QMessageBox"));
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QCOMPARE(warning.title, QStringLiteral("Nie można dodać połączenia"));
        QCOMPARE(warning.text, text);
        // The editor comes back with what was typed.
        QCOMPARE(driver.seen().at(2).title, QStringLiteral("Ustawienia serwera bazy danych"));
        QCOMPARE(reopened.name, name.isNull() ? LogInDialog::placeholderName() : name);
        QCOMPARE(reopened.host, entered.host);
        QCOMPARE(reopened.user, entered.user);
        QCOMPARE(reopened.hint, entered.hint);
        QCOMPARE(fileBytes(), before);
    }

    void addStoresAndSelectsTheProfile()
    {
        LogInDialog d(m_settings.get());
        ModalDriver driver;
        driver.onNext(fill({QStringLiteral("magazyn zachód"), QStringLiteral("10.0.0.7"), QStringLiteral("5433"),
                            QStringLiteral("zachod"), QStringLiteral("Hasło'1"), QStringLiteral("Oddział Zachód")}));
        w<QToolButton>(d, "tbDodajPol")->click();
        QCOMPARE(driver.count(), 1);
        QCOMPARE(combo(d)->currentText(), QStringLiteral("magazyn zachód"));
        QCOMPARE(combo(d)->toolTip(), QStringLiteral("Oddział Zachód"));
        QCOMPARE(d.hostName(), QStringLiteral("10.0.0.7"));
        QCOMPARE(d.port(), 5433);
        QCOMPARE(d.dbUserPassword(), QStringLiteral("Hasło'1"));

        // Written at once: a fresh reader of the file sees it.
        IniDbSettingsManipulator again(QStringLiteral("dbsettings.ini"), m_dir->path());
        QVERIFY(again.contains(QStringLiteral("magazyn zachód")));
        QCOMPARE(again.host(QStringLiteral("magazyn zachód")), QStringLiteral("10.0.0.7"));
        QCOMPARE(again.port(QStringLiteral("magazyn zachód")), 5433);
        QCOMPARE(again.dbUserPassword(QStringLiteral("magazyn zachód"), OVApplication::programVersion()),
                 QStringLiteral("Hasło'1"));
        QVERIFY(!fileBytes().contains("Hasło'1"));
    }

    void editWithoutRenameOverwrites()
    {
        LogInDialog d(m_settings.get());
        ModalDriver driver;
        EditorValues shown;
        driver.onNext(fill({{}, QStringLiteral("nowy.host"), QStringLiteral("7000"), {}, {}, QStringLiteral("zmieniony")},
                           true, &shown));
        w<QToolButton>(d, "tbEdytujPol")->click();
        // No duplicate warning for its own name.
        QCOMPARE(driver.count(), 1);
        QCOMPARE(shown.name, QStringLiteral("biuro"));
        QCOMPARE(shown.host, QStringLiteral("db.biuro.lan"));
        QCOMPARE(shown.port.trimmed(), QStringLiteral("6543"));
        QCOMPARE(shown.password, QStringLiteral("tajne'\\hasło"));
        QCOMPARE(shown.hint, QStringLiteral("Serwer w biurze"));

        QCOMPARE(combo(d)->currentText(), QStringLiteral("biuro"));
        QCOMPARE(combo(d)->count(), 2);
        QCOMPARE(d.hostName(), QStringLiteral("nowy.host"));
        QCOMPARE(m_settings->port(QStringLiteral("biuro")), 7000);
        QCOMPARE(m_settings->hint(QStringLiteral("biuro")), QStringLiteral("zmieniony"));
        QCOMPARE(m_settings->dbUserPassword(QStringLiteral("biuro"), OVApplication::programVersion()),
                 QStringLiteral("tajne'\\hasło"));
    }

    void editRenameToATakenNameWarns()
    {
        const QByteArray before = fileBytes();
        LogInDialog d(m_settings.get());
        ModalDriver driver;
        EditorValues reopened;
        driver.onNext(fill({QStringLiteral("domyślne"), {}, {}, {}, {}, {}}));
        driver.pressNext(QMessageBox::Ok);
        driver.onNext(fill({}, false, &reopened));
        w<QToolButton>(d, "tbEdytujPol")->click();
        QCOMPARE(driver.count(), 3);
        QCOMPARE(driver.seen().at(1).title, QStringLiteral("Nie można dodać połączenia"));
        QVERIFY(driver.seen().at(1).text.startsWith(QStringLiteral("Połączenie o nazwie <b>domyślne</b> już istnieje.")));
        QCOMPARE(reopened.name, QStringLiteral("domyślne"));
        QCOMPARE(fileBytes(), before);
    }

    void editRenameToAFreeNameMovesTheProfile()
    {
        LogInDialog d(m_settings.get());
        ModalDriver driver;
        driver.onNext(fill({QStringLiteral("biuro nowe"), {}, {}, {}, {}, {}}));
        w<QToolButton>(d, "tbEdytujPol")->click();
        QCOMPARE(driver.count(), 1);
        QVERIFY(!m_settings->contains(QStringLiteral("biuro")));
        QVERIFY(m_settings->contains(QStringLiteral("biuro nowe")));
        QCOMPARE(m_settings->host(QStringLiteral("biuro nowe")), QStringLiteral("db.biuro.lan"));
        QCOMPARE(m_settings->dbUserPassword(QStringLiteral("biuro nowe"), OVApplication::programVersion()),
                 QStringLiteral("tajne'\\hasło"));
        QCOMPARE(combo(d)->currentText(), QStringLiteral("biuro nowe"));
        QCOMPARE(combo(d)->count(), 2);
    }

    void deleteAsksFirst()
    {
        LogInDialog d(m_settings.get());
        combo(d)->setCurrentIndex(1);
        ModalDriver driver;
        driver.pressNext(QMessageBox::No);
        w<QToolButton>(d, "tbKasujPol")->click();
        QCOMPARE(driver.count(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Czy chcesz usunąć wpis?"));
        QCOMPARE(driver.last().text, QStringLiteral("Czy chcesz usunąć dane połączenia <b>domyślne</b>?"));
        QVERIFY(m_settings->contains(QStringLiteral("domyślne")));
        QCOMPARE(combo(d)->currentText(), QStringLiteral("domyślne"));

        driver.pressNext(QMessageBox::Yes);
        w<QToolButton>(d, "tbKasujPol")->click();
        QVERIFY(!m_settings->contains(QStringLiteral("domyślne")));
        IniDbSettingsManipulator again(QStringLiteral("dbsettings.ini"), m_dir->path());
        QVERIFY(!again.contains(QStringLiteral("domyślne")));
        QCOMPARE(combo(d)->count(), 1);
        QCOMPARE(combo(d)->currentIndex(), 0);
        QCOMPARE(d.hostName(), QStringLiteral("db.biuro.lan"));
    }

    void folderButtonOpensTheProfilesFolder()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
        LogInDialog d(m_settings.get());
        w<QToolButton>(d, "tbFolder")->click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(catcher.urls.size(), 1);
        QCOMPARE(catcher.urls.first().toLocalFile(), QDir(m_dir->path()).absolutePath());
    }
};

ORV_TEST_MAIN(TstLogInDialog)
#include "tst_logindialog.moc"
