// The pictures of the manual. To add a window: append a Shot whose take()
// opens it on the demo data and calls save() (or, for a modal window,
// onModal(saveAndClose(...)) before the action that opens it). The PNG is
// written as resources/docs/pomoc/img/<name>.png; the manual refers to it
// as img/<name>.png.
#include "ShotCamera.h"
#include "KitMovement.h"
#include "Inwentaryzacja.h"
#include "ZestawyRuchyCommands.h"

#include "ChangePasswordDialog.h"
#include "KontaSerweraDialog.h"
#include "IniDbSettingsManipulator.h"
#include "LogInDbSettingsDialog.h"
#include "LogInDialog.h"
#include "MainWindow.h"
#include "OProgramie.h"
#include "OVApplication.h"
#include "Startup.h"
#include "ParameterList.h"
#include "OrvReports.h"
#include "orReport.h"
#include "ReportPreviewDialog.h"
#include "TAVDb.h"
#include "TAVSession.h"
#include "TerminyNotice.h"
#include "TAVEwidencja.h"
#include "TAVListaWyboru.h"
#include "TAVTableModel.h"

#include "TabelaKategorieNarzedziDialog.h"
#include "TabelaLokalizacjeDialog.h"
#include "TabelaMagazynDialog.h"
#include "TabelaMiejscaUzytkowaniaDialog.h"
#include "TabelaNaprawyPrzegladyDialog.h"
#include "TabelaNarzedziaDialog.h"
#include "TabelaPrzesunieciaMMDialog.h"
#include "TabelaPrzypisaneNarzedziaPracownikomDialog.h"
#include "TabelaPracownicyDialog.h"
#include "TabelaUzytkownicyDialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlRecord>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <memory>

namespace {

// A record dialog of type T on the register's current row (or a new record).
template <typename T>
void saveRecordDialog(ShotCamera &camera, TAVEwidencja *view, const QString &name, bool newRecord = false)
{
    if (!view)
        return;
    T dialog(view->getModel(), newRecord ? QModelIndex() : view->currentIndex());
    camera.save(&dialog, name);
}

QAction *registerAction(TAVEwidencja *view, const QString &text)
{
    for (QAction *a : view->getModel()->actions()) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

// Profiles of a workstation: the default one, pointed at the server the
// pictures are taken from, and one more for the office server.
std::unique_ptr<IniDbSettingsManipulator> profiles(const QTemporaryDir &dir)
{
    auto settings = std::make_unique<IniDbSettingsManipulator>(QStringLiteral("dbsettings.ini"), dir.path());
    settings->createDefault();
    const QSqlDatabase db = QSqlDatabase::database();
    OVApplication *app = OVApplication::instance();
    settings->saveConnection(QStringLiteral("domyślne"), db.hostName(), db.port(), app->dbUserName(),
                             app->dbUserPassword(), settings->hint(QStringLiteral("domyślne")));
    settings->saveConnection(QStringLiteral("serwer w biurze"), QStringLiteral("192.168.1.10"), 5432,
                             app->dbUserName(), app->dbUserPassword(),
                             QStringLiteral("Serwer bazy danych w biurze firmy."));
    settings->sync();
    return settings;
}

// The first row whose columns hold those values (an open movement, a tool).
void selectWhere(TAVEwidencja *view, const QList<QPair<QString, QVariant>> &values)
{
    TAVTableModel *m = view->getModel();
    for (int r = 0; r < m->rowCount(); ++r) {
        bool all = true;
        for (const auto &v : values)
            all = all && m->value(r, v.first) == v.second;
        if (all) {
            view->tableView()->selectRow(r);
            return;
        }
    }
}

// A movement register and the closing step of its selected open row.
template <typename T>
void saveMovement(ShotCamera &c, const QString &icon, const QList<QPair<QString, QVariant>> &row, const QString &name,
                  const QString &dialogName)
{
    TAVEwidencja *view = c.openModule(icon);
    if (!view)
        return;
    selectWhere(view, row);
    c.save(c.mainWindow(), name);
    T dialog(view->getModel(), view->currentIndex(), QSqlRecord());
    dialog.setPrzyjecieMode();
    c.save(&dialog, dialogName);
}

void fill(QWidget *dialog, const QString &field, const QString &text)
{
    if (auto *edit = dialog->findChild<QLineEdit *>(field))
        edit->setText(text);
}

} // namespace

QList<Shot> shotList()
{
    return {
        {QStringLiteral("logowanie"), QString(), [](ShotCamera &c) {
             QTemporaryDir dir;
             auto settings = profiles(dir);
             LogInDialog dialog(settings.get());
             fill(&dialog, QStringLiteral("leUzytkownik"), QStringLiteral("kierownik"));
             fill(&dialog, QStringLiteral("leHaslo"), QStringLiteral("kierownik"));
             c.save(&dialog, QStringLiteral("logowanie"));
         }},
        {QStringLiteral("polaczenie"), QString(), [](ShotCamera &c) {
             LogInDbSettingsDialog dialog(QStringLiteral("serwer w biurze"), QStringLiteral("192.168.1.10"), 5432,
                                          QStringLiteral("tav_orv_user"), QStringLiteral("MOB_tae"),
                                          QStringLiteral("Serwer bazy danych w biurze firmy."));
             dialog.setStandbys(QStringLiteral("192.168.1.11:5432"), false);
             c.save(&dialog, QStringLiteral("polaczenie"));
         }},
        // The real sign-in with a wrong password, up to its warning.
        {QStringLiteral("komunikat_logowanie"), QString(), [](ShotCamera &c) {
             QTemporaryDir dir;
             auto settings = profiles(dir);
             LogInDialog dialog(settings.get());
             c.onModal([](QWidget *w) {
                 fill(w, QStringLiteral("leUzytkownik"), QStringLiteral("kierownik"));
                 fill(w, QStringLiteral("leHaslo"), QStringLiteral("złe hasło"));
                 static_cast<QDialog *>(w)->accept();
             });
             c.onModal(c.saveAndClose(QStringLiteral("komunikat_logowanie")));
             OrvStartup::signIn(dialog);
         }},
        {QStringLiteral("okno_glowne"), QStringLiteral("admin"), [](ShotCamera &c) {
             c.save(c.mainWindow(), QStringLiteral("okno_glowne"));
         }},
        {QStringLiteral("okno_glowne_kierownik"), QStringLiteral("kierownik"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("mgz2"));
             if (view) {
                 // A warehouse the manager runs: its locations may be changed.
                 view->tableView()->selectRow(1);
                 c.showRelative(view, QStringLiteral("Lokalizacje"));
             }
             c.save(c.mainWindow(), QStringLiteral("okno_glowne_kierownik"));
         }},
        {QStringLiteral("magazyny"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("mgz2"));
             if (!view)
                 return;
             c.showRelative(view, QStringLiteral("Lokalizacje"));
             c.save(c.mainWindow(), QStringLiteral("magazyny"));
             c.showRelative(view, QStringLiteral("Kierownicy magazynu"));
             c.save(c.mainWindow(), QStringLiteral("magazyny_kierownicy"));
             saveRecordDialog<TabelaMagazynDialog>(c, view, QStringLiteral("magazyn_dialog"));
             for (TAVEwidencja *relative : view->relatives()) {
                 if (relative->title() == QStringLiteral("Lokalizacje")) {
                     relative->selectFirstRow();
                     saveRecordDialog<TabelaLokalizacjeDialog>(c, relative, QStringLiteral("lokalizacja_dialog"));
                 }
             }
         }},
        {QStringLiteral("wyszukiwarka"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("role"));
             if (!view || !view->searchAction())
                 return;
             view->searchAction()->setChecked(true);
             for (QLineEdit *edit : view->searchPanel()->findChildren<QLineEdit *>()) {
                 if (edit->property("searchFieldName").toString() == QStringLiteral("prc_stanowisko"))
                     edit->setText(QStringLiteral("mont"));
             }
             view->makeSearch();
             view->selectFirstRow();
             c.save(c.mainWindow(), QStringLiteral("wyszukiwarka"));
         }},
        // A new warehouse saved with empty fields: the validation message.
        {QStringLiteral("komunikat_walidacja"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("mgz2"));
             if (!view)
                 return;
             TabelaMagazynDialog dialog(view->getModel(), QModelIndex());
             dialog.show();
             c.onModal(c.saveAndClose(QStringLiteral("komunikat_walidacja")));
             if (auto *box = dialog.findChild<QDialogButtonBox *>())
                 box->button(QDialogButtonBox::Ok)->click();
         }},
        {QStringLiteral("miejsca_uzytkowania"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("construction"));
             if (!view)
                 return;
             c.save(c.mainWindow(), QStringLiteral("miejsca_uzytkowania"));
             saveRecordDialog<TabelaMiejscaUzytkowaniaDialog>(c, view, QStringLiteral("miejsce_uzytkowania_dialog"));
             // The question every "Kasuj" asks; the picture answers No.
             if (QAction *kasuj = registerAction(view, QStringLiteral("Kasuj"))) {
                 c.onModal(c.saveAndClose(QStringLiteral("komunikat_usuwanie")));
                 kasuj->trigger();
             }
         }},
        // A warehouse that still holds tools: the database refuses the delete.
        {QStringLiteral("komunikat_usuwanie_odmowa"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("mgz2"));
             QAction *kasuj = view ? registerAction(view, QStringLiteral("Kasuj")) : nullptr;
             if (!kasuj)
                 return;
             selectWhere(view, {{QStringLiteral("mgz_symbol"), QStringLiteral("MG_BUDOWA1")}});
             c.onModal([](QWidget *w) {
                 if (auto *box = qobject_cast<QMessageBox *>(w))
                     box->button(QMessageBox::Yes)->click();
             });
             c.onModal(c.saveAndClose(QStringLiteral("komunikat_usuwanie_odmowa")));
             kasuj->trigger();
         }},
        // Issuing a tool whose inspection is overdue asks first; the picture answers No.
        {QStringLiteral("komunikat_przeglad"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("role"));
             QAction *wydaj = view ? registerAction(view, QStringLiteral("Wydaj pracownikowi")) : nullptr;
             if (!wydaj)
                 return;
             view->selectFirstRow();
             c.onModal([](QWidget *w) {
                 const QSqlDatabase db = QSqlDatabase::database();
                 QSqlQuery q(db);
                 q.exec(QStringLiteral("SELECT nrz_id FROM narzedzia WHERE nrz_kod = 'PM-005'"));
                 if (auto *tool = w->findChild<TAVListaWyboru *>(QStringLiteral("lwFkNrz")); tool && q.next())
                     tool->setKey(q.value(0));
                 if (auto *place = w->findChild<TAVListaWyboru *>(QStringLiteral("lwFkMuz")))
                     place->setKey(1);
                 if (auto *box = w->findChild<QDialogButtonBox *>())
                     box->button(QDialogButtonBox::Ok)->click();
             });
             c.onModal(c.saveAndClose(QStringLiteral("komunikat_przeglad")));
             wydaj->trigger();
         }},
        // A surveying kit of MG_BUDOWA1 with one tool away.
        {QStringLiteral("zestawy"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVDb::exec(QStringLiteral("INSERT INTO zestawy (zst_kod, zst_nazwa, zst_fk_mgz, zst_uwagi) VALUES "
                                        "('ZST-NIW-01', 'Zestaw niwelacyjny', 2, 'Niwelator, statyw i łata w skrzyni.')"));
             TAVDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_zst = (SELECT zst_id FROM zestawy WHERE zst_kod = 'ZST-NIW-01') "
                                        "WHERE nrz_fk_mgz = 2 AND nrz_id IN (SELECT nrz_id FROM narzedzia WHERE nrz_fk_mgz = 2 "
                                        "ORDER BY nrz_id LIMIT 3)"));
             TAVEwidencja *view = c.openModule(QStringLiteral("zestawy"));
             if (!view)
                 return;
             c.showRelative(view, QStringLiteral("Narzędzia zestawu"));
             c.save(c.mainWindow(), QStringLiteral("zestawy"));
         }},
        // A kit back from a site with two of its four tools: two scans, one of them a stranger's code.
        {QStringLiteral("zwrot_zestawu"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVDb::exec(QStringLiteral("INSERT INTO zestawy (zst_kod, zst_nazwa, zst_fk_mgz) VALUES "
                                        "('ZST-GEO-02', 'Zestaw geodezyjny', 2)"));
             TAVDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_zst = (SELECT zst_id FROM zestawy WHERE zst_kod = 'ZST-GEO-02') "
                                        "WHERE nrz_id IN (SELECT nrz_id FROM narzedzia WHERE nrz_fk_mgz = 2 AND nrz_przyjete_na_stan "
                                        "AND nrz_fk_stn = 1 AND NOT nrz_zlikwidowano ORDER BY nrz_id LIMIT 4)"));
             const int kit = ZestawyRuchy::byCode(QStringLiteral("ZST-GEO-02"));
             KitMovement::Act act;
             act.employee = 2;
             act.place = 1;
             act.date = QDate::currentDate().addDays(-5);
             act.plannedReturn = QDate::currentDate().addDays(2);
             QString cause;
             if (KitMovement::send(KitMovement::Kind::Employee, kit, act, &cause) == 0)
                 return;
             const KitMovement::OpenIssue open = KitMovement::openIssue(kit);
             ZwrotZestawuDialog dialog(ZestawyRuchy::caption(kit), open, c.mainWindow());
             auto *code = dialog.findChild<QLineEdit *>(QStringLiteral("leKod"));
             for (const QString &text : {open.members.at(0).code, open.members.at(2).code, QStringLiteral("PM-999")}) {
                 code->setText(text);
                 QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                 QApplication::sendEvent(code, &enter);
             }
             dialog.show();
             c.save(&dialog, QStringLiteral("zwrot_zestawu"));
         }},
        // A count of MG_BUDOWA1 under way: scans of every kind, then its corrections once closed.
        {QStringLiteral("inwentaryzacja"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVDb::ResultPtr opened = TAVDb::exec(QStringLiteral("SELECT f_inwentaryzacja_otworz(2, NULL, 'Inwentaryzacja roczna')"));
             if (!opened)
                 return;
             const int inw = QByteArray(PQgetvalue(opened.get(), 0, 0)).toInt();
             const QList<QPair<const char *, int>> scans{{"EL-014", 5}, {"MB-005", 5}, {"EL-010", 0}, {"RE-001", 0},
                                                         {"XX-404", 0}, {"EL-002", 5}, {"EL-014", 0}, {"RE-002", 6}};
             for (const auto &[code, location] : scans)
                 TAVDb::exec(QStringLiteral("SELECT * FROM f_inwentaryzacja_skanuj($1, $2, nullif($3, 0), NULL)"),
                             {inw, QString::fromLatin1(code), location});
             TAVEwidencja *view = c.openModule(QStringLiteral("inwentaryzacja"));
             if (!view)
                 return;
             view->selectFirstRow();
             c.showRelative(view, QStringLiteral("Skany"));
             c.save(c.mainWindow(), QStringLiteral("inwentaryzacja"));
             TAVDb::exec(QStringLiteral("SELECT f_inwentaryzacja_zamknij($1)"), {inw});
             KorektyInwentaryzacjiDialog corrections(inw, c.mainWindow());
             corrections.show();
             c.save(&corrections, QStringLiteral("inwentaryzacja_korekty"));
         }},
        // Some issues of the demo are past their planned return.
        {QStringLiteral("po_terminie"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVDb::exec(QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_planowany_zwrot = pnp_data_wydanie "
                                        "+ 3 WHERE NOT pnp_status AND pnp_data_wydanie + 3 < current_date"));
             c.openModule(QStringLiteral("roletools"));
             c.save(c.mainWindow(), QStringLiteral("po_terminie"));
             c.onModal(c.saveAndClose(QStringLiteral("terminy")));
             TerminyNotice notice(c.mainWindow());
             notice.showNow();
         }},
        {QStringLiteral("pracownicy"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("role"));
             if (!view)
                 return;
             c.save(c.mainWindow(), QStringLiteral("pracownicy"));
             saveRecordDialog<TabelaPracownicyDialog>(c, view, QStringLiteral("pracownik_dialog"));
         }},
        {QStringLiteral("kategorie_narzedzi"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("listtools"));
             if (!view)
                 return;
             c.save(c.mainWindow(), QStringLiteral("kategorie_narzedzi"));
             saveRecordDialog<TabelaKategorieNarzedziDialog>(c, view, QStringLiteral("kategoria_dialog"));
         }},
        {QStringLiteral("narzedzia"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("adv"));
             if (!view)
                 return;
             // The level set: a main tool with its parts, due for inspection soon.
             selectWhere(view, {{QStringLiteral("nrz_kod"), QStringLiteral("PM-001")}});
             c.showRelative(view, QStringLiteral("Naprawy i przeglądy"));
             c.save(c.mainWindow(), QStringLiteral("narzedzia"));
             saveRecordDialog<TabelaNarzedziaDialog>(c, view, QStringLiteral("narzedzie_dialog"));
         }},
        {QStringLiteral("przesuniecia_mm"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("przesunieciamm"));
             if (!view)
                 return;
             selectWhere(view, {{QStringLiteral("psnmm_status"), false}});
             c.save(c.mainWindow(), QStringLiteral("przesuniecia_mm"));
             TabelaPrzesunieciaMMDialog dialog(view->getModel(), view->currentIndex(), QSqlRecord());
             dialog.setMagazynyPrzyjecieMode();
             c.save(&dialog, QStringLiteral("przesuniecie_dialog"));
         }},
        {QStringLiteral("przypisane_narzedzia"), QStringLiteral("admin"), [](ShotCamera &c) {
             saveMovement<TabelaPrzypisaneNarzedziaPracownikomDialog>(c, QStringLiteral("roletools"),
                                                                      {{QStringLiteral("pnp_status"), false}},
                                                                      QStringLiteral("przypisane_narzedzia"),
                                                                      QStringLiteral("zwrot_dialog"));
         }},
        {QStringLiteral("naprawy_przeglady"), QStringLiteral("admin"), [](ShotCamera &c) {
             saveMovement<TabelaNaprawyPrzegladyDialog>(c, QStringLiteral("file_mgr"),
                                                        {{QStringLiteral("np_status"), false}, {QStringLiteral("np_typ"), 1}},
                                                        QStringLiteral("naprawy_przeglady"),
                                                        QStringLiteral("przyjecie_z_przegladu_dialog"));
         }},
        {QStringLiteral("uzytkownicy"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVEwidencja *view = c.openModule(QStringLiteral("user"));
             if (!view)
                 return;
             c.showRelative(view, QStringLiteral("Kierownik magazynu"));
             c.save(c.mainWindow(), QStringLiteral("uzytkownicy"));
             saveRecordDialog<TabelaUzytkownicyDialog>(c, view, QStringLiteral("uzytkownik_dialog"));
         }},
        {QStringLiteral("uprawnienia_administratora"), QStringLiteral("admin"), [](ShotCamera &c) {
             MainWindow *w = c.mainWindow();
             w->uprawnieniaAdministrator();
             c.save(w, QStringLiteral("uprawnienia_administratora"));
         }},
        {QStringLiteral("zmiana_hasla"), QStringLiteral("admin"), [](ShotCamera &c) {
             ChangePasswordDialog dialog;
             c.save(&dialog, QStringLiteral("zmiana_hasla"));
         }},
        // A tool with a life: edited, then moved about by the demo's movements.
        {QStringLiteral("historia"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_wartosc = 1890, nrz_fk_lkl = 6, "
                                        "nrz_uwagi = 'Nowy akumulator 5 Ah.' WHERE nrz_kod = 'EL-002'"));
             TAVEwidencja *view = c.openModule(QStringLiteral("adv"));
             if (!view)
                 return;
             selectWhere(view, {{QStringLiteral("nrz_kod"), QStringLiteral("EL-002")}});
             c.showRelative(view, QStringLiteral("Historia narzędzia"));
             c.save(c.mainWindow(), QStringLiteral("historia_narzedzia"));
             // The printed life, with the tool's card on top.
             const int tool = view->getModel()->value(view->currentIndex().row(), QStringLiteral("nrz_id")).toInt();
             ParameterList params;
             params.append(QStringLiteral("TAV_ID"), tool);
             orReport report;
             QString failure;
             if (OrvReports::prepareReport(QStringLiteral("historia_narzedzia"), params, {}, &report, &failure)) {
                 ReportPreviewDialog preview(*report.definition(), params, QSqlDatabase::database());
                 preview.resize(860, 1040);
                 c.save(&preview, QStringLiteral("historia_narzedzia_wydruk"));
             }
             c.endShot();
             c.openModule(QStringLiteral("historia"));
             c.save(c.mainWindow(), QStringLiteral("historia_zmian"));
         }},
        // Halfway through the move to server accounts: the manager has signed in since.
        {QStringLiteral("konta_serwera"), QStringLiteral("admin"), [](ShotCamera &c) {
             TAVDb::exec(QStringLiteral("SELECT f_prawa_rozpocznij_przejscie()"));
             TAVDb::exec(QStringLiteral("UPDATE uzytkownicy SET uzt_haslo = $1 WHERE uzt_login = 'kierownik'"),
                         {TAVSession::scramVerifier(QStringLiteral("kierownik"), QStringLiteral("kierownik"))});
             KontaSerweraDialog dialog(c.mainWindow());
             dialog.resize(760, 360);
             c.save(&dialog, QStringLiteral("konta_serwera"));
         }},
        {QStringLiteral("o_programie"), QString(), [](ShotCamera &c) {
             OProgramie dialog;
             c.save(&dialog, QStringLiteral("o_programie"));
         }},
    };
}
