// Two workstations: what one commits shows on the other's open registers.
#include "Factories.h"
#include "ListaWyboruCommands.h"
#include "ModalDriver.h"
#include "Session.h"
#include "TAVDb.h"
#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TAVLiveUpdates.h"
#include "TAVTableModel.h"
#include "TestMain.h"
#include "TestUi.h"
#include "Workstation.h"

#include <QAbstractItemDelegate>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTableView>


#include <memory>

namespace {

bool ran(Workstation &w, const QString &sql)
{
    const QString cause = w.run(sql);
    if (!cause.isEmpty())
        qWarning() << cause;
    return cause.isEmpty();
}

// Whether the rows already read hold the key (no new read).
bool holds(TAVTableModel *m, int key)
{
    for (int r = 0; r < m->rowCount(); ++r) {
        if (m->value(r, m->primaryKeyName()).toInt() == key)
            return true;
    }
    return false;
}

// A cell as the register paints it.
QString shown(TAVEwidencja &view, int key, const QString &column)
{
    TAVTableModel *m = view.getModel();
    const int row = m->rowOfKey(key);
    if (row < 0)
        return QStringLiteral("<none>");
    const QModelIndex cell = m->index(row, m->fieldIndex(column));
    QAbstractItemDelegate *d = view.tableView()->itemDelegateForColumn(cell.column());
    auto *styled = qobject_cast<QStyledItemDelegate *>(d);
    return styled ? styled->displayText(cell.data(), QLocale()) : cell.data().toString();
}

} // namespace

class TstLiveUpdates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QVERIFY(Session::start());
        QVERIFY(TAVLiveUpdates::instance()->start());
    }
    void cleanup() { TAVLiveUpdates::instance()->stop(); }

    // Issued elsewhere: gone from the open pick list, "Nie" on stock in the register.
    void issuedElsewhere()
    {
        const int wrench = db(QStringLiteral("SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'RE-001'")).toInt();
        TAVEwidencja tools(QStringLiteral("NarzedziaModel"), QString(), QString());
        QVERIFY(tools.selectKey(wrench));
        QCOMPARE(shown(tools, wrench, QStringLiteral("nrz_przyjete_na_stan")), QStringLiteral("Tak"));
        Workstation other;
        std::unique_ptr<TAVTableModel> issues(
                SFModels::instance()->create(QStringLiteral("PrzypisaneNarzedziaPracownikomModel"), QString()));
        ModalDriver driver;
        driver.onNext([&](QWidget *w) {
            TAVEwidencja *list = qobject_cast<TAVDialog *>(w)->ewidencja();
            QVERIFY(holds(list->getModel(), wrench));
            QVERIFY(ran(other, QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, "
                                             "pnp_fk_mgz, pnp_fk_muz, pnp_fk_uzt_wyd) VALUES (%1, 1, 1, 1, 2); "
                                             "UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = %1")
                                      .arg(wrench)));
            QTRY_VERIFY(!holds(list->getModel(), wrench));
            TestUi::pressCancel(w);
        });
        NarzedziaListaWyboruCommand pick;
        pick.setParameter(QStringLiteral("filter"), QStringLiteral("nrz_przyjete_na_stan = true"));
        QPair<QString, int> chosen;
        QVERIFY(!pick.operacja(issues.get(), QModelIndex(), &chosen));
        QTRY_COMPARE(shown(tools, wrench, QStringLiteral("nrz_przyjete_na_stan")), QStringLiteral("Nie"));
        QCOMPARE(TestUi::currentKey(tools), wrench);
    }

    // Edited, added and deleted elsewhere; the selection stays, an open
    // dialog keeps what the user sees and saving says what happened.
    void rowsChangedElsewhere()
    {
        TAVEwidencja places(QStringLiteral("MiejscaUzytkowaniaModel"), QString(), QString());
        TAVTableModel *m = places.getModel();
        QVERIFY(places.selectKey(3));
        const int rows = m->rowCount();
        Workstation other;
        QVERIFY(ran(other, QStringLiteral("UPDATE miejsca_uzytkowania SET muz_nazwa = 'Etap I - wykończenia' WHERE muz_id = 1")));
        QTRY_COMPARE(shown(places, 1, QStringLiteral("muz_nazwa")), QStringLiteral("Etap I - wykończenia"));
        QVERIFY(ran(other, QStringLiteral("INSERT INTO miejsca_uzytkowania (muz_kod, muz_nazwa) VALUES ('AAA', 'Nowa budowa')")));
        QTRY_COMPARE(m->rowCount(), rows + 1);
        const int added = db(QStringLiteral("SELECT muz_id FROM miejsca_uzytkowania WHERE muz_kod = 'AAA'")).toInt();
        QCOMPARE(shown(places, added, QStringLiteral("muz_nazwa")), QStringLiteral("Nowa budowa"));
        QVERIFY(ran(other, QStringLiteral("DELETE FROM miejsca_uzytkowania WHERE muz_id = %1").arg(added)));
        QTRY_COMPARE(m->rowCount(), rows);
        QCOMPARE(TestUi::currentKey(places), 3);

        ModalDriver driver;
        driver.onNext([&](QWidget *d) {
            auto *name = d->findChild<QLineEdit *>(QStringLiteral("leNazwa"));
            const QString before = name->text();
            QVERIFY(ran(other, QStringLiteral("UPDATE miejsca_uzytkowania SET muz_nazwa = 'Zmiana obok' WHERE muz_id = 3")));
            QTRY_COMPARE(shown(places, 3, QStringLiteral("muz_nazwa")), QStringLiteral("Zmiana obok"));
            QCOMPARE(name->text(), before);
            name->setText(QStringLiteral("Moja zmiana"));
            TestUi::pressOk(d);
        });
        driver.expectBox(QStringLiteral("Edycja wpisu"),
                         QStringLiteral("Wpis został w międzyczasie zmieniony na innym stanowisku. Zamknij okno, aby "
                                        "zobaczyć zmiany, i wprowadź swoje ponownie."));
        driver.onNext([](QWidget *d) { TestUi::pressCancel(d); });
        driver.pressNext(QMessageBox::Yes);  // Odrzucić zmiany?
        TRIGGER(places, "Edytuj");
        QCOMPARE(db(QStringLiteral("SELECT muz_nazwa FROM miejsca_uzytkowania WHERE muz_id = 3")).toString(),
                 QStringLiteral("Zmiana obok"));
    }

    // A thousand commits elsewhere are read in a few round trips.
    void burstIsGathered()
    {
        TAVLiveUpdates *live = TAVLiveUpdates::instance();
        QSignalSpy delivered(live, &TAVLiveUpdates::delivered);
        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_fk_mgz, nrz_fk_stn) "
                                            "SELECT 'BURST-' || g, 'Narzędzie ' || g, 1, 1 FROM generate_series(1, 1000) g")));
        TAVEwidencja tools(QStringLiteral("NarzedziaModel"), QString(), QString());
        QVERIFY(delivered.wait());  // the insert's own notice
        const int last = db(QStringLiteral("SELECT max(nrz_id) FROM narzedzia")).toInt();
        QVERIFY(tools.selectKey(last));
        Workstation other;
        const qint64 before = TAVDb::roundTrips();
        for (int i = 0; i < 1000; ++i)
            QVERIFY(ran(other, QStringLiteral("UPDATE narzedzia SET nrz_uwagi = 'po przeglądzie' WHERE nrz_id = %1")
                                      .arg(last - 999 + i)));
        QTRY_COMPARE(shown(tools, last, QStringLiteral("nrz_uwagi")), QStringLiteral("po przeglądzie"));
        QTRY_VERIFY(!live->isGathering());
        const qint64 reads = TAVDb::roundTrips() - before;
        QVERIFY2(reads <= 8, qPrintable(QString::number(reads)));
        QCOMPARE(TestUi::currentKey(tools), last);
    }

    // The server restarted under an idle workstation: live updates off,
    // then back with everything read again over a new connection, and
    // nothing but the status bar says anything.
    void lostListenerRecovers()
    {
        TAVLiveUpdates *live = TAVLiveUpdates::instance();
        QSignalSpy changed(live, &TAVLiveUpdates::liveChanged);
        TAVEwidencja places(QStringLiteral("MiejscaUzytkowaniaModel"), QString(), QString());
        ModalDriver driver;
        const int pid = db(QStringLiteral("SELECT pid FROM pg_stat_activity WHERE application_name = 'Orvalo (aktualizacje)'")).toInt();
        QVERIFY(Session::loseConnection());
        QVERIFY(TestDb::terminateBackend(pid));
        QTRY_VERIFY(!live->isLive());
        QCOMPARE(changed.first().first().toBool(), false);
        Workstation other;
        QVERIFY(ran(other, QStringLiteral("UPDATE miejsca_uzytkowania SET muz_nazwa = 'Bez słuchacza' WHERE muz_id = 2")));
        QTRY_VERIFY_WITH_TIMEOUT(live->isLive(), 12000);
        QTRY_COMPARE(shown(places, 2, QStringLiteral("muz_nazwa")), QStringLiteral("Bez słuchacza"));
    }

    // An account switched off elsewhere: told at the next command.
    void accountSwitchedOff()
    {
        QVERIFY(Session::start(QStringLiteral("kierownik")));
        TAVEwidencja places(QStringLiteral("MiejscaUzytkowaniaModel"), QString(), QString());
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE uzytkownicy SET uzt_zatrudniony = false WHERE uzt_login = 'kierownik'")));
        ModalDriver driver;
        driver.expectBox(QStringLiteral("Konto użytkownika"));
        TRIGGER(places, "Dodaj");
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM miejsca_uzytkowania")).toInt(), 5);
    }
};

ORV_TEST_MAIN(TstLiveUpdates)
#include "tst_liveupdates.moc"
