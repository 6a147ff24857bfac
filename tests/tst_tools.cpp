#include "LogReader.h"
#include "ModalDriver.h"
#include "NarzedziaPainterStrategy.h"
#include "TestUi.h"
#include "Session.h"
#include "TAVEwidencja.h"
#include "TAVItemDelegate.h"
#include "TAVListaWyboru.h"
#include "TAVTableModel.h"
#include "TabelaNarzedziaDialog.h"
#include "TestMain.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QResource>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

using TestUi::trigger;

class TstTools : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<LogReader> m_log;

    static int toolId(const QString &code)
    {
        return db(QStringLiteral("SELECT nrz_id FROM narzedzia WHERE nrz_kod = ?"), {code}).toInt();
    }
    static int tools() { return db(QStringLiteral("SELECT count(*) FROM narzedzia")).toInt(); }
    static void ok(QWidget *d) { d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click(); }
    static void cancel(QWidget *d) { d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click(); }
    static QLineEdit *edit(QWidget *d, const char *name) { return d->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    static TabelaNarzedziaDialog *tool(QWidget *w) { return qobject_cast<TabelaNarzedziaDialog *>(w); }
    static int currentKey(TAVEwidencja &v) { return v.getModel()->value(v.currentIndex().row(), 0).toInt(); }
    static QSize storedPhoto(int id)
    {
        const QVariant b64 = db(QStringLiteral("SELECT nrz_zdjecie FROM narzedzia WHERE nrz_id = ?"), {id});
        return b64.isNull() ? QSize() : QImage::fromData(QByteArray::fromBase64(b64.toByteArray())).size();
    }
    // Chooses the row of the key in the next pick list.
    static std::function<void(QWidget *)> pick(int key)
    {
        return [=](QWidget *w) {
            auto *d = qobject_cast<TAVDialog *>(w);
            QVERIFY(d && d->ewidencja() && d->ewidencja()->selectKey(key));
            ok(w);
        };
    }
    QString file(const QString &name, int w, int h)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        return image.save(m_dir.filePath(name)) ? m_dir.filePath(name) : QString();
    }
    // Edits the tool with the key in the register; the handlers are queued first.
    static bool editTool(TAVEwidencja &view, int key)
    {
        return view.selectKey(key) && trigger(view, QStringLiteral("Edytuj"));
    }
    // Answers the next message box with OK, keeping its title and texts.
    static void answer(ModalDriver &driver, QString *text)
    {
        driver.onNext([text](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            *text = box->windowTitle() + QLatin1Char('|') + box->text() + QLatin1Char('|') + box->informativeText();
            ModalDriver::click(box, QMessageBox::Ok);
        });
    }
    static void name(QWidget *w, const QString &kod, const QString &nazwa)
    {
        edit(w, "leKod")->setText(kod);
        edit(w, "leNazwa")->setText(nazwa);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QResource::registerResource(qEnvironmentVariable("ORV_BIN_DIR") + QStringLiteral("/orv_icons.rcc"));
        m_log = std::make_unique<LogReader>(QStringLiteral("tst_tools.log"));
    }
    void init() { QVERIFY(Session::start()); }

    // Adding from the top-level register: the warehouse first, nothing left
    // behind on cancel, placeholders, duplicate code and bad values refused.
    void addTool()
    {
        TAVEwidencja view(QStringLiteral("NarzedziaModel"), QString(), QString());
        const int before = tools();
        ModalDriver driver;
        QString title;
        driver.onNext([&](QWidget *w) { title = w->windowTitle(); cancel(w); });
        QVERIFY(trigger(view, QStringLiteral("Dodaj")));
        QCOMPARE(title, QStringLiteral("Wybierz magazyn docelowy"));
        QCOMPARE(tools(), before);

        QString refusal;
        driver.onNext(pick(2));
        driver.onNext([&](QWidget *w) {
            QCOMPARE(edit(w, "leKod")->text(), QStringLiteral("<WSTAW KOD>"));
            QCOMPARE(edit(w, "leNazwa")->text(), QStringLiteral("<WSTAW NAZWĘ>"));
            ok(w);
        });
        answer(driver, &refusal);
        driver.onNext(cancel);
        QVERIFY(trigger(view, QStringLiteral("Dodaj")));
        QCOMPARE(refusal, QStringLiteral("Brakujące dane|Wypełnij pole <b>Kod</b> inną wartością.|"));
        QCOMPARE(tools(), before);

        const QString photo = file(QStringLiteral("duze.png"), 800, 400);
        driver.onNext(pick(2));
        driver.onNext([&](QWidget *w) {
            name(w, QStringLiteral("EL-001"), QStringLiteral("Wiertarka akumulatorowa"));
            edit(w, "leWartosc")->setText(QStringLiteral("12abc"));
            ok(w);
        });
        answer(driver, &refusal);
        QString decimals;
        driver.onNext([&](QWidget *w) {
            edit(w, "leKod")->setText(QStringLiteral("EL-100"));
            edit(w, "leWartosc")->setText(QStringLiteral("1250,555"));
            ok(w);
        });
        answer(driver, &decimals);
        driver.onNext([&](QWidget *w) {
            edit(w, "leWartosc")->setText(QStringLiteral("1 250,5"));
            QVERIFY(tool(w)->loadPhotoFile(photo));
            tool(w)->chooseLkl();
            ok(w);
        });
        driver.onNext(pick(6));
        QVERIFY(trigger(view, QStringLiteral("Dodaj")));
        QVERIFY(refusal.contains(QStringLiteral("<b>Kod</b> o danej wartości już istnieje")));
        QVERIFY(refusal.contains(QStringLiteral("<b>Wartość</b>")) && decimals.contains(QStringLiteral("<b>Wartość</b>")));
        const int id = toolId(QStringLiteral("EL-100"));
        QCOMPARE(currentKey(view), id);
        QCOMPARE(db(QStringLiteral("SELECT concat_ws('/', nrz_fk_mgz, nrz_fk_lkl, nrz_wartosc) FROM narzedzia WHERE nrz_id = ?"),
                    {id}).toString(),
                 QStringLiteral("2/6/1250.50"));
        QCOMPARE(storedPhoto(id), QSize(400, 200));

        // The dialog shows the value and the date as the register does, and
        // an OK takes them back unchanged.
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_przeglad = '2026-12-21' WHERE nrz_id = ?"), {id}));
        view.select();
        QString value, date;
        driver.onNext([&](QWidget *w) {
            value = edit(w, "leWartosc")->text();
            date = w->findChild<QDateEdit *>(QStringLiteral("dtPrzeglad"))->text();
            ok(w);
        });
        const QString stamp = db(QStringLiteral("SELECT zmodyfikowano::text FROM narzedzia WHERE nrz_id = ?"), {id}).toString();
        QVERIFY(editTool(view, id));
        TAVTableModel *m = view.getModel();
        QCOMPARE(value, QStringLiteral("1\u00A0250,50"));
        QCOMPARE(m->data(m->index(m->rowOfKey(id), m->fieldIndex(QStringLiteral("nrz_wartosc")))).toString(), value);
        QCOMPARE(date, QStringLiteral("21.12.2026"));
        QCOMPARE(db(QStringLiteral("SELECT zmodyfikowano::text FROM narzedzia WHERE nrz_id = ?"), {id}).toString(), stamp);
    }

    // The warehouse's tools tab adds there without asking; a location of
    // another warehouse is refused by the database and leaves no row.
    void addInWarehouseTab()
    {
        TAVEwidencja warehouses(QStringLiteral("MagazynyModel"), QString(), QString());
        auto *tab = new TAVEwidencja(QStringLiteral("NarzedziaModel"), QString(), QStringLiteral("nrz_fk_mgz"));
        warehouses.addRelative(tab, QStringLiteral("nrz_fk_mgz"));
        QVERIFY(warehouses.selectKey(3));
        const int before = tools();
        ModalDriver driver;
        QString warning;
        driver.onNext([](QWidget *w) {
            QVERIFY(tool(w));
            name(w, QStringLiteral("MB-100"), QStringLiteral("Ubijak"));
            w->findChild<TAVListaWyboru *>(QStringLiteral("lwFkLkl"))->setKey(5);
            ok(w);
        });
        answer(driver, &warning);
        QVERIFY(trigger(*tab, QStringLiteral("Dodaj")));
        QVERIFY2(warning.contains(QStringLiteral("musi należeć do magazynu")), qPrintable(warning));
        QCOMPARE(tools(), before);

        driver.onNext([](QWidget *w) { name(w, QStringLiteral("MB-100"), QStringLiteral("Ubijak")); ok(w); });
        QVERIFY(trigger(*tab, QStringLiteral("Dodaj")));
        QCOMPARE(db(QStringLiteral("SELECT nrz_fk_mgz FROM narzedzia WHERE nrz_kod = 'MB-100'")).toInt(), 3);
        QCOMPARE(currentKey(*tab), toolId(QStringLiteral("MB-100")));
        // A transfer writes only the warehouse: the old location goes with it.
        QVERIFY(TestDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_mgz = 2 WHERE nrz_kod = 'EL-015'")));
        QVERIFY(db(QStringLiteral("SELECT nrz_fk_lkl FROM narzedzia WHERE nrz_kod = 'EL-015'")).isNull());
    }

    // Editing writes only what changed; the photo is scaled, kept, removed;
    // a tool deleted meanwhile is reported and nothing is written.
    void editAndPhoto()
    {
        TAVEwidencja view(QStringLiteral("NarzedziaModel"), QString(), QString());
        ModalDriver driver;
        const int id = toolId(QStringLiteral("EL-005"));
        m_log->mark();
        driver.onNext([](QWidget *w) {
            QVERIFY(!w->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMgz"))->isEnabled());
            edit(w, "leNazwa")->setText(QStringLiteral("Pilarka tarczowa Makita HS7601 (nowa tarcza)"));
            ok(w);
        });
        QVERIFY(editTool(view, id));
        QVERIFY(m_log->joinedSinceMark().contains(
                QStringLiteral("UPDATE narzedzia SET nrz_nazwa = $1, fk_uzt_zmodyfikowano = $2 WHERE")));

        const QString big = file(QStringLiteral("duze.png"), 800, 400);
        driver.onNext([&](QWidget *w) { QVERIFY(tool(w)->loadPhotoFile(big)); ok(w); });
        QVERIFY(editTool(view, id));
        QCOMPARE(storedPhoto(id), QSize(400, 200));

        const QString small = file(QStringLiteral("male.jpg"), 300, 200);
        driver.onNext([&](QWidget *w) { QVERIFY(tool(w)->loadPhotoFile(small)); ok(w); });
        QVERIFY(editTool(view, id));
        QCOMPARE(storedPhoto(id), QSize(300, 200));

        // Not a picture: a clear refusal and the photo stays.
        const QString text = m_dir.filePath(QStringLiteral("notatki.jpg"));
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("to nie jest zdjęcie") > 0 && f.flush());
        QString refusal;
        driver.onNext([&](QWidget *w) { QVERIFY(!tool(w)->loadPhotoFile(text)); ok(w); });
        answer(driver, &refusal);
        QVERIFY(editTool(view, id));
        QVERIFY(refusal.contains(QStringLiteral("nie jest obrazem")));
        QCOMPARE(storedPhoto(id), QSize(300, 200));

        driver.onNext([](QWidget *w) { tool(w)->deletePhoto(); ok(w); });
        QVERIFY(editTool(view, id));
        QVERIFY(db(QStringLiteral("SELECT nrz_zdjecie FROM narzedzia WHERE nrz_id = ?"), {id}).isNull());

        QVERIFY(TestDb::exec(QStringLiteral("INSERT INTO narzedzia (nrz_kod, nrz_nazwa, nrz_fk_mgz) VALUES ('TMP-1', 'Chwilowe', 1)")));
        view.select();
        const int gone = toolId(QStringLiteral("TMP-1"));
        driver.onNext([&](QWidget *w) {
            QVERIFY(TestDb::exec(QStringLiteral("DELETE FROM narzedzia WHERE nrz_id = ?"), {gone}));
            edit(w, "leNazwa")->setText(QStringLiteral("Inna nazwa"));
            ok(w);
        });
        answer(driver, &refusal);
        QVERIFY(editTool(view, gone));
        QVERIFY(refusal.contains(QStringLiteral("usunięty na innym stanowisku")));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM narzedzia WHERE nrz_nazwa = 'Inna nazwa'")).toInt(), 0);
    }

    // The assembly through the tool dialog: a sub-tool added and removed,
    // saved with the dialog, and a part showing its main tool.
    void assembly()
    {
        TAVEwidencja view(QStringLiteral("NarzedziaModel"), QString(), QString());
        ModalDriver driver;
        const int main = 5, part = 9;
        driver.onNext([&](QWidget *w) {
            QVERIFY(tool(w)->skladane());
            QVERIFY(trigger(*tool(w)->skladane(), QStringLiteral("Dodaj")));
            QCOMPARE(tool(w)->skladane()->getModel()->rowCount(), 1);
            cancel(w);
        });
        driver.onNext(pick(part));
        QVERIFY(editTool(view, main));
        QVERIFY(db(QStringLiteral("SELECT nrz_fk_nrz FROM narzedzia WHERE nrz_id = ?"), {part}).isNull());

        driver.onNext([&](QWidget *w) { QVERIFY(trigger(*tool(w)->skladane(), QStringLiteral("Dodaj"))); ok(w); });
        driver.onNext(pick(part));
        QVERIFY(editTool(view, main));
        QCOMPARE(db(QStringLiteral("SELECT nrz_fk_nrz FROM narzedzia WHERE nrz_id = ?"), {part}).toInt(), main);

        driver.onNext([&](QWidget *w) {
            QVERIFY(!tool(w)->skladane());
            QCOMPARE(edit(w, "leFkNrz")->text(), QStringLiteral("EL-006"));
            cancel(w);
        });
        QVERIFY(editTool(view, part));

        driver.onNext([&](QWidget *w) {
            TAVEwidencja *parts = tool(w)->skladane();
            QVERIFY(parts->selectKey(part));
            QVERIFY(trigger(*parts, QStringLiteral("Usun")));
            QCOMPARE(parts->getModel()->rowCount(), 0);
            ok(w);
        });
        driver.pressNext(QMessageBox::Yes);
        QVERIFY(editTool(view, main));
        QVERIFY(db(QStringLiteral("SELECT nrz_fk_nrz FROM narzedzia WHERE nrz_id = ?"), {part}).isNull());
        QCOMPARE(toolId(QStringLiteral("PM-001")), part);
    }

    // Inspection marks, the inspection choice of the search and the sort by date.
    void inspection()
    {
        TAVEwidencja view(QStringLiteral("NarzedziaModel"), QString(), QString());
        TAVTableModel *m = view.getModel();
        const int column = m->fieldIndex(QStringLiteral("nrz_przeglad"));
        auto *delegate = qobject_cast<TAVItemDelegate *>(view.tableView()->itemDelegateForColumn(column));
        QVERIFY(delegate);
        // The cell's colour and font as drawn: overdue, soon, later, written off.
        const auto cell = [&](const char *code) {
            const QModelIndex index = m->index(m->rowOfKey(toolId(QString::fromLatin1(code))), column);
            QImage image(60, 20, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            QStyleOptionViewItem option;
            option.rect = image.rect();
            delegate->paint(&painter, option, index);
            delegate->paintStrategy()->styleText(&option, index);
            return QStringList{image.pixelColor(1, 1).name(), option.font.bold() ? "bold" : option.font.italic() ? "italic" : ""};
        };
        QCOMPARE(cell("PM-005"), QStringList({PrzegladPainterStrategy::kOverdue.name(), "bold"}));
        QCOMPARE(cell("DR-004"), QStringList({PrzegladPainterStrategy::kSoon.name(), ""}));
        QCOMPARE(cell("RE-001"), QStringList({"#ffffff", ""}));
        QCOMPARE(cell("EL-007"), QStringList({"#ffffff", "italic"}));

        auto *choice = view.searchPanel()->findChild<QComboBox *>();
        QVERIFY(choice);
        const auto codes = [&](const QString &item) {
            choice->setCurrentText(item);
            view.makeSearch();
            QStringList out;
            for (int r = 0; r < m->rowCount(); ++r)
                out << m->value(r, QStringLiteral("nrz_kod")).toString();
            out.sort();
            return out.join(QLatin1Char(' '));
        };
        QCOMPARE(codes(QStringLiteral("po terminie")), QStringLiteral("PM-004 PM-005"));
        QCOMPARE(codes(QStringLiteral("w ciągu 30 dni")), QStringLiteral("DR-002 DR-004 PM-001"));
        view.clearSearch();
        QCOMPARE(choice->currentIndex(), 0);
        QCOMPARE(m->rowCount(), tools());

        view.tableView()->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
        QCOMPARE(m->value(0, QStringLiteral("nrz_kod")).toString(), QStringLiteral("PM-005"));
    }

    // Scanning finds a tool beyond the rows read, through a search that hid
    // it, says when no tool has the code, and is ready for the next scan.
    void scan()
    {
        TAVEwidencja view(QStringLiteral("NarzedziaModel"), QString(), QString());
        view.getModel()->setPageSizes(2, 2);
        view.select();
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QLineEdit *field = view.scanField();
        QVERIFY(field);
        view.tableView()->setFocus();
        QTest::keyClick(view.tableView(), Qt::Key_K, Qt::ControlModifier);
        QTRY_VERIFY(field->hasFocus());
        const auto scan = [&](const QString &code) {
            QTest::keyClicks(field, code);
            QTest::keyClick(field, Qt::Key_Return);
            // Cleared for the next scan.
            return field->text().isEmpty() ? view.scanStatus()->text() : QStringLiteral("not cleared");
        };
        const int last = toolId(QStringLiteral("RE-008"));
        QVERIFY(view.getModel()->cache().findKey(last) < 0);
        QVERIFY(scan(QStringLiteral("INW/2015/0108")).startsWith(QStringLiteral("Znaleziono")));
        QCOMPARE(currentKey(view), last);
        QVERIFY(scan(QStringLiteral("BRAK-404")).contains(QStringLiteral("Nie znaleziono kodu „BRAK-404”")));
        QCOMPARE(currentKey(view), last);
        // The refusal goes with the next keystroke (or after a few seconds).
        QVERIFY(view.scanStatus()->findChild<QTimer *>()->isActive());
        QTest::keyClick(field, Qt::Key_X);
        QVERIFY(view.scanStatus()->text().isEmpty());
        field->clear();

        QLineEdit *name = nullptr;
        for (auto *le : view.searchPanel()->findChildren<QLineEdit *>())
            name = le->property("searchFieldName") == QStringLiteral("nrz_nazwa") ? le : name;
        name->setText(QStringLiteral("Wiertarka"));
        view.makeSearch();
        QVERIFY(scan(QStringLiteral("N24-190455")).contains(QStringLiteral("wyszukiwanie wyczyszczone")));
        QCOMPARE(currentKey(view), toolId(QStringLiteral("PM-005")));
        QVERIFY(name->text().isEmpty());

        // A bar code two identical drills share: the user picks one of the
        // two; a cancelled pick selects nothing.
        const QString shared = QStringLiteral("3165140959562");
        ModalDriver driver;
        QStringList offered;
        driver.onNext([&](QWidget *w) {
            TAVTableModel *list = qobject_cast<TAVDialog *>(w)->ewidencja()->getModel();
            for (int r = 0; r < list->rowCount(); ++r)
                offered << list->value(r, QStringLiteral("nrz_kod")).toString();
            w->findChild<TAVEwidencja *>()->selectKey(toolId(QStringLiteral("EL-002")));
            ok(w);
        });
        QVERIFY(scan(shared).startsWith(QStringLiteral("Znaleziono")));
        QCOMPARE(offered, (QStringList{QStringLiteral("EL-001"), QStringLiteral("EL-002")}));
        QCOMPARE(currentKey(view), toolId(QStringLiteral("EL-002")));
        driver.onNext([](QWidget *w) { cancel(w); });
        QVERIFY(scan(shared).contains(QStringLiteral("nie wybrano")));
        QCOMPARE(currentKey(view), toolId(QStringLiteral("EL-002")));

        // Saving another tool with that code warns, naming a tool that has it, and saves.
        QString warning;
        driver.onNext([&](QWidget *d) {
            edit(d, "leKodKreskowy")->setText(shared);
            ok(d);
        });
        answer(driver, &warning);
        QVERIFY(editTool(view, toolId(QStringLiteral("EL-010"))));
        QVERIFY2(warning.contains(QStringLiteral("EL-001 Wiertarka udarowa Bosch GSB 18V-55")), qPrintable(warning));
        QCOMPARE(db(QStringLiteral("SELECT count(*) FROM narzedzia WHERE nrz_kod_kreskowy = ?"), {shared}).toInt(), 3);

        // Each lookup is one index probe, however many tools there are.
        QVERIFY(TestDb::exec(QStringLiteral("SET enable_seqscan = off")));
        const QString plan = db(QStringLiteral("EXPLAIN (FORMAT JSON) ")
                                + view.getModel()->scanStatement(view.getModel()->filter(), 50)
                                          .replace(QStringLiteral("$1"), QStringLiteral("'") + shared + QStringLiteral("'")))
                                     .toString();
        TestDb::exec(QStringLiteral("RESET enable_seqscan"));
        QVERIFY2(plan.contains(QStringLiteral("Index")) && !plan.contains(QStringLiteral("Seq Scan")), qPrintable(plan));
    }
};

ORV_TEST_MAIN(TstTools)
#include "tst_tools.moc"
