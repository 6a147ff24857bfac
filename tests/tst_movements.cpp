// The three movements of a tool as a keeper makes them, the races of two
// workstations and the rules the database keeps whatever a client sends.
#include "ModalDriver.h"
#include "Session.h"
#include "TAVContext.h"
#include "TAVDb.h"
#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TAVListaWyboru.h"
#include "TAVTableModel.h"
#include "TestMain.h"
#include "TestUi.h"
#include "Workstation.h"
#include "PdfText.h"
#include "OrvReports.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <chrono>
#include <thread>


namespace {

int toolId(const char *code)
{
    return db(QStringLiteral("SELECT nrz_id FROM narzedzia WHERE nrz_kod = ?"), {QString::fromLatin1(code)}).toInt();
}

QString toolState(int tool)
{
    return db(QStringLiteral("SELECT nrz_przyjete_na_stan::text || ' ' || nrz_fk_mgz || ' ' || nrz_fk_stn "
                             "FROM narzedzia WHERE nrz_id = ?"),
              {tool})
            .toString();
}

int openMovements(int tool)
{
    return db(QStringLiteral("SELECT (SELECT count(*) FROM przesuniecia_mm WHERE psnmm_fk_nrz = $1 AND NOT psnmm_status)"
                             " + (SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = $1 "
                             "    AND NOT pnp_status)"
                             " + (SELECT count(*) FROM naprawy_przeglady WHERE np_fk_nrz = $1 AND NOT np_status)")
                      .replace(QLatin1String("$1"), QString::number(tool)))
            .toInt();
}

const QString kIssueTransfer = QStringLiteral("INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, "
                                              "psnmm_fk_mgz_dst, psnmm_fk_uzt_src) VALUES (%1, %2, %3, 2); "
                                              "UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = %1");
const QString kIssueEmployee = QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, "
                                              "pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd) "
                                              "SELECT nrz_id, 1, nrz_fk_mgz, 1, 2 FROM narzedzia WHERE nrz_id = %1; "
                                              "UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = %1");

// A pick list answered with the row of this key; the key must be offered.
std::function<void(QWidget *)> pick(int key, const QList<int> &absent = {})
{
    return [key, absent](QWidget *w) {
        auto *d = qobject_cast<TAVDialog *>(w);
        QVERIFY2(d && d->ewidencja(), "not a pick list");
        for (int other : absent)
            QVERIFY2(!d->ewidencja()->selectKey(other), qPrintable(QString::number(other)));
        QVERIFY(d->ewidencja()->selectKey(key));
        TestUi::pressOk(d);
    };
}

void choose(QWidget *dialog, const char *field)
{
    auto *lw = dialog->findChild<TAVListaWyboru *>(QString::fromLatin1(field));
    QVERIFY2(lw, field);
    emit lw->clicked();
}

void setState(QWidget *dialog, const char *combo, const QString &state)
{
    auto *cb = dialog->findChild<QComboBox *>(QString::fromLatin1(combo));
    QVERIFY2(cb, combo);
    const int i = cb->findText(state);
    QVERIFY2(i >= 0, qPrintable(state));
    cb->setCurrentIndex(i);
}

// A warning whose cause (the informative text) names what happened.
std::function<void(QWidget *)> warning(const QString &title, const QString &text, QString *cause)
{
    return [=](QWidget *w) {
        auto *box = qobject_cast<QMessageBox *>(w);
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), title);
        QCOMPARE(box->text(), text);
        *cause = box->informativeText();
        ModalDriver::click(box, QMessageBox::Ok);
    };
}

const QString kReceiveFailed = QStringLiteral("Wystąpił problem przy operacji przesunięcia międzymagazynowego. Nie "
                                              "można dokończyć operacji przesunięcia międzymagazynowego.");
const QString kToolFailed = QStringLiteral("Wystąpił problem z przesunięciem narzędzia. Nie można dokonać przesunięcia "
                                           "międzymagazynowego.");
} // namespace

class TstMovements : public QObject
{
    Q_OBJECT

private:
    // "MM-" from a warehouse: the tool, then the destination.
    void issueTransfer(TAVEwidencja &warehouses, ModalDriver &driver, int tool, int from, int to,
                       std::function<void(QWidget *)> inDialog = {})
    {
        QVERIFY(warehouses.selectKey(from));
        driver.onNext(pick(tool));
        driver.onNext(pick(to));
        driver.onNext([inDialog](QWidget *d) {
            if (inDialog)
                inDialog(d);
            TestUi::pressOk(d);
        });
        TRIGGER(warehouses, "MM-");
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(Session::start());
    }

    void transferIssuedAndReceived()
    {
        TAVEwidencja warehouses(QStringLiteral("MagazynyModel"), QString(), QString());
        ModalDriver driver;
        const int drill = toolId("EL-001");
        QVERIFY(warehouses.selectKey(1));
        // Only tools on stock, not written off, of this warehouse; the
        // source itself and a closed warehouse are no destination.
        driver.onNext(pick(drill, {toolId("EL-004"), toolId("EL-007"), toolId("EL-002")}));
        driver.onNext(pick(1, {4}));
        driver.expectBox(QStringLiteral("Niepoprawny magazyn"));
        driver.onNext(pick(2));
        driver.onNext([](QWidget *d) {
            TestUi::setText(d, "txUwagiWydanie", QStringLiteral("Na etap II"));
            TestUi::pressOk(d);
        });
        TRIGGER(warehouses, "MM-");
        QCOMPARE(toolState(drill), QStringLiteral("false 1 1"));
        const int transfer = db(QStringLiteral("SELECT psnmm_id FROM przesuniecia_mm WHERE psnmm_fk_nrz = ? AND "
                                               "NOT psnmm_status AND psnmm_fk_mgz_dst = 2 AND psnmm_uwagi_wydanie = "
                                               "'Na etap II' AND psnmm_fk_uzt_src = 1"),
                                {drill})
                                     .toInt();
        QVERIFY(transfer > 0);

        // Received at the destination: the tool is there, on stock.
        QVERIFY(warehouses.selectKey(2));
        driver.onNext(pick(transfer));
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkNrz"))->text(), QStringLiteral("EL-001"));
            QCOMPARE(d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMgzDst"))->text(), QStringLiteral("MG_BUDOWA1"));
            TestUi::pressOk(d);
        });
        TRIGGER(warehouses, "MM+");
        QCOMPARE(toolState(drill), QStringLiteral("true 2 1"));
        QCOMPARE(db(QStringLiteral("SELECT psnmm_status::text || psnmm_fk_uzt_dst FROM przesuniecia_mm WHERE psnmm_id = ?"),
                    {transfer})
                         .toString(),
                 QStringLiteral("true1"));
        QCOMPARE(driver.pendingHandlers(), 0);
    }

    // Empty pick fields are named under their captions, a field that
    // follows another is not; the warehouse a field already holds opens the
    // list again without a word.
    void pickFieldsOfTheDialogs()
    {
        TAVEwidencja warehouses(QStringLiteral("MagazynyModel"), QString(), QString());
        ModalDriver driver;
        QVERIFY(warehouses.selectKey(1));
        driver.closeNext();
        driver.closeNext();
        driver.onNext([&](QWidget *d) {
            QCOMPARE(d->findChild<QLabel *>(QStringLiteral("la_psnmm_fk_nrz"))->text(), QStringLiteral("&Narzędzie"));
            driver.expectBox(QStringLiteral("Pola nie spełniają wymagań"),
                             QStringLiteral("Pozycja <b>Narzędzie</b> nie może być pusta.<br/>Pozycja <b>Magazyn "
                                            "przyjmujący</b> nie może być pusta."));
            TestUi::pressOk(d);
            driver.onNext(pick(2));
            choose(d, "lwFkMgzDst");
            driver.onNext(pick(2));
            driver.onNext(pick(3));
            choose(d, "lwFkMgzDst");
            QCOMPARE(d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMgzDst"))->text(), QStringLiteral("MG_BUDOWA2"));
            driver.pressNext(QMessageBox::Yes);
            TestUi::pressCancel(d);
        });
        TRIGGER(warehouses, "MM-");

        TAVEwidencja employees(QStringLiteral("PracownicyModel"), QString(), QString());
        QVERIFY(employees.selectKey(3));
        driver.onNext([&](QWidget *d) {
            QCOMPARE(d->findChild<QLabel *>(QStringLiteral("la_pnp_fk_mgz"))->text(), QStringLiteral("Ma&gazyn"));
            driver.expectBox(QStringLiteral("Pola nie spełniają wymagań"),
                             QStringLiteral("Pozycja <b>Narzędzie</b> nie może być pusta.<br/>Pozycja <b>Miejsce "
                                            "użytkowania</b> nie może być pusta."));
            TestUi::pressOk(d);
            TestUi::pressCancel(d);
        });
        TRIGGER(employees, "Wydaj pracownikowi");
        QCOMPARE(driver.pendingHandlers(), 0);
    }

    // A trip's tool list is titled after the kind of trip; another tool
    // brings its own warehouse and state.
    void tripDialogFollowsTheChosenTool()
    {
        TAVEwidencja tools(QStringLiteral("NarzedziaModel"), QString(), QString());
        ModalDriver driver;
        QVERIFY(tools.selectKey(toolId("PM-006")));
        QString title;
        driver.onNext([&](QWidget *d) {
            driver.onNext(TestUi::pickKey(toolId("RE-005"), &title));
            choose(d, "lwFkNrz");
            QCOMPARE(d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMgz"))->text(), QStringLiteral("MG_GLOWNY"));
            QCOMPARE(d->findChild<QComboBox *>(QStringLiteral("cbFkStnWyd"))->currentText(), QStringLiteral("Uszkodzone"));
            driver.pressNext(QMessageBox::Yes);
            TestUi::pressCancel(d);
        });
        TRIGGER(tools, "Wydaj do przeglądu");
        QCOMPARE(title, QStringLiteral("Wybierz narzędzie do przeglądu"));
        QCOMPARE(driver.pendingHandlers(), 0);
    }

    void transferCancelledStaysAtSource()
    {
        const int hammer = toolId("EL-004");  // in transit from MG_GLOWNY in the demo
        TAVEwidencja transfers(QStringLiteral("PrzesunieciaMMModel"), TAVContext::Main, QString());
        const int transfer = db(QStringLiteral("SELECT psnmm_id FROM przesuniecia_mm WHERE psnmm_fk_nrz = ?"), {hammer}).toInt();
        QVERIFY(transfers.selectKey(transfer));
        ModalDriver driver;
        driver.expectBox(QStringLiteral("Czy chcesz anulować wydanie?"), QString(), QMessageBox::No);
        TRIGGER(transfers, "Anuluj wydanie");
        QCOMPARE(toolState(hammer), QStringLiteral("false 1 1"));
        driver.expectBox(QStringLiteral("Czy chcesz anulować wydanie?"), QString(), QMessageBox::Yes);
        TRIGGER(transfers, "Anuluj wydanie");
        QCOMPARE(toolState(hammer), QStringLiteral("true 1 1"));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM przesuniecia_mm WHERE psnmm_id = ?"), {transfer}).toInt(), 0);
        QVERIFY(TestUi::currentKey(transfers) != transfer);
    }

    // Two workstations take the same tool: the one that commits first wins,
    // nothing of the other's movement is written.
    void raceForOneTool()
    {
        TAVEwidencja warehouses(QStringLiteral("MagazynyModel"), QString(), QString());
        ModalDriver driver;
        Workstation other;
        const int saw = toolId("EL-005");
        QString cause;
        issueTransfer(warehouses, driver, saw, 1, 3, [&](QWidget *) {
            QCOMPARE(other.run(kIssueEmployee.arg(saw)), QString());
            driver.onNext(warning(QStringLiteral("Wydanie na inny magazyn"),
                                  QStringLiteral("Nie zrealizować wydania - wystąpił błąd."), &cause));
        });
        QVERIFY2(!cause.isEmpty(), "the loser is told why");
        QCOMPARE(openMovements(saw), 1);
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM przesuniecia_mm WHERE psnmm_fk_nrz = ?"), {saw}).toInt(), 0);

        // To an employee while the other workstation sends it for repair.
        const int wrench = toolId("RE-001");
        TAVEwidencja employees(QStringLiteral("PracownicyModel"), QString(), QString());
        QVERIFY(employees.selectKey(2));
        driver.onNext([&](QWidget *d) {
            driver.onNext(pick(wrench));
            choose(d, "lwFkNrz");
            driver.onNext(pick(1));
            choose(d, "lwFkMuz");
            QCOMPARE(other.run(QStringLiteral("INSERT INTO naprawy_przeglady (np_typ, np_fk_nrz, np_fk_mgz, "
                                              "np_fk_uzt_wyd) VALUES (0, %1, 1, 2); UPDATE narzedzia SET "
                                              "nrz_przyjete_na_stan = false WHERE nrz_id = %1")
                                       .arg(wrench)),
                     QString());
            driver.expectBox(QStringLiteral("Przypisanie narzędzia"),
                             QStringLiteral("Nie można zrealizować żądania. Wybrane narzędzie już nie jest na "
                                            "magazynie."));
            TestUi::pressOk(d);
        });
        TRIGGER(employees, "Wydaj pracownikowi");
        QCOMPARE(openMovements(wrench), 1);
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = ?"), {wrench})
                         .toInt(),
                 0);
    }

    // One receives a transfer while another receives or cancels it.
    void raceForOneTransfer_data()
    {
        QTest::addColumn<QString>("otherDoes");
        QTest::addColumn<QString>("endsAs");
        QTest::newRow("received elsewhere")
                << QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_mgz = 3 WHERE nrz_id = %1; "
                                  "UPDATE przesuniecia_mm SET psnmm_status = true, psnmm_fk_uzt_dst = 2, "
                                  "psnmm_data_przyjecie = current_date WHERE psnmm_id = %2")
                << QStringLiteral("true 3 1");
        QTest::newRow("cancelled elsewhere")
                << QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true WHERE nrz_id = %1; "
                                  "DELETE FROM przesuniecia_mm WHERE psnmm_id = %2")
                << QStringLiteral("true 1 1");
    }
    void raceForOneTransfer()
    {
        QFETCH(QString, otherDoes);
        QFETCH(QString, endsAs);
        const int hammer = toolId("EL-004");
        const int transfer = db(QStringLiteral("SELECT psnmm_id FROM przesuniecia_mm WHERE psnmm_fk_nrz = ?"), {hammer}).toInt();
        TAVEwidencja transfers(QStringLiteral("PrzesunieciaMMModel"), TAVContext::Main, QString());
        QVERIFY(transfers.selectKey(transfer));
        ModalDriver driver;
        Workstation other;
        QString first, second;
        driver.onNext([&](QWidget *d) {
            QCOMPARE(other.run(otherDoes.arg(hammer).arg(transfer)), QString());
            TestUi::pressOk(d);
        });
        driver.onNext(warning(QStringLiteral("Przesunięcie między magazynami"), kToolFailed, &first));
        driver.onNext(warning(QStringLiteral("Przesunięcie między magazynami"), kReceiveFailed, &second));
        TRIGGER(transfers, "Przyjmij na magazyn");
        QVERIFY(!first.isEmpty());
        QCOMPARE(toolState(hammer), endsAs);
        QCOMPARE(openMovements(hammer), 0);
    }

    // The server goes away between the dialog and the writes.
    void serverLostBeforeTheWrites()
    {
        TAVEwidencja warehouses(QStringLiteral("MagazynyModel"), QString(), QString());
        ModalDriver driver;
        const int saw = toolId("EL-005");
        QString cause;
        issueTransfer(warehouses, driver, saw, 1, 2, [&](QWidget *) {
            QVERIFY(Session::serverAway());
            driver.onNext(warning(QStringLiteral("Wydanie na inny magazyn"),
                                  QStringLiteral("Nie zrealizować wydania - wystąpił błąd."), &cause));
        });
        QVERIFY(Session::serverBack());
        QVERIFY(!cause.isEmpty());
        QCOMPARE(toolState(saw), QStringLiteral("true 1 1"));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM przesuniecia_mm WHERE psnmm_fk_nrz = ?"), {saw}).toInt(), 0);
        // Back: once the program is connected again, the next transfer goes through.
        QTRY_VERIFY_WITH_TIMEOUT(TAVDb::exec(QStringLiteral("SELECT 1")) != nullptr, 10000);
        warehouses.select();
        issueTransfer(warehouses, driver, saw, 1, 2);
        QCOMPARE(toolState(saw), QStringLiteral("false 1 1"));
    }

    // Whatever a client sends, the database keeps every tool in one place.
    void databaseRules_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        const QString twice = QStringLiteral("Narzędzie jest już w innym ruchu (przesunięcie, wydanie pracownikowi, "
                                             "naprawa lub przegląd). Odśwież widok.");
        const QString history = QStringLiteral("Zakończony ruch narzędzia jest historią: nie można go zmienić ani usunąć.");
        // The loser of a race that updates the flag only when it is still set.
        QTest::newRow("conditional double issue")
                << QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_kod = 'EL-004' AND "
                                  "nrz_przyjete_na_stan; INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, "
                                  "pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd) SELECT nrz_id, 1, 1, 1, 1 FROM "
                                  "narzedzia WHERE nrz_kod = 'EL-004'")
                << twice;
        QTest::newRow("off stock without a movement")
                << QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_kod = 'EL-001'")
                << QStringLiteral("Narzędzie może zejść ze stanu magazynu tylko przez wydanie (przesunięcie, pracownik, "
                                  "naprawa lub przegląd).");
        QTest::newRow("transfer from elsewhere")
                << kIssueTransfer.arg(QStringLiteral("(SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'EL-001')"),
                                      QStringLiteral("2"), QStringLiteral("3"))
                << QStringLiteral("Przesunięcie musi wychodzić z magazynu, w którym narzędzie się znajduje.");
        QTest::newRow("closed transfer reopened")
                << QStringLiteral("UPDATE przesuniecia_mm SET psnmm_status = false WHERE psnmm_status") << history;
        QTest::newRow("closed repair changed")
                << QStringLiteral("UPDATE naprawy_przeglady SET np_uwagi_prz = 'x' WHERE np_status") << history;
        QTest::newRow("closed issue deleted")
                << QStringLiteral("DELETE FROM przypisane_narzedzia_pracownikom WHERE pnp_status") << history;
        QTest::newRow("open issue deleted")
                << QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true WHERE nrz_kod = 'EL-010'; "
                                  "DELETE FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = "
                                  "(SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'EL-010')")
                << QStringLiteral("Wydania narzędzia nie można usunąć; można je tylko zakończyć przyjęciem.");
        QTest::newRow("written-off tool moved")
                << kIssueTransfer.arg(QStringLiteral("(SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'EL-007')"),
                                      QStringLiteral("1"), QStringLiteral("2"))
                << QStringLiteral("Narzędzie zostało zlikwidowane; nie można go wydać ani przesunąć.");
        QTest::newRow("damaged tool to a worker")
                << kIssueEmployee.arg(QStringLiteral("(SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'RE-005')"))
                << QStringLiteral("Narzędzie jest uszkodzone; nie można go wydać pracownikowi. Najpierw wyślij je do "
                                  "naprawy.");
    }
    void databaseRules()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        Workstation other;
        const QString before = db(QStringLiteral("SELECT string_agg(nrz_id || nrz_przyjete_na_stan::text, ',' ORDER BY nrz_id) "
                                                 "FROM narzedzia")).toString();
        QCOMPARE(other.run(sql), message);
        QCOMPARE(db(QStringLiteral("SELECT string_agg(nrz_id || nrz_przyjete_na_stan::text, ',' ORDER BY nrz_id) "
                                   "FROM narzedzia")).toString(),
                 before);
    }

    void issueToEmployeeAndBack()
    {
        TAVEwidencja employees(QStringLiteral("PracownicyModel"), QString(), QString());
        ModalDriver driver;
        const int level = toolId("PM-005");  // inspection overdue
        const int ladder = toolId("DR-003");
        QVERIFY(employees.selectKey(3));
        // The dialog, then its two pick lists; damaged, away or written-off
        // tools are not offered.
        auto issueTool = [&](int tool) {
            driver.onNext([tool](QWidget *d) {
                choose(d, "lwFkNrz");
                QCOMPARE(d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMgz"))->data().toInt(),
                         db(QStringLiteral("SELECT nrz_fk_mgz FROM narzedzia WHERE nrz_id = ?"), {tool}).toInt());
                QVERIFY(!d->findChild<QComboBox *>(QStringLiteral("cbFkStnWydanie"))->isEnabled());
                // From the keyboard: Tab stops at the pick field, not at its buttons; F4 opens its list.
                auto *place = d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMuz"));
                place->setFocus();
                QTest::keyClick(place, Qt::Key_Tab);
                QVERIFY(!qobject_cast<QToolButton *>(QApplication::focusWidget()));
                place->setFocus();
                QTest::keyClick(place, Qt::Key_F4);
                TestUi::pressOk(d);
            });
            driver.onNext(pick(tool, {toolId("RE-005"), toolId("EL-004"), toolId("EL-007")}));
            driver.onNext(pick(3));
        };
        const QString overdue = QStringLiteral("Termin przeglądu narzędzia minął %1. Wydać mimo to?")
                                        .arg(QDate::currentDate().addDays(-10).toString(QStringLiteral("dd.MM.yyyy")));
        issueTool(level);
        driver.expectBox(QStringLiteral("Przypisanie narzędzia"), overdue, QMessageBox::No);
        TRIGGER(employees, "Wydaj pracownikowi");
        QCOMPARE(toolState(level), QStringLiteral("true 1 1"));

        // Its category lends for 14 days: the planned return is proposed from that.
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE kategorie_narzedzi SET ktr_nrz_okres_wypozyczenia = 14 WHERE ktr_nrz_id = "
                                            "(SELECT nrz_fk_ktr_nrz FROM narzedzia WHERE nrz_id = ?)"), {ladder}));
        issueTool(ladder);
        driver.expectBox(QStringLiteral("Karta wydania narzędzia"), QString(), QMessageBox::No);
        TRIGGER(employees, "Wydaj pracownikowi");
        QCOMPARE(toolState(ladder), QStringLiteral("false 2 1"));
        const int issue = db(QStringLiteral("SELECT pnp_id FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = ? "
                                            "AND NOT pnp_status AND pnp_fk_prc = 3 AND pnp_fk_mgz = 2 AND "
                                            "pnp_fk_stn_wydanie = 1 AND pnp_fk_muz = 3"),
                             {ladder})
                                  .toInt();
        QVERIFY(issue > 0);

        // Taken back: the state is required and becomes the tool's; the
        // warehouse stays.
        TAVEwidencja issued(QStringLiteral("PrzypisaneNarzedziaPracownikomModel"), QString(), QString());
        QVERIFY(issued.selectKey(issue));
        const QString planned = QStringLiteral("SELECT pnp_planowany_zwrot FROM przypisane_narzedzia_pracownikom WHERE pnp_id = %1").arg(issue);
        QCOMPARE(db(planned).toDate(), QDate::currentDate().addDays(14));
        driver.onNext([](QWidget *d) {
            d->findChild<QDateEdit *>(QStringLiteral("dtPlanowanyZwrot"))->setDate(QDate::currentDate().addDays(30));
            TestUi::pressOk(d);
        });
        TRIGGER(issued, "Przedłuż termin zwrotu");
        QCOMPARE(db(planned).toDate(), QDate::currentDate().addDays(30));
        driver.onNext([](QWidget *d) {
            QCOMPARE(d->findChild<QComboBox *>(QStringLiteral("cbFkStnWydanie"))->currentText(), QStringLiteral("Sprawne"));
            TestUi::pressOk(d);
        });
        driver.pressNext(QMessageBox::Ok);
        driver.onNext([](QWidget *d) {
            setState(d, "cbFkStnPrzyjecie", QStringLiteral("Uszkodzone"));
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("Karta wydania narzędzia"), QString(), QMessageBox::No);
        TRIGGER(issued, "Przyjmij od pracownika");
        QCOMPARE(toolState(ladder), QStringLiteral("true 2 2"));
        QCOMPARE(db(QStringLiteral("SELECT pnp_status::text || pnp_fk_stn_przyjecie || pnp_fk_uzt_prz FROM "
                                   "przypisane_narzedzia_pracownikom WHERE pnp_id = ?"),
                    {issue})
                         .toString(),
                 QStringLiteral("true21"));

        // Taken back on another workstation meanwhile: refused, nothing changes.
        const int screwdriver = toolId("EL-010");
        const int open = db(QStringLiteral("SELECT pnp_id FROM przypisane_narzedzia_pracownikom WHERE pnp_fk_nrz = ?"),
                            {screwdriver})
                                 .toInt();
        issued.select();
        QVERIFY(issued.selectKey(open));
        Workstation other;
        driver.onNext([&](QWidget *d) {
            setState(d, "cbFkStnPrzyjecie", QStringLiteral("Sprawne"));
            QCOMPARE(other.run(QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_stn = 4 WHERE "
                                              "nrz_id = %1; UPDATE przypisane_narzedzia_pracownikom SET pnp_status = "
                                              "true, pnp_fk_stn_przyjecie = 4, pnp_fk_uzt_prz = 2, "
                                              "pnp_data_przyjecie = current_date WHERE pnp_id = %2")
                                       .arg(screwdriver)
                                       .arg(open)),
                     QString());
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("Przypisanie narzędzia"),
                         QStringLiteral("Nie można zrealizować zwrotu. Wybrane narzędzie już jest na magazynie lub "
                                        "narzędzie zostało zwrócone."));
        TRIGGER(issued, "Przyjmij od pracownika");
        QCOMPARE(toolState(screwdriver), QStringLiteral("true 2 4"));
    }

    // Late from the day after the planned return: the days, the employee's
    // count and the register's choice follow the same boundary.
    void overdueAtTheDateBoundary()
    {
        const int issue = db(QStringLiteral("SELECT min(pnp_id) FROM przypisane_narzedzia_pracownikom WHERE NOT pnp_status")).toInt();
        const int worker = db(QStringLiteral("SELECT pnp_fk_prc FROM przypisane_narzedzia_pracownikom WHERE pnp_id = ?"), {issue}).toInt();
        TAVEwidencja issued(QStringLiteral("PrzypisaneNarzedziaPracownikomModel"), QString(), QString());
        QComboBox *term = nullptr;
        for (QComboBox *cb : issued.findChildren<QComboBox *>())
            term = cb->findText(QStringLiteral("po terminie")) >= 0 ? cb : term;
        QVERIFY(term);
        for (const auto &[days, late, soon] : {std::tuple{-1, 1, false}, {0, 0, true}, {7, 0, true}, {8, 0, false}}) {
            QVERIFY(TestDb::exec(QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_planowany_zwrot = "
                                                "current_date + ?::integer WHERE pnp_id = ?"), {days, issue}));
            QCOMPARE(db(QStringLiteral("SELECT pnp_dni_po_terminie FROM v_przypisane_narzedzia_pracownikom WHERE pnp_id = ?"),
                        {issue}).toInt(), late);
            QCOMPARE(db(QStringLiteral("SELECT prc_po_terminie FROM v_pracownicy WHERE prc_id = ?"), {worker}).toInt(), late);
            for (const auto &[choice, expected] : {std::pair{"po terminie", late > 0}, {"w ciągu 7 dni", soon}}) {
                term->setCurrentIndex(term->findText(QString::fromUtf8(choice)));
                issued.makeSearch();
                QCOMPARE(issued.getModel()->rowOfKey(issue) >= 0, expected);
            }
        }
    }

    // With the database's rule on, an employee holding a late tool gets no
    // other unless an administrator confirms it; the issue names who did,
    // and another workstation's issue without a confirmation is refused.
    void lateBorrowerRule()
    {
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE orv_reguly_bazy SET orb_nie_wydawaj_po_terminie = true")));
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_planowany_zwrot = pnp_data_wydanie "
                                            "WHERE pnp_id = (SELECT min(pnp_id) FROM przypisane_narzedzia_pracownikom "
                                            "WHERE NOT pnp_status AND pnp_fk_prc = 1)")));
        const int ladder = toolId("DR-003");
        QCOMPARE(Workstation().run(QStringLiteral("SET LOCAL orv.uzytkownik = '1'; UPDATE narzedzia SET nrz_przyjete_na_stan = "
                                                  "false WHERE nrz_id = %1; INSERT INTO przypisane_narzedzia_pracownikom "
                                                  "(pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd) VALUES "
                                                  "(%1, 1, 2, 3, 1)").arg(ladder)),
                 QStringLiteral("Pracownik ma narzędzia po terminie zwrotu (1); wydać mu kolejne może tylko administrator, "
                                "potwierdzając to."));
        TAVEwidencja employees(QStringLiteral("PracownicyModel"), QString(), QString());
        QVERIFY(employees.selectKey(1));
        ModalDriver driver;
        driver.onNext([](QWidget *d) {
            choose(d, "lwFkNrz");
            choose(d, "lwFkMuz");
            TestUi::pressOk(d);
        });
        driver.onNext(pick(ladder));
        driver.onNext(pick(3));
        driver.expectBox(QStringLiteral("Przypisanie narzędzia"),
                         QStringLiteral("Pracownik ma narzędzia po terminie zwrotu (1). Wydać mimo to? Twoje potwierdzenie "
                                        "zostanie zapisane przy wydaniu."),
                         QMessageBox::Yes);
        driver.expectBox(QStringLiteral("Karta wydania narzędzia"), QString(), QMessageBox::No);
        TRIGGER(employees, "Wydaj pracownikowi");
        QCOMPARE(db(QStringLiteral("SELECT pnp_potwierdzil_po_terminie FROM przypisane_narzedzia_pracownikom WHERE "
                                   "pnp_fk_nrz = ? AND NOT pnp_status"), {ladder}).toInt(), Session::userId(QStringLiteral("admin")));
    }

    void repairAndInspection()
    {
        TAVEwidencja tools(QStringLiteral("NarzedziaModel"), QString(), QString());
        ModalDriver driver;
        const int bender = toolId("RE-005");  // damaged
        QVERIFY(tools.selectKey(bender));
        driver.onNext([](QWidget *d) {
            // The state when sent is the tool's, before it changes.
            QCOMPARE(d->findChild<QComboBox *>(QStringLiteral("cbFkStnWyd"))->currentText(), QStringLiteral("Uszkodzone"));
            TestUi::pressOk(d);
        });
        TRIGGER(tools, "Wydaj do naprawy");
        QCOMPARE(toolState(bender), QStringLiteral("false 1 2"));
        QCOMPARE(db(QStringLiteral("SELECT np_typ || '/' || np_fk_stn_wyd || '/' || np_fk_mgz FROM naprawy_przeglady "
                                   "WHERE np_fk_nrz = ? AND NOT np_status"),
                    {bender})
                         .toString(),
                 QStringLiteral("0/2/1"));

        // An inspection of a measuring tool (category: every 12 months, the
        // tool's own interval overrides it).
        const int laser = toolId("PM-006");
        TestDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_przeglad_miesiace = 3 WHERE nrz_id = ?"), {laser});
        QVERIFY(tools.selectKey(laser));
        driver.onNext([](QWidget *d) { TestUi::pressOk(d); });
        TRIGGER(tools, "Wydaj do przeglądu");
        QCOMPARE(toolState(laser), QStringLiteral("false 2 3"));
        const int trip = db(QStringLiteral("SELECT np_id FROM naprawy_przeglady WHERE np_fk_nrz = ? AND NOT np_status"),
                            {laser})
                                 .toInt();
        // Stored as sent in working order, whatever the tool shows now.
        TestDb::exec(QStringLiteral("UPDATE naprawy_przeglady SET np_data_wyd = current_date - 7, np_fk_stn_wyd = 1 "
                                    "WHERE np_id = ?"), {trip});

        TAVEwidencja trips(QStringLiteral("NaprawyPrzegladyModel"), TAVContext::Main, QString());
        QVERIFY(trips.selectKey(trip));
        QDate proposed;
        driver.onNext([&](QWidget *d) {
            // The stored sending day, not today's.
            QCOMPARE(d->findChild<QDateEdit *>(QStringLiteral("dtDataWyd"))->date(), QDate::currentDate().addDays(-7));
            QCOMPARE(d->findChild<QComboBox *>(QStringLiteral("cbFkStnWyd"))->currentText(), QStringLiteral("Sprawne"));
            auto *next = d->findChild<QDateEdit *>(QStringLiteral("dtNastepnyPrzeglad"));
            QVERIFY(next->isVisibleTo(d));
            QCOMPARE(next->date(), QDate::currentDate().addMonths(3));
            // Another return day moves the proposal with it; no day after today passes.
            d->findChild<QDateEdit *>(QStringLiteral("dtDataPrz"))->setDate(QDate::currentDate().addDays(10));
            setState(d, "cbFkStnPrz", QStringLiteral("Sprawne"));
            TestUi::pressOk(d);
        });
        driver.onNext([](QWidget *box) {
            QVERIFY(qobject_cast<QMessageBox *>(box)->text().contains(
                    QStringLiteral("Data <b>Przyjęcia</b> nie może być późniejsza od dzisiejszej (%1).")
                            .arg(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")))));
            ModalDriver::close(box);
        });
        driver.onNext([&](QWidget *d) {
            auto *next = d->findChild<QDateEdit *>(QStringLiteral("dtNastepnyPrzeglad"));
            d->findChild<QDateEdit *>(QStringLiteral("dtDataPrz"))->setDate(QDate::currentDate().addDays(-1));
            proposed = next->date();
            TestUi::pressOk(d);
        });
        TRIGGER(trips, "Przyjmij z przeglądu");
        QCOMPARE(proposed, QDate::currentDate().addDays(-1).addMonths(3));
        QCOMPARE(toolState(laser), QStringLiteral("true 2 1"));
        QCOMPARE(db(QStringLiteral("SELECT nrz_przeglad FROM narzedzia WHERE nrz_id = ?"), {laser}).toDate(), proposed);

        // Taken back twice at once: the second is refused.
        const int grinder = toolId("EL-012");  // at the repairer's in the demo
        const int repair = db(QStringLiteral("SELECT np_id FROM naprawy_przeglady WHERE np_fk_nrz = ? AND NOT np_status"),
                              {grinder})
                                   .toInt();
        trips.select();
        QVERIFY(trips.selectKey(repair));
        Workstation other;
        driver.onNext([&](QWidget *d) {
            QVERIFY(!d->findChild<QDateEdit *>(QStringLiteral("dtNastepnyPrzeglad"))->isVisibleTo(d));
            setState(d, "cbFkStnPrz", QStringLiteral("Sprawne"));
            QCOMPARE(other.run(QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_stn = 1 WHERE "
                                              "nrz_id = %1; UPDATE naprawy_przeglady SET np_status = true, "
                                              "np_fk_stn_prz = 1, np_fk_uzt_prz = 2, np_data_prz = current_date "
                                              "WHERE np_id = %2")
                                       .arg(grinder)
                                       .arg(repair)),
                     QString());
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("Przyjęcie z naprawy"),
                         QStringLiteral("Nie można zrealizować żądania. Wybrane narzędzie już jest na magazynie."));
        TRIGGER(trips, "Przyjmij z naprawy");
        // With server accounts the receiver is whoever signed the other workstation in.
        QCOMPARE(db(QStringLiteral("SELECT np_fk_uzt_prz FROM naprawy_przeglady WHERE np_id = ?"), {repair}).toInt(),
                 TestDb::serverRights() ? Session::userId(QStringLiteral("admin")) : 2);
    }
    // A kit moves whole or not at all: refused while another workstation
    // takes one of its tools, issued by scanning its code, taken back by
    // scanning with two tools missing (and their shortage record), then
    // sent to another warehouse and received there whole.
    void kitIssuedReturnedAndTransferred()
    {
        QVERIFY(Session::start(QStringLiteral("kierownik")));
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO zestawy (zst_kod, zst_nazwa, zst_fk_mgz) VALUES "
                                            "('ZS-GEO', 'Zestaw geodezyjny', 2)")));
        const int kit = db(QStringLiteral("SELECT zst_id FROM zestawy WHERE zst_kod = 'ZS-GEO'")).toInt();
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_zst = ? WHERE nrz_id IN (SELECT nrz_id FROM narzedzia "
                                            "WHERE nrz_fk_mgz = 2 AND nrz_przyjete_na_stan AND nrz_fk_stn = 1 AND NOT "
                                            "nrz_zlikwidowano ORDER BY nrz_id LIMIT 4)"), {kit}));
        QList<int> members;
        QStringList codes;
        for (const QString &row : db(QStringLiteral("SELECT string_agg(nrz_id || ' ' || nrz_kod, ',' ORDER BY nrz_kod) FROM "
                                                    "narzedzia WHERE nrz_fk_zst = ?"), {kit}).toString().split(QLatin1Char(','))) {
            members << row.section(QLatin1Char(' '), 0, 0).toInt();
            codes << row.section(QLatin1Char(' '), 1);
        }
        QCOMPARE(members.size(), 4);
        const QString title = QStringLiteral("Zestawy narzędzi"), name = QStringLiteral("ZS-GEO – Zestaw geodezyjny");
        TAVEwidencja kits(QStringLiteral("ZestawyModel"), QString(), QString());
        ModalDriver driver;

        // Another workstation issues one of its tools meanwhile and holds it
        // locked; this one waits for it and is then refused, naming the tool.
        Workstation other;
        QCOMPARE(other.begin(kIssueEmployee.arg(members.at(1))), QString());
        std::thread later([&other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            other.commit();
        });
        QVERIFY(kits.selectKey(kit));
        driver.onNext([](QWidget *d) {
            choose(d, "lwFkPrc");
            choose(d, "lwFkMuz");
            TestUi::pressOk(d);
        });
        driver.onNext(pick(2));
        driver.onNext(pick(1));
        QString cause;
        driver.onNext(warning(title, QStringLiteral("Zestawu %1 nie wydano.").arg(name), &cause));
        TRIGGER(kits, "Wydaj zestaw pracownikowi");
        later.join();
        QCOMPARE(cause, QStringLiteral("Nie można wydać narzędzi: %1: poza magazynem.").arg(codes.at(1)));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM przypisane_narzedzia_pracownikom WHERE pnp_grupa IS NOT NULL")).toInt(), 0);
        QCOMPARE(other.run(QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_status = true, pnp_data_przyjecie = "
                                          "current_date, pnp_fk_stn_przyjecie = 1, pnp_fk_uzt_prz = 2 WHERE pnp_fk_nrz = %1 AND NOT pnp_status; "
                                          "UPDATE narzedzia SET nrz_przyjete_na_stan = true WHERE nrz_id = %1")
                                   .arg(members.at(1))),
                 QString());

        // The kit's code scanned in the employee's issue dialog takes the whole kit.
        TAVEwidencja employees(QStringLiteral("PracownicyModel"), QString(), QString());
        QVERIFY(employees.selectKey(2));
        driver.onNext([&](QWidget *d) {
            auto *code = d->findChild<QLineEdit *>(QStringLiteral("leKod"));
            TestUi::typeText(code, QStringLiteral("zs-geo"));
            QTest::keyClick(code, Qt::Key_Return);
            QVERIFY(d->isVisible());
            QCOMPARE(d->findChild<TAVListaWyboru *>(QStringLiteral("lwFkNrz"))->text(),
                     QStringLiteral("Zestaw %1 (narzędzi: 4)").arg(name));
            choose(d, "lwFkMuz");
            TestUi::pressOk(d);
        });
        driver.onNext(pick(1));
        driver.expectBox(title, QStringLiteral("Wydano zestaw %1: narzędzi 4.").arg(name));
        TRIGGER(employees, "Wydaj pracownikowi");
        const qint64 group = db(QStringLiteral("SELECT min(pnp_grupa) FROM przypisane_narzedzia_pracownikom WHERE NOT pnp_status "
                                               "AND pnp_fk_prc = 2 HAVING count(DISTINCT pnp_grupa) = 1 AND count(*) = 4")).toLongLong();
        QVERIFY(group > 0);

        // Back by scanning: two tools, one of them scanned twice, and a stranger's code.
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_kod_kreskowy = '5901234123457' WHERE nrz_id = ?"),
                             {members.at(2)}));
        kits.select();
        QVERIFY(kits.selectKey(kit));
        driver.onNext([&](QWidget *d) {
            auto *code = d->findChild<QLineEdit *>(QStringLiteral("leKod"));
            auto *note = d->findChild<QLabel *>(QStringLiteral("laKomunikat"));
            const auto scan = [&](const QString &text) {
                TestUi::typeText(code, text);
                QTest::keyClick(code, Qt::Key_Return);
                return note->text();
            };
            QCOMPARE(d->findChild<QTableWidget *>(QStringLiteral("twNarzedzia"))->rowCount(), 4);
            QVERIFY(scan(codes.at(0)).startsWith(QStringLiteral("Zwrócono: %1").arg(codes.at(0))));
            QVERIFY(scan(QStringLiteral("5901234123457")).startsWith(QStringLiteral("Zwrócono: %1").arg(codes.at(2))));
            QCOMPARE(scan(codes.at(0)), QStringLiteral("Narzędzie %1 już zeskanowano – pominięto.").arg(codes.at(0)));
            QVERIFY(scan(QStringLiteral("EL-999")).startsWith(QStringLiteral("Kod „EL-999” nie należy")));
            QVERIFY(d->isVisible());
            QCOMPARE(d->findChild<QLabel *>(QStringLiteral("laLicznik"))->text(), QStringLiteral("Zwrócono 2 z 4 narzędzi."));
            auto *state = qobject_cast<QComboBox *>(
                    d->findChild<QTableWidget *>(QStringLiteral("twNarzedzia"))->cellWidget(2, 3));
            state->setCurrentIndex(state->findText(QStringLiteral("Uszkodzone")));
            TestUi::pressOk(d);
        });
        driver.expectBox(title, QStringLiteral("Zwrócono 2 z 4 narzędzi zestawu %1; brakujące pozostają wydane pracownikowi. "
                                               "Wydrukować protokół braków?").arg(name),
                         QMessageBox::No);
        TRIGGER(kits, "Przyjmij zestaw od pracownika");
        QCOMPARE(db(QStringLiteral("SELECT string_agg(n.nrz_kod, ',' ORDER BY n.nrz_kod) FROM przypisane_narzedzia_pracownikom p "
                                   "JOIN narzedzia n ON n.nrz_id = p.pnp_fk_nrz WHERE p.pnp_grupa = ? AND NOT p.pnp_status"),
                    {group}).toString(),
                 codes.at(1) + QLatin1Char(',') + codes.at(3));
        QCOMPARE(toolState(members.at(2)), QStringLiteral("true 2 2"));
        QCOMPARE(db(QStringLiteral("SELECT zst_stan FROM v_zestawy WHERE zst_id = ?"), {kit}).toString(),
                 QStringLiteral("niekompletny (2 brakuje)"));

        // The shortage record names the employee and exactly the missing tools.
        QTemporaryDir dir;
        ParameterList params;
        params.append(QStringLiteral("TAV_ID"), group);
        const QString pdf = dir.filePath(QStringLiteral("braki.pdf"));
        QVERIFY(OrvReports::printReport(nullptr, QStringLiteral("protokol_brakow"), params, {}, OrvReports::OutputMode::Pdf, pdf));
        const QString text = pdfText(pdf);
        for (const QString &expected : {QStringLiteral("Protokół braków"), QStringLiteral("ZS-GEO – Zestaw geodezyjny"),
                                        QStringLiteral("Piotr Nowak"), codes.at(1), codes.at(3),
                                        QStringLiteral("Brakujących narzędzi: 2"), QStringLiteral("Podpis pracownika")})
            QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" in: ") + text));
        QVERIFY(!text.contains(codes.at(0)) && !text.contains(codes.at(2)));

        // The rest comes back; then the kit goes to another warehouse, and
        // is received there whole by a manager of that warehouse alone.
        QCOMPARE(other.run(QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_status = true, pnp_data_przyjecie = "
                                          "current_date, pnp_fk_stn_przyjecie = 1, pnp_fk_uzt_prz = 2 WHERE pnp_grupa = %1 AND NOT "
                                          "pnp_status; UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_stn = 1 WHERE "
                                          "nrz_fk_zst = %2 AND NOT nrz_przyjete_na_stan").arg(group).arg(kit)),
                 QString());
        kits.select();
        QVERIFY(kits.selectKey(kit));
        driver.onNext([](QWidget *d) {
            choose(d, "lwFkMgzDst");
            TestUi::pressOk(d);
        });
        driver.onNext(pick(3));
        driver.expectBox(title, QStringLiteral("Wydano zestaw %1 na inny magazyn: narzędzi 4. Magazyn docelowy przyjmuje cały "
                                               "zestaw.").arg(name));
        TRIGGER(kits, "Wydaj zestaw na inny magazyn");
        const int transfer = db(QStringLiteral("SELECT min(psnmm_id) FROM przesuniecia_mm WHERE psnmm_grupa IS NOT NULL AND NOT "
                                               "psnmm_status HAVING count(*) = 4")).toInt();
        QVERIFY(transfer > 0);
        QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = 2 AND ovuprmgz_fk_mgz = 2")));
        TAVEwidencja warehouses(QStringLiteral("MagazynyModel"), QString(), QString());
        QVERIFY(warehouses.selectKey(3));
        driver.onNext(pick(transfer));
        driver.onNext([](QWidget *d) { TestUi::pressOk(d); });
        driver.expectBox(QStringLiteral("Przesunięcie między magazynami"),
                         QStringLiteral("Przesunięcie należało do zestawu: przyjęto cały zestaw (narzędzi: 4)."));
        TRIGGER(warehouses, "MM+");
        QCOMPARE(db(QStringLiteral("SELECT zst_fk_mgz || ' ' || zst_stan FROM v_zestawy WHERE zst_id = ?"), {kit}).toString(),
                 QStringLiteral("3 kompletny"));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM narzedzia WHERE nrz_fk_zst = ? AND nrz_fk_mgz = 3 AND "
                                   "nrz_przyjete_na_stan"), {kit}).toInt(), 4);

        // To inspection: each tool its own trip, in the state of a tool away.
        kits.select();
        QVERIFY(kits.selectKey(kit));
        driver.onNext([](QWidget *d) { TestUi::pressOk(d); });
        driver.expectBox(title, QStringLiteral("Wysłano zestaw %1 do przeglądu: narzędzi 4.").arg(name));
        TRIGGER(kits, "Wyślij zestaw do przeglądu");
        QCOMPARE(db(QStringLiteral("SELECT count(DISTINCT np_grupa) || '/' || count(*) || '/' || min(np_typ) FROM "
                                   "naprawy_przeglady n JOIN narzedzia t ON t.nrz_id = n.np_fk_nrz WHERE NOT np_status AND "
                                   "t.nrz_fk_zst = ? AND t.nrz_fk_stn = 3 AND NOT t.nrz_przyjete_na_stan"), {kit}).toString(),
                 QStringLiteral("1/4/1"));
        QCOMPARE(driver.pendingHandlers(), 0);
    }
};

ORV_TEST_MAIN(TstMovements)
#include "tst_movements.moc"
