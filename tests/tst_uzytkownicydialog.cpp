#include "BasicCommands.h"
#include "Factories.h"
#include "LogReader.h"
#include "ModalDriver.h"
#include "OVApplication.h"
#include "Session.h"
#include "TabelaUzytkownicyDialog.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QCryptographicHash>
#include <QSqlRelationalTableModel>

#include <functional>
#include <memory>

class TstUzytkownicyDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogReader> m_log;
    std::unique_ptr<TAVTableModel> m_model;

    template <typename T>
    static T *w(QWidget *d, const char *name) { return d->findChild<T *>(QString::fromLatin1(name)); }

    static QVariant db(const QString &sql, const QVariantList &binds = {}) { return TestDb::scalar(sql, binds); }

    static QStringList items(QComboBox *cb)
    {
        QStringList out;
        for (int i = 0; i < cb->count(); ++i)
            out << cb->itemText(i);
        return out;
    }

    static void type(QWidget *d, const char *name, const QString &text)
    {
        QWidget *target = w<QWidget>(d, name);
        QVERIFY2(target, name);
        if (auto *cb = qobject_cast<QComboBox *>(target))
            target = cb->lineEdit();
        if (auto *le = qobject_cast<QLineEdit *>(target))
            le->clear();
        else if (auto *te = qobject_cast<QPlainTextEdit *>(target))
            te->clear();
        target->setFocus();
        // keyClicks() takes Latin-1 only; Polish letters go as key events
        // carrying their text.
        for (const QChar ch : text) {
            if (ch.unicode() < 0x80) {
                QTest::keyClick(target, ch.toLatin1());
            } else {
                QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            }
        }
    }

    static void pressOk(QWidget *d) { w<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Ok)->click(); }
    static void pressCancel(QWidget *d)
    {
        w<QDialogButtonBox>(d, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
    }

    // Answers the password dialog with the same text twice and its OK.
    static std::function<void(QWidget *)> enterPassword(const QString &password, QString *title = nullptr)
    {
        return [password, title](QWidget *d) {
            if (title)
                *title = d->windowTitle();
            type(d, "leNoweHaslo1", password);
            type(d, "leNoweHaslo2", password);
            pressOk(d);
        };
    }

    QModelIndex indexOf(int uztId) const
    {
        QSqlRelationalTableModel *m = m_model->sqlModel();
        while (m->canFetchMore())
            m->fetchMore();
        for (int r = 0; r < m->rowCount(); ++r) {
            if (m->record(r).value(QStringLiteral("uzt_id")).toInt() == uztId)
                return m->index(r, 0);
        }
        return QModelIndex();
    }

    static QString digestOf(int uztId)
    {
        return db(QStringLiteral("SELECT uzt_haslo FROM uzytkownicy WHERE uzt_id = ?"), {uztId}).toString();
    }

    static int users() { return db(QStringLiteral("SELECT count(*) FROM uzytkownicy")).toInt(); }

    bool add()
    {
        BasicAddEditCommand<TabelaUzytkownicyDialog> command(true, nullptr);
        return command.operacja(m_model.get(), QModelIndex(), nullptr);
    }

    bool edit(int uztId)
    {
        BasicAddEditCommand<TabelaUzytkownicyDialog> command(false, nullptr);
        return command.operacja(m_model.get(), indexOf(uztId), nullptr);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_log = std::make_unique<LogReader>(QStringLiteral("tst_uzytkownicydialog.log"));
        QVERIFY(Session::start());
    }

    void init()
    {
        QVERIFY(Session::start());
        m_model.reset(SFModels::instance()->create(QStringLiteral("UzytkownicyModel"), QString()));
        QVERIFY(m_model);
        QVERIFY(m_model->select());
    }

    void cleanup() { m_model.reset(); }

    void formFollowsTheDesign()
    {
        TabelaUzytkownicyDialog d(m_model.get(), QModelIndex());
        QCOMPARE(d.windowTitle(), QStringLiteral("Użytkownik"));
        const QList<QPair<const char *, QPair<const char *, QString>>> rows = {
            {"la_uzt_imie", {"leImie", QStringLiteral("Imię*")}},
            {"la_uzt_nazwisko", {"leNazwisko", QStringLiteral("Nazwisko*")}},
            {"la_uzt_login", {"cbLogin", QStringLiteral("Login*")}},
            {"la_uzt_zatrudniony", {"ckZatrudniony", QStringLiteral("Zatrudniony")}},
            {"la_uzt_tel_kontaktowy", {"leTelKont", QStringLiteral("Telefon kontaktowy")}},
            {"la_uzt_notatka", {"txNotatka", QStringLiteral("Notatka")}},
            {"laZmianaHasla", {"btZmienHaslo", QStringLiteral("Hasło*")}},
        };
        for (const auto &row : rows) {
            auto *label = w<QLabel>(&d, row.first);
            QWidget *buddy = w<QWidget>(&d, row.second.first);
            QVERIFY2(label && buddy, row.first);
            QCOMPARE(label->text(), row.second.second);
            QCOMPARE(label->buddy(), buddy);
            QCOMPARE(label->font().bold(), row.second.second.endsWith(QLatin1Char('*')));
        }
        auto *login = w<QComboBox>(&d, "cbLogin");
        QVERIFY(login->isEditable());
        QVERIFY(qobject_cast<const TAVLowercaseValidator *>(login->validator()));
        QCOMPARE(login->count(), 5);
        QCOMPARE(login->currentText(), QString());
        QVERIFY(w<QPlainTextEdit>(&d, "txNotatka")->tabChangesFocus());
        QCOMPARE(w<QPushButton>(&d, "btZmienHaslo")->text(), QStringLiteral("Ustaw hasło"));
        QCOMPARE(w<QLabel>(&d, "laHasloStan")->text(), QStringLiteral("Hasło nie ustawione."));
        // A new user starts as employed, as the model's default says.
        QVERIFY(w<QCheckBox>(&d, "ckZatrudniony")->isChecked());
        QVERIFY(!d.getRecord().value(QStringLiteral("uzt_haslo")).isValid());

        QList<QWidget *> chain;
        QWidget *start = w<QWidget>(&d, "leImie");
        QWidget *next = start;
        do {
            chain << next;
            next = next->nextInFocusChain();
            // The login box's own line edit stands in the chain right after it.
            while (next != start
                   && (!(next->focusPolicy() & Qt::TabFocus) || qobject_cast<QComboBox *>(next->parentWidget())))
                next = next->nextInFocusChain();
        } while (next != start && chain.size() < 20);
        const QStringList expected{"leImie", "leNazwisko", "cbLogin", "ckZatrudniony", "leTelKont", "txNotatka",
                                   "btZmienHaslo"};
        QVERIFY(chain.size() > expected.size());
        QStringList order;
        for (int i = 0; i < expected.size(); ++i)
            order << chain.at(i)->objectName();
        QCOMPARE(order, expected);
        QVERIFY(w<QDialogButtonBox>(&d, "buttonBox")->isAncestorOf(chain.at(expected.size())));
    }

    void proposalsForJanKowalski()
    {
        TabelaUzytkownicyDialog d(m_model.get(), QModelIndex());
        auto *login = w<QComboBox>(&d, "cbLogin");
        type(&d, "leImie", QStringLiteral("Jan"));
        type(&d, "leNazwisko", QStringLiteral("Kowalski"));
        QCOMPARE(items(login), (QStringList{"j.kowalski", "jan", "kowalski", "jan.kowalski", "kowalski.jan"}));
        // Nothing typed into the login: it follows the first proposal.
        QCOMPARE(login->currentText(), QStringLiteral("j.kowalski"));

        // A chosen proposal stays chosen when a name changes.
        login->setCurrentIndex(3);
        type(&d, "leImie", QStringLiteral("Łucja"));
        QCOMPARE(items(login), (QStringList{"ł.kowalski", "łucja", "kowalski", "łucja.kowalski", "kowalski.łucja"}));
        QCOMPARE(login->currentText(), QStringLiteral("łucja.kowalski"));
    }

    void surnameAloneProposesADotFirst()
    {
        TabelaUzytkownicyDialog d(m_model.get(), QModelIndex());
        auto *login = w<QComboBox>(&d, "cbLogin");
        type(&d, "leNazwisko", QStringLiteral("Kowalski"));
        QCOMPARE(login->itemText(0), QStringLiteral(".kowalski"));
        QCOMPARE(login->itemText(2), QStringLiteral("kowalski"));
        QCOMPARE(login->count(), 5);
    }

    void handTypedLoginSurvivesNameChanges()
    {
        TabelaUzytkownicyDialog d(m_model.get(), QModelIndex());
        auto *login = w<QComboBox>(&d, "cbLogin");
        type(&d, "leImie", QStringLiteral("Jan"));
        type(&d, "leNazwisko", QStringLiteral("Kowalski"));
        type(&d, "cbLogin", QStringLiteral("kowal"));
        QCOMPARE(login->currentText(), QStringLiteral("kowal"));
        type(&d, "leImie", QStringLiteral("Janusz"));
        QCOMPARE(login->itemText(0), QStringLiteral("j.kowalski"));
        QCOMPARE(login->itemText(1), QStringLiteral("janusz"));
        QCOMPARE(login->currentText(), QStringLiteral("kowal"));
        QCOMPARE(login->count(), 5);
    }

    void newUserNeedsAPassword()
    {
        const int before = users();
        ModalDriver driver;
        QString status;
        bool stillOpen = false;
        driver.onNext([&](QWidget *d) {
            status = w<QLabel>(d, "laHasloStan")->text();
            type(d, "leImie", QStringLiteral("Jan"));
            type(d, "leNazwisko", QStringLiteral("Kowalski"));
            pressOk(d);
        });
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([&](QWidget *d) {
            stillOpen = d->isVisible() && qobject_cast<TabelaUzytkownicyDialog *>(d);
            pressCancel(d);
        });
        QVERIFY(!add());
        QCOMPARE(driver.pendingHandlers(), 0);
        QCOMPARE(status, QStringLiteral("Hasło nie ustawione."));
        QCOMPARE(driver.count(), 3);
        const ModalDriver::Seen box = driver.seen().at(1);
        QCOMPARE(box.className, QStringLiteral("QMessageBox"));
        QCOMPARE(box.title, QStringLiteral("Pola nie spełniają wymagań"));
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.text, QStringLiteral("Pole <b>Hasło</b> nie może być puste"));
        QVERIFY(stillOpen);
        QCOMPARE(users(), before);
    }

    void emptyFormReportsEverythingInOneBox()
    {
        TabelaUzytkownicyDialog d(m_model.get(), QModelIndex());
        ModalDriver driver;
        driver.pressNext(QMessageBox::Ok);
        QVERIFY(!d.validateModel());
        QCOMPARE(driver.count(), 1);
        QCOMPARE(driver.last().text, QStringLiteral("Pole <b>Imię</b> nie może być puste<br/>"
                                                    "Pole <b>Nazwisko</b> nie może być puste<br/>"
                                                    "Pole <b>Login</b> nie może być puste<br/>"
                                                    "Pole <b>Hasło</b> nie może być puste"));
    }

    void passwordSetThroughTheButton()
    {
        ModalDriver driver;
        QString before, after, title;
        driver.onNext([&](QWidget *d) {
            type(d, "leImie", QStringLiteral("Jan"));
            type(d, "leNazwisko", QStringLiteral("Kowalski"));
            type(d, "leTelKont", QStringLiteral("+48 600 100 200"));
            before = w<QLabel>(d, "laHasloStan")->text();
            // The password dialog opened here is answered by the next handler.
            w<QPushButton>(d, "btZmienHaslo")->click();
            after = w<QLabel>(d, "laHasloStan")->text();
            pressOk(d);
        });
        driver.onNext(enterPassword(QStringLiteral("Śruba#42"), &title));
        QVERIFY(add());
        QCOMPARE(driver.pendingHandlers(), 0);
        QCOMPARE(driver.count(), 2);
        QCOMPARE(title, QStringLiteral("Ustawianie hasła"));
        QCOMPARE(before, QStringLiteral("Hasło nie ustawione."));
        QCOMPARE(after, QStringLiteral("Hasło ustawione."));

        const int id = db(QStringLiteral("SELECT uzt_id FROM uzytkownicy WHERE uzt_login = 'j.kowalski'")).toInt();
        QVERIFY(id > 3);
        QCOMPARE(digestOf(id), OVApplication::passwordDigest(QStringLiteral("Śruba#42")));
        QCOMPARE(digestOf(id), QString::fromLatin1(QCryptographicHash::hash(QStringLiteral("Śruba#42").toUtf8(),
                                                                             QCryptographicHash::Sha1).toHex()));
        QCOMPARE(db(QStringLiteral("SELECT uzt_zatrudniony FROM uzytkownicy WHERE uzt_id = ?"), {id}).toBool(), true);
        QCOMPARE(db(QStringLiteral("SELECT uzt_tel_kontaktowy FROM uzytkownicy WHERE uzt_id = ?"), {id}).toString(),
                 QStringLiteral("+48 600 100 200"));
        QVERIFY(db(QStringLiteral("SELECT uzt_notatka IS NULL FROM uzytkownicy WHERE uzt_id = ?"), {id}).toBool());
        qint32 signedIn = 0;
        QVERIFY(OVApplication::instance()->loginToApp(QStringLiteral("j.kowalski"), QStringLiteral("Śruba#42"), signedIn));
        QCOMPARE(signedIn, id);
        QVERIFY(!OVApplication::instance()->loginToApp(QStringLiteral("j.kowalski"), QStringLiteral("śruba#42"), signedIn));
    }

    void typedLoginIsStoredLowerCase()
    {
        ModalDriver driver;
        QString shown;
        driver.onNext([&](QWidget *d) {
            type(d, "leImie", QStringLiteral("Anna"));
            type(d, "leNazwisko", QStringLiteral("Nowak"));
            type(d, "cbLogin", QStringLiteral("ANowak.BUDOWA"));
            shown = w<QComboBox>(d, "cbLogin")->currentText();
            w<QPushButton>(d, "btZmienHaslo")->click();
            pressOk(d);
        });
        driver.onNext(enterPassword(QStringLiteral("tajne")));
        QVERIFY(add());
        QCOMPARE(shown, QStringLiteral("anowak.budowa"));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM uzytkownicy WHERE uzt_login = 'anowak.budowa'")).toInt(), 1);
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM uzytkownicy WHERE lower(uzt_login) = 'anowak.budowa'")).toInt(), 1);
    }

    void usedLoginIsRefused()
    {
        const int before = users();
        ModalDriver driver;
        driver.onNext([&](QWidget *d) {
            type(d, "leImie", QStringLiteral("Karol"));
            type(d, "leNazwisko", QStringLiteral("Kierowski"));
            type(d, "cbLogin", QStringLiteral("kierownik"));
            w<QPushButton>(d, "btZmienHaslo")->click();
            pressOk(d);
        });
        driver.onNext(enterPassword(QStringLiteral("haslo1")));
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([](QWidget *d) { pressCancel(d); });
        QVERIFY(!add());
        QCOMPARE(driver.pendingHandlers(), 0);
        QCOMPARE(driver.count(), 4);
        const ModalDriver::Seen box = driver.seen().at(2);
        QCOMPARE(box.title, QStringLiteral("Pola nie spełniają wymagań"));
        QCOMPARE(box.text, QStringLiteral("Pole <b>Login</b> o danej wartości już istnieje w bazie danych. "
                                          "Wprowadź inną, unikatową wartość."));
        QCOMPARE(users(), before);

        // Renaming another user to a used login is refused the same way.
        driver.clear();
        driver.onNext([](QWidget *d) {
            type(d, "cbLogin", QStringLiteral("kierownik"));
            pressOk(d);
        });
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([](QWidget *d) { pressCancel(d); });
        QVERIFY(!edit(3));
        QCOMPARE(driver.count(), 3);
        QVERIFY(driver.seen().at(1).text.contains(QStringLiteral("Pole <b>Login</b> o danej wartości już istnieje")));
        QCOMPARE(db(QStringLiteral("SELECT uzt_login FROM uzytkownicy WHERE uzt_id = 3")).toString(),
                 QStringLiteral("magazynier"));
    }

    void editLoadsTheRow()
    {
        const QModelIndex index = indexOf(2);
        QVERIFY(index.isValid());
        TabelaUzytkownicyDialog d(m_model.get(), index);
        auto *login = w<QComboBox>(&d, "cbLogin");
        QCOMPARE(w<QLineEdit>(&d, "leImie")->text(), QStringLiteral("Krzysztof"));
        QCOMPARE(w<QLineEdit>(&d, "leNazwisko")->text(), QStringLiteral("Zieliński"));
        QCOMPARE(items(login), (QStringList{"k.zieliński", "krzysztof", "zieliński", "krzysztof.zieliński",
                                            "zieliński.krzysztof"}));
        QCOMPARE(login->currentText(), QStringLiteral("kierownik"));
        QCOMPARE(w<QLineEdit>(&d, "leTelKont")->text(), QStringLiteral("+48 602 311 422"));
        QVERIFY(w<QCheckBox>(&d, "ckZatrudniony")->isChecked());
        QCOMPARE(w<QLabel>(&d, "laHasloStan")->text(), QStringLiteral("Hasło ustawione."));
        // Nothing touched: nothing to write, and the form passes as it is.
        const QSqlRecord rec = d.getRecord();
        for (int i = 0; i < rec.count(); ++i)
            QVERIFY2(!rec.value(i).isValid(), qPrintable(rec.fieldName(i)));
        ModalDriver driver;
        QVERIFY(d.validateModel());
        QCOMPARE(driver.count(), 0);

        // A login that is one of the proposals is selected among them.
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE uzytkownicy SET uzt_login = 't.mazur' WHERE uzt_id = 3")));
        QVERIFY(m_model->select());
        TabelaUzytkownicyDialog m(m_model.get(), indexOf(3));
        auto *mLogin = w<QComboBox>(&m, "cbLogin");
        QCOMPARE(mLogin->currentIndex(), 0);
        QCOMPARE(mLogin->currentText(), QStringLiteral("t.mazur"));
        QVERIFY(!m.getRecord().value(QStringLiteral("uzt_login")).isValid());
    }

    void editWithoutPasswordKeepsTheDigest()
    {
        const QString digest = digestOf(2);
        const QModelIndex index = indexOf(2);
        TabelaUzytkownicyDialog d(m_model.get(), index);
        ModalDriver driver;
        driver.onNext([](QWidget *dlg) {
            type(dlg, "leTelKont", QStringLiteral("+48 700 800 900"));
            pressOk(dlg);
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(driver.count(), 1);
        const QSqlRecord rec = d.getRecord();
        QVERIFY(!rec.value(QStringLiteral("uzt_haslo")).isValid());
        QVERIFY(!rec.value(QStringLiteral("uzt_login")).isValid());
        QStringList given;
        for (int i = 0; i < rec.count(); ++i) {
            if (rec.value(i).isValid())
                given << rec.fieldName(i);
        }
        QCOMPARE(given, QStringList{QStringLiteral("uzt_tel_kontaktowy")});

        m_log->mark();
        QVERIFY(m_model->update(rec, index));
        const QString log = m_log->joinedSinceMark();
        QVERIFY2(log.contains(QStringLiteral("update query:")), qPrintable(log));
        QVERIFY(log.contains(QStringLiteral("uzt_tel_kontaktowy")));
        for (const char *untouched : {"uzt_haslo", "uzt_login", "uzt_imie", "uzt_nazwisko", "uzt_notatka", "uzt_zatrudniony"})
            QVERIFY2(!log.contains(QString::fromLatin1(untouched)), untouched);

        QCOMPARE(digestOf(2), digest);
        QCOMPARE(db(QStringLiteral("SELECT uzt_tel_kontaktowy FROM uzytkownicy WHERE uzt_id = 2")).toString(),
                 QStringLiteral("+48 700 800 900"));
        QCOMPARE(db(QStringLiteral("SELECT uzt_login FROM uzytkownicy WHERE uzt_id = 2")).toString(),
                 QStringLiteral("kierownik"));
        QCOMPARE(db(QStringLiteral("SELECT uzt_notatka FROM uzytkownicy WHERE uzt_id = 2")).toString(),
                 QStringLiteral("Kierownik budów: Zielone Wzgórze i Komorniki."));
        qint32 id = 0;
        QVERIFY(OVApplication::instance()->loginToApp(QStringLiteral("kierownik"), QStringLiteral("kierownik"), id));
        QCOMPARE(id, 2);
    }

    void editThroughTheCommandSetsANewPassword()
    {
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            w<QPushButton>(d, "btZmienHaslo")->click();
            pressOk(d);
        });
        driver.onNext(enterPassword(QStringLiteral("Nowe-Haslo")));
        QVERIFY(edit(3));
        QCOMPARE(digestOf(3), OVApplication::passwordDigest(QStringLiteral("Nowe-Haslo")));
        qint32 id = 0;
        QVERIFY(!OVApplication::instance()->loginToApp(QStringLiteral("magazynier"), QStringLiteral("magazynier"), id));
        QVERIFY(OVApplication::instance()->loginToApp(QStringLiteral("magazynier"), QStringLiteral("Nowe-Haslo"), id));
        QCOMPARE(id, 3);

        // A cancelled password dialog changes nothing.
        TabelaUzytkownicyDialog d(m_model.get(), indexOf(3));
        driver.onNext([](QWidget *p) { pressCancel(p); });
        w<QPushButton>(&d, "btZmienHaslo")->click();
        QVERIFY(!d.getRecord().value(QStringLiteral("uzt_haslo")).isValid());
        QCOMPARE(w<QLabel>(&d, "laHasloStan")->text(), QStringLiteral("Hasło ustawione."));
    }
};

ORV_TEST_MAIN(TstUzytkownicyDialog)
#include "tst_uzytkownicydialog.moc"
