#include "ChangePasswordDialog.h"
#include "ModalDriver.h"
#include "TestMain.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

class TstChangePassword : public QObject
{
    Q_OBJECT

private:
    template <typename T>
    static T *w(QWidget *d, const char *name) { return d->findChild<T *>(QString::fromLatin1(name)); }

    static QPushButton *button(QWidget *d, QDialogButtonBox::StandardButton which)
    {
        return w<QDialogButtonBox>(d, "buttonBox")->button(which);
    }

    // Types both entries and presses a button of the box. The press is
    // queued so that a warning it raises is met by the driver, not inside
    // this handler.
    static std::function<void(QWidget *)> enter(const QString &first, const QString &second,
                                                QDialogButtonBox::StandardButton which = QDialogButtonBox::Ok)
    {
        return [first, second, which](QWidget *d) {
            QVERIFY(qobject_cast<ChangePasswordDialog *>(d));
            auto type = [d](const char *name, const QString &text) {
                auto *le = w<QLineEdit>(d, name);
                le->setFocus();
                QTest::keyClicks(le, text);
            };
            type("leNoweHaslo1", first);
            type("leNoweHaslo2", second);
            QTimer::singleShot(0, button(d, which), &QPushButton::click);
        };
    }

private Q_SLOTS:
    void formFollowsTheDesign()
    {
        ChangePasswordDialog d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.windowTitle(), QStringLiteral("Ustawianie hasła"));

        const QList<QPair<const char *, QPair<const char *, QString>>> rows = {
            {"laHaslo", {"leHaslo", QStringLiteral("Obecne hasło")}},
            {"laNoweHaslo1", {"leNoweHaslo1", QStringLiteral("Nowe hasło")}},
            {"laNoweHaslo2", {"leNoweHaslo2", QStringLiteral("Powtórz nowe hasło")}},
        };
        for (const auto &row : rows) {
            auto *label = w<QLabel>(&d, row.first);
            auto *edit = w<QLineEdit>(&d, row.second.first);
            QVERIFY2(label && edit, row.first);
            QCOMPARE(label->text(), row.second.second);
            QCOMPARE(label->buddy(), edit);
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
        }

        // The current password is not asked for.
        QVERIFY(!w<QLabel>(&d, "laHaslo")->isVisible());
        QVERIFY(!w<QLineEdit>(&d, "leHaslo")->isVisible());
        QVERIFY(w<QLabel>(&d, "laNoweHaslo1")->isVisible());
        QVERIFY(w<QLineEdit>(&d, "leNoweHaslo1")->isVisible());
        QVERIFY(w<QLabel>(&d, "laNoweHaslo2")->isVisible());
        QVERIFY(w<QLineEdit>(&d, "leNoweHaslo2")->isVisible());

        QVERIFY(button(&d, QDialogButtonBox::Ok));
        QVERIFY(button(&d, QDialogButtonBox::Cancel));
    }

    void equalEntriesAreAccepted()
    {
        ChangePasswordDialog d;
        ModalDriver driver;
        driver.onNext(enter(QStringLiteral("Klucz#2024"), QStringLiteral("Klucz#2024")));
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(driver.count(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Ustawianie hasła"));
        QCOMPARE(d.newPassword(), QStringLiteral("Klucz#2024"));
    }

    void entriesDifferingInCaseAreRefused()
    {
        ChangePasswordDialog d;
        ModalDriver driver;
        bool stillOpen = false;
        QString kept1, kept2;
        driver.onNext(enter(QStringLiteral("Magazyn7"), QStringLiteral("magazyn7")));
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([&](QWidget *dlg) {
            stillOpen = dlg->isVisible();
            kept1 = w<QLineEdit>(dlg, "leNoweHaslo1")->text();
            kept2 = w<QLineEdit>(dlg, "leNoweHaslo2")->text();
            button(dlg, QDialogButtonBox::Cancel)->click();
        });

        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QCOMPARE(driver.pendingHandlers(), 0);
        QCOMPARE(driver.count(), 3);
        const ModalDriver::Seen warning = driver.seen().at(1);
        QCOMPARE(warning.className, QStringLiteral("QMessageBox"));
        QCOMPARE(warning.icon, QMessageBox::Warning);
        QCOMPARE(warning.title, QStringLiteral("Niepoprawne dane"));
        QCOMPARE(warning.text, QStringLiteral("Nowe hasło nie jest identycznie powtórzone."));

        QVERIFY(stillOpen);
        QCOMPARE(driver.seen().at(2).className, QStringLiteral("ChangePasswordDialog"));
        QCOMPARE(kept1, QStringLiteral("Magazyn7"));
        QCOMPARE(kept2, QStringLiteral("magazyn7"));
        QVERIFY(d.newPassword().isEmpty());
    }

    void checkWarnsOnlyOnMismatch()
    {
        ChangePasswordDialog d;
        ModalDriver driver;
        w<QLineEdit>(&d, "leNoweHaslo1")->setText(QStringLiteral("abc"));
        w<QLineEdit>(&d, "leNoweHaslo2")->setText(QStringLiteral("abc"));
        QVERIFY(d.check());
        QCOMPARE(driver.count(), 0);

        // A trailing blank counts: the entries are compared as typed.
        w<QLineEdit>(&d, "leNoweHaslo2")->setText(QStringLiteral("abc "));
        QVERIFY(!d.check());
        QCOMPARE(driver.count(), 1);
        QCOMPARE(driver.last().title, QStringLiteral("Niepoprawne dane"));
        QVERIFY(d.newPassword().isEmpty());
    }

    void twoEmptyEntriesAreEqual()
    {
        ChangePasswordDialog d;
        ModalDriver driver;
        driver.onNext(enter(QString(), QString()));
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QCOMPARE(driver.count(), 1);
        QVERIFY(d.newPassword().isEmpty());
    }

    void cancelRejects()
    {
        ChangePasswordDialog d;
        ModalDriver driver;
        driver.onNext(enter(QStringLiteral("nowe"), QStringLiteral("nowe"), QDialogButtonBox::Cancel));
        QCOMPARE(d.exec(), int(QDialog::Rejected));
        QCOMPARE(driver.count(), 1);
    }
};

ORV_TEST_MAIN(TstChangePassword)
#include "tst_changepassword.moc"
