// The user dialog: login proposals, the password set through its own
// dialog, and what reaches the database.

#include "BasicCommands.h"
#include "Factories.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TabelaUzytkownicyDialog.h"
#include "TestMain.h"
#include "TestUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include <memory>

class TstUzytkownicyDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TAVTableModel> m_model;

    static QStringList items(QWidget *d)
    {
        auto *cb = d->findChild<QComboBox *>(QStringLiteral("cbLogin"));
        QStringList out;
        for (int i = 0; i < cb->count(); ++i)
            out << cb->itemText(i);
        return out << QStringLiteral("= ") + cb->currentText();
    }
    static std::function<void(QWidget *)> password(const QString &text)
    {
        return [text](QWidget *d) {
            TestUi::typeInto(d, "leNoweHaslo1", text);
            TestUi::typeInto(d, "leNoweHaslo2", text);
            TestUi::pressOk(d);
        };
    }
    bool run(bool add, int uztId = 0)
    {
        BasicAddEditCommand<TabelaUzytkownicyDialog> command(add, nullptr);
        return command.operacja(m_model.get(), add ? QModelIndex() : m_model->index(m_model->rowOfKey(uztId), 0), nullptr);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(Session::start());
        m_model.reset(SFModels::instance()->create(QStringLiteral("UzytkownicyModel"), QString()));
        QVERIFY(m_model->select());
    }

    void loginsAreProposedFromTheNames()
    {
        TabelaUzytkownicyDialog d(m_model.get(), QModelIndex());
        TestUi::typeInto(&d, "leNazwisko", QStringLiteral("Kowalski"));
        QCOMPARE(items(&d).first(), QStringLiteral(".kowalski"));
        TestUi::typeInto(&d, "leImie", QStringLiteral("Jan"));
        QCOMPARE(items(&d), (QStringList{"j.kowalski", "jan", "kowalski", "jan.kowalski", "kowalski.jan", "= j.kowalski"}));
        // A chosen proposal stays chosen when a name changes.
        d.findChild<QComboBox *>(QStringLiteral("cbLogin"))->setCurrentIndex(3);
        TestUi::typeInto(&d, "leImie", QStringLiteral("Łucja"));
        QCOMPARE(items(&d).last(), QStringLiteral("= łucja.kowalski"));
        // A login typed by hand survives, lower-cased.
        TestUi::typeInto(&d, "cbLogin", QStringLiteral("ŁKowal"));
        TestUi::typeInto(&d, "leImie", QStringLiteral("Janusz"));
        QCOMPARE(items(&d).last(), QStringLiteral("= łkowal"));
        QVERIFY(d.findChild<QCheckBox *>(QStringLiteral("ckZatrudniony"))->isChecked());
    }

    void newUserIsStoredWithItsPassword()
    {
        ModalDriver driver;
        driver.onNext([](QWidget *d) { TestUi::pressOk(d); });
        driver.expectBox(QStringLiteral("Pola nie spełniają wymagań"),
                         QStringLiteral("Pole <b>Imię</b> nie może być puste<br/>Pole <b>Nazwisko</b> nie może być puste<br/>"
                                        "Pole <b>Login</b> nie może być puste<br/>Pole <b>Hasło</b> nie może być puste"));
        QString before, after;
        driver.onNext([&](QWidget *d) {
            TestUi::typeInto(d, "leImie", QStringLiteral("Jan"));
            TestUi::typeInto(d, "leNazwisko", QStringLiteral("Kowalski"));
            TestUi::typeInto(d, "leTelKont", QStringLiteral("+48 600 100 200"));
            before = d->findChild<QLabel *>(QStringLiteral("laHasloStan"))->text();
            d->findChild<QPushButton *>(QStringLiteral("btZmienHaslo"))->click();
            after = d->findChild<QLabel *>(QStringLiteral("laHasloStan"))->text();
            TestUi::pressOk(d);
        });
        driver.onNext(password(QStringLiteral("Śruba#42")));
        QVERIFY(run(true));
        QCOMPARE(before, QStringLiteral("Hasło nie ustawione."));
        QCOMPARE(after, QStringLiteral("Hasło ustawione."));
        const int id = Session::userId(QStringLiteral("j.kowalski"));
        QCOMPARE(db(QStringLiteral("SELECT uzt_haslo FROM uzytkownicy WHERE uzt_id = ?"), {id}).toString(),
                 OVApplication::passwordDigest(QStringLiteral("Śruba#42")));
        QCOMPARE(db(QStringLiteral("SELECT uzt_tel_kontaktowy FROM uzytkownicy WHERE uzt_id = ?"), {id}).toString(),
                 QStringLiteral("+48 600 100 200"));
        qint32 signedIn = 0;
        QVERIFY(OVApplication::instance()->loginToApp(QStringLiteral("j.kowalski"), QStringLiteral("Śruba#42"), signedIn));
        QCOMPARE(signedIn, id);
    }

    void usedLoginIsRefused()
    {
        const int users = db(QStringLiteral("SELECT count(*) FROM uzytkownicy")).toInt();
        const QString refusal = QStringLiteral("Pole <b>Login</b> o danej wartości już istnieje w bazie danych. Wprowadź "
                                               "inną, unikatową wartość.");
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            TestUi::typeInto(d, "leImie", QStringLiteral("Karol"));
            TestUi::typeInto(d, "leNazwisko", QStringLiteral("Nowy"));
            TestUi::typeInto(d, "cbLogin", QStringLiteral("Kierownik"));
            d->findChild<QPushButton *>(QStringLiteral("btZmienHaslo"))->click();
            TestUi::pressOk(d);
        });
        driver.onNext(password(QStringLiteral("haslo1")));
        driver.expectBox(QStringLiteral("Pola nie spełniają wymagań"), refusal);
        driver.closeNext();
        driver.pressNext(QMessageBox::Yes);  // Odrzucić zmiany?
        QVERIFY(!run(true));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM uzytkownicy")).toInt(), users);
        // Renaming another user onto it is refused the same way.
        driver.onNext([](QWidget *d) {
            TestUi::typeInto(d, "cbLogin", QStringLiteral("kierownik"));
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("Pola nie spełniają wymagań"), refusal);
        driver.closeNext();
        driver.pressNext(QMessageBox::Yes);  // Odrzucić zmiany?
        QVERIFY(!run(false, 3));
        QCOMPARE(db(QStringLiteral("SELECT uzt_login FROM uzytkownicy WHERE uzt_id = 3")).toString(), QStringLiteral("magazynier"));
    }

    // The dialog shows the row; what is not touched, the password above
    // all, is not written.
    void editWritesOnlyWhatChanged()
    {
        const QString digest = db(QStringLiteral("SELECT uzt_haslo FROM uzytkownicy WHERE uzt_id = 2")).toString();
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->findChild<QLineEdit *>(QStringLiteral("leNazwisko"))->text(), QStringLiteral("Zieliński"));
            QCOMPARE(items(d).last(), QStringLiteral("= kierownik"));
            QCOMPARE(d->findChild<QLabel *>(QStringLiteral("laHasloStan"))->text(), QStringLiteral("Hasło ustawione."));
            TestUi::typeInto(d, "leTelKont", QStringLiteral("+48 700 800 900"));
            // A cancelled password dialog changes nothing.
            d->findChild<QPushButton *>(QStringLiteral("btZmienHaslo"))->click();
            TestUi::pressOk(d);
        });
        driver.onNext([](QWidget *d) { TestUi::pressCancel(d); });
        QVERIFY(run(false, 2));
        QCOMPARE(db(QStringLiteral("SELECT uzt_haslo || uzt_login || uzt_tel_kontaktowy FROM uzytkownicy WHERE uzt_id = 2")).toString(),
                 digest + QStringLiteral("kierownik+48 700 800 900"));

        driver.onNext([](QWidget *d) {
            d->findChild<QPushButton *>(QStringLiteral("btZmienHaslo"))->click();
            TestUi::pressOk(d);
        });
        driver.onNext(password(QStringLiteral("Nowe-Haslo")));
        QVERIFY(run(false, 3));
        qint32 id = 0;
        QVERIFY(!OVApplication::instance()->loginToApp(QStringLiteral("magazynier"), QStringLiteral("magazynier"), id));
        QVERIFY(OVApplication::instance()->loginToApp(QStringLiteral("magazynier"), QStringLiteral("Nowe-Haslo"), id));
    }
};

ORV_TEST_MAIN(TstUzytkownicyDialog)
#include "tst_uzytkownicydialog.moc"
