#include "MainWindow.h"
#include "TAVTransaction.h"

#include "ChangePasswordDialog.h"
#include "KontaSerweraDialog.h"
#include "OrvReports.h"
#include "TerminyNotice.h"
#include "TAVMessages.h"
#include "TAVDb.h"
#include "ParameterList.h"
#include "Factories.h"
#include "KategorieNarzedziModel.h"
#include "MagazynyModel.h"
#include "MiejscaUzytkowaniaModel.h"
#include "MovementSlip.h"
#include "NaprawyPrzegladyModel.h"
#include "NarzedziaModel.h"
#include "OProgramie.h"
#include "OVApplication.h"
#include "OvUprawnieniaAdminModel.h"
#include "PracownicyModel.h"
#include "PrzesunieciaMMModel.h"
#include "PrzypisaneNarzedziaPracownikomModel.h"
#include "TAVEwidencja.h"
#include "TAVLiveUpdates.h"
#include "TAVRegister.h"
#include "TAVTableModel.h"
#include "TAVUiState.h"
#include "UzytkownicyModel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSpacerItem>
#include <QSqlRecord>
#include <QStackedWidget>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

ButtonExt::ButtonExt(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    m_layout = new QVBoxLayout(this);
}

void ButtonExt::addButton(QToolButton *button)
{
    m_buttons.append(button);
    m_layout->addWidget(button);
    button->show();
}

namespace {
const char *const kAdminButtonStyle =
        "QToolButton { background-color: red; font: bold; border-color: grey; border-radius: 3px; "
        "border-width: 1px; border-style: solid; }";
}

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    OVApplication *app = OVApplication::instance();
    const bool admin = app->isAdmin();

    auto *central = new QWidget(this);
    auto *frame = new QFrame(central);
    frame->setObjectName(QStringLiteral("paletteFrame"));
    frame->setStatusTip(QStringLiteral("Paleta z modułami"));
    frame->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    auto *frameLayout = new QVBoxLayout(frame);
    m_palette = new ButtonExt(frame);
    frameLayout->addWidget(m_palette);
    frameLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));

    // The palette is what the registers declare, in their order.
    for (const TAVRegisterDeclaration *reg : TAVRegisters::modules()) {
        const TAVModuleDeclaration &m = *reg->module;
        if (m.adminOnly && !admin)
            continue;
        QToolButton *b = moduleButton(m.caption, m.icon);
        if (m.adminOnly)
            b->setStyleSheet(QString::fromLatin1(kAdminButtonStyle));
        connect(b, &QToolButton::clicked, this, [this, reg] { openModule(*reg); });
        m_palette->addButton(b);
    }
    frame->setMaximumWidth(m_palette->sizeHint().width() + frameLayout->contentsMargins().left()
                           + frameLayout->contentsMargins().right());

    m_tabs = new QTabWidget(central);
    m_tabs->setObjectName(QStringLiteral("tabWidget"));
    m_tabs->setMinimumWidth(400);
    m_tabs->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_logo = new QLabel(central);
    m_logo->setObjectName(QStringLiteral("logo"));
    m_logo->setPixmap(QPixmap(QStringLiteral(":/logos/tav_logo")));
    m_logo->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_stack = new QStackedWidget(central);
    m_stack->addWidget(m_logo);
    m_stack->addWidget(m_tabs);
    m_stack->setCurrentWidget(m_logo);

    auto *row = new QHBoxLayout(central);
    row->addWidget(frame);
    row->addWidget(m_stack);
    setCentralWidget(central);

    statusBar()->setVisible(true);
    m_tabs->setTabsClosable(true);
    connect(m_tabs, &QTabWidget::tabCloseRequested, this, &MainWindow::closeTab);
    connect(m_tabs, &QTabWidget::currentChanged, this, &MainWindow::tabChanged);

    setWindowTitle(QStringLiteral("Orvalo"));
    buildMenus(admin);
    buildStatusBar(admin);
    // The size and place the user left the window in, maximised the first
    // time; a desktop that does not maximise still gets most of the screen.
    if (!TAVUiState::restoreGeometry(this, QStringLiteral("okno_glowne"))) {
        if (QScreen *screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            const QSize size = area.size() * 9 / 10;
            setGeometry(QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size));
        }
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    show();
}

MainWindow::~MainWindow() = default;

void MainWindow::closeEvent(QCloseEvent *event)
{
    TAVUiState::saveGeometry(this, QStringLiteral("okno_glowne"));
    QMainWindow::closeEvent(event);
}

QToolButton *MainWindow::moduleButton(const QString &label, const QString &iconName, int iconSize)
{
    auto *b = new QToolButton(m_palette);
    b->setObjectName(QStringLiteral("tb_") + iconName);
    b->setIconSize(QSize(iconSize, iconSize));
    b->setIcon(QIcon(QStringLiteral(":/navbar/") + QString::number(iconSize) + QLatin1Char('/') + iconName));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    b->setMinimumHeight(40);
    b->setText(label);
    return b;
}

namespace {
// What this workstation keeps for itself, whoever signs in on it.
void editStationSettings(QWidget *parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("UstawieniaStanowiska"));
    dialog.setWindowTitle(QStringLiteral("Ustawienia stanowiska"));
    auto *slip = new QCheckBox(QStringLiteral("&Pytaj o wydruk karty wydania narzędzia po wydaniu i zwrocie"), &dialog);
    slip->setObjectName(QStringLiteral("ckPytajOKarteWydania"));
    slip->setChecked(MovementSlip::asks());
    auto *terms = new QCheckBox(QStringLiteral("Przypominaj o &terminach zwrotów i przeglądów po zalogowaniu"), &dialog);
    terms->setObjectName(QStringLiteral("ckPrzypominajOTerminach"));
    terms->setChecked(TerminyNotice::enabled());
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(slip);
    layout->addWidget(terms);
    layout->addWidget(buttons);
    if (dialog.exec() == QDialog::Accepted) {
        MovementSlip::setAsks(slip->isChecked());
        TerminyNotice::setEnabled(terms->isChecked());
    }
}
// Rules the database keeps for every workstation (administrators).
void editDatabaseRules(QWidget *parent)
{
    TAVDbError error;
    TAVDb::ResultPtr now = TAVDb::exec(QStringLiteral("SELECT orb_nie_wydawaj_po_terminie FROM orv_reguly_bazy"), {}, &error);
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("RegulyBazy"));
    dialog.setWindowTitle(QStringLiteral("Reguły bazy danych"));
    auto *late = new QCheckBox(QStringLiteral("&Nie wydawaj pracownikowi, który ma narzędzia po terminie "
                                              "(chyba że potwierdzi to administrator)"), &dialog);
    late->setObjectName(QStringLiteral("ckNieWydawajPoTerminie"));
    late->setChecked(now && PQntuples(now.get()) > 0 && *PQgetvalue(now.get(), 0, 0) == 't');
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(late);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!TAVDb::exec(QStringLiteral("UPDATE orv_reguly_bazy SET orb_nie_wydawaj_po_terminie = $1, fk_uzt_zmodyfikowano = $2"),
                     {late->isChecked(), TAVSession::currentUserId()}, &error))
        TAVMessages::warning(QStringLiteral("Reguły bazy danych"), QStringLiteral("Reguły nie zostały zmienione."),
                             TAVDb::causeSentence(error));
}
} // namespace

void MainWindow::buildMenus(bool admin)
{
    QMenu *program = menuBar()->addMenu(QStringLiteral("&Program"));
    program->setObjectName(QStringLiteral("menuProgram"));
    if (admin) {
        QAction *update = program->addAction(QStringLiteral("&Sprawdź aktualizację"));
        update->setObjectName(QStringLiteral("actionUpdate"));
        connect(update, &QAction::triggered, OVApplication::instance(), &OVApplication::checkForUpdate);
        QAction *rules = program->addAction(QStringLiteral("&Reguły bazy danych…"));
        rules->setObjectName(QStringLiteral("actionDatabaseRules"));
        connect(rules, &QAction::triggered, this, [this] { editDatabaseRules(this); });
        program->addSeparator();
    }
    QAction *late = program->addAction(QStringLiteral("&Narzędzia nie zwrócone w terminie…"));
    late->setObjectName(QStringLiteral("actionOverdueReport"));
    connect(late, &QAction::triggered, this, [this] {
        ParameterList params;
        OrvReports::printReport(this, QStringLiteral("narzedzia_po_terminie"), params,
                                {{QStringLiteral("%TAV_QUERY_WHERE%"), QString()}}, OrvReports::OutputMode::Preview);
    });
    QAction *station = program->addAction(QStringLiteral("&Ustawienia stanowiska…"));
    station->setObjectName(QStringLiteral("actionStationSettings"));
    connect(station, &QAction::triggered, this, [this] { editStationSettings(this); });
    program->addSeparator();
    QAction *quit = program->addAction(QStringLiteral("&Zakończ"));
    quit->setObjectName(QStringLiteral("actionQuit"));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu *account = menuBar()->addMenu(QStringLiteral("&Zarządzanie kontem"));
    QAction *password = account->addAction(QStringLiteral("Zmień &hasło"));
    password->setObjectName(QStringLiteral("actionChangePassword"));
    connect(password, &QAction::triggered, this, &MainWindow::changePassword);
    QAction *accounts = account->addAction(QStringLiteral("&Konta serwera bazy danych…"));
    accounts->setObjectName(QStringLiteral("actionServerAccounts"));
    accounts->setVisible(admin);
    connect(accounts, &QAction::triggered, this, [this] {
        KontaSerweraDialog dialog(this);
        dialog.exec();
    });
    QAction *logout = account->addAction(QStringLiteral("Wy&loguj"));
    logout->setObjectName(QStringLiteral("actionLogout"));
    connect(logout, &QAction::triggered, this, [this] {
        m_loggedOut = true;
        close();
    });

    QMenu *help = menuBar()->addMenu(QStringLiteral("Po&moc"));
    QAction *helpFile = help->addAction(QStringLiteral("&Pomoc aplikacji"));
    helpFile->setObjectName(QStringLiteral("actionHelp"));
    connect(helpFile, &QAction::triggered, OVApplication::instance(), &OVApplication::openHelp);
    help->addSeparator();
    QAction *about = help->addAction(QStringLiteral("&O programie"));
    about->setObjectName(QStringLiteral("actionAbout"));
    connect(about, &QAction::triggered, this, &MainWindow::oProgramie);
}

void MainWindow::buildStatusBar(bool admin)
{
    OVApplication *app = OVApplication::instance();
    statusBar()->setStyleSheet(QStringLiteral("QStatusBar::item {border: 1px solid;border-radius: 3px;}"));
    // Signed in with an account of their own, the server itself keeps the rights.
    auto *user = new QLabel(tr("Użytkownik: <b>%1</b>%2").arg(app->login(), app->serverAccount() ? QStringLiteral(" (konto serwera)") : QString()), this);
    user->setObjectName(QStringLiteral("laStatusUzytkownik"));
    const QString role = admin ? QStringLiteral("<font color=\"red\";>Administrator</font>")
                               : QStringLiteral("<font color=\"blue\";>Zwykły użytkownik</font>");
    auto *roleLabel = new QLabel(tr("Rola: %1").arg(role), this);
    roleLabel->setObjectName(QStringLiteral("laStatusRola"));
    const QString warehouses =
            admin ? QStringLiteral("<font color=\"red\";>nieograniczony dostęp</font>")
                  : QStringLiteral("<font color=\"blue\";>") + app->uprMgzSymbols(app->uztId()).join(QStringLiteral(", "))
                            + QStringLiteral("</font>");
    auto *mgz = new QLabel(tr("Dostępne magazyny: %1").arg(warehouses), this);
    mgz->setObjectName(QStringLiteral("laStatusMagazyny"));
    // Whether what goes over the network (passwords included) can be read on the way.
    auto *encrypted = new QLabel(OVApplication::connectionEncrypted()
                                         ? QStringLiteral("Połączenie: szyfrowane")
                                         : QStringLiteral("Połączenie: <font color=\"red\">nieszyfrowane</font>"),
                                 this);
    encrypted->setObjectName(QStringLiteral("laStatusSzyfrowanie"));
    // Which server: with a standby in the profile it may change while the program runs.
    auto *server = new QLabel(QStringLiteral("Serwer: %1").arg(OVApplication::currentServer()), this);
    server->setObjectName(QStringLiteral("laStatusSerwer"));
    statusBar()->addPermanentWidget(user);
    statusBar()->addPermanentWidget(roleLabel);
    statusBar()->addPermanentWidget(mgz);
    statusBar()->addPermanentWidget(encrypted);
    statusBar()->addPermanentWidget(server);
    connect(TAVChangeBus::instance(), &TAVChangeBus::serverChanged, this, [this, server](const QString &now) {
        server->setText(QStringLiteral("Serwer: <font color=\"red\">%1</font>").arg(now));
        statusBar()->showMessage(QStringLiteral("Serwer bazy danych zmienił się: program pracuje teraz z serwerem %1.").arg(now));
    });
    // Other workstations' changes show by themselves while this is hidden.
    auto *live = new QLabel(QStringLiteral("<font color=\"red\">Aktualizacje na żywo wyłączone — odśwież widok "
                                           "klawiszem F5</font>"),
                            this);
    live->setObjectName(QStringLiteral("laStatusNaZywo"));
    statusBar()->addPermanentWidget(live);
    live->setVisible(!TAVLiveUpdates::instance()->isLive());
    connect(TAVLiveUpdates::instance(), &TAVLiveUpdates::liveChanged, live, [live](bool on) { live->setVisible(!on); });
}

bool MainWindow::showExisting(const QString &title)
{
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->tabText(i) == title) {
            m_tabs->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void MainWindow::addModuleTab(QWidget *widget, const QString &title)
{
    const int index = m_tabs->addTab(widget, title);
    m_tabs->setCurrentIndex(index);
    if (m_stack->currentWidget() != m_tabs)
        m_stack->setCurrentWidget(m_tabs);
}

void MainWindow::openModule(const TAVRegisterDeclaration &reg)
{
    const TAVModuleDeclaration &module = *reg.module;
    if (showExisting(module.title))
        return;
    if (module.page) {
        addModuleTab(module.page(), module.title);
        return;
    }
    auto *view = new TAVEwidencja(reg.modelName(), module.context, QString());
    view->setTitle(module.title);
    for (const auto &[shown, tab] : TAVRegisters::tabsUnder(reg.modelName())) {
        auto *relative = new TAVEwidencja(shown->modelName(), tab.context, tab.linkColumn);
        relative->setTitle(tab.title);
        view->addRelative(relative, tab.linkColumn);
    }
    addModuleTab(view, module.title);
    view->selectFirstRow();
}

void MainWindow::ewidencjaMagazyny()
{
    openModule(TAVRegisters::of<MagazynyModel>());
}

void MainWindow::ewidencjaMiejscaUzytkowania()
{
    openModule(TAVRegisters::of<MiejscaUzytkowaniaModel>());
}

void MainWindow::ewidencjaPracownicy()
{
    openModule(TAVRegisters::of<PracownicyModel>());
}

void MainWindow::ewidencjaKategorieNarzedzi()
{
    openModule(TAVRegisters::of<KategorieNarzedziModel>());
}

void MainWindow::orvaloa()
{
    openModule(TAVRegisters::of<NarzedziaModel>());
}

void MainWindow::ewidencjaNaprawyPrzeglady()
{
    openModule(TAVRegisters::of<NaprawyPrzegladyModel>());
}

void MainWindow::ewidencjaPrzesunieciaMM()
{
    openModule(TAVRegisters::of<PrzesunieciaMMModel>());
}

void MainWindow::ewidencjaPrzypisaneNarzedziaPracownikom()
{
    openModule(TAVRegisters::of<PrzypisaneNarzedziaPracownikomModel>());
}

void MainWindow::ewidencjaUzytkownikow()
{
    openModule(TAVRegisters::of<UzytkownicyModel>());
}

void MainWindow::uprawnieniaAdministrator()
{
    openModule(TAVRegisters::of<OvUprawnieniaAdminModel>());
}

void MainWindow::closeTab(int index)
{
    QWidget *w = m_tabs->widget(index);
    m_tabs->removeTab(index);
    delete w;
    if (m_tabs->count() == 0)
        m_stack->setCurrentWidget(m_logo);
}

void MainWindow::tabChanged(int index)
{
    auto *view = qobject_cast<TAVEwidencja *>(m_tabs->widget(index));
    if (!view)
        return;
    if (view->isCreated())
        view->setCreated(false);
    else
        view->select();
}

void MainWindow::oProgramie()
{
    OProgramie about(this);
    about.exec();
}

void MainWindow::changePassword()
{
    ChangePasswordDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    OVApplication *app = OVApplication::instance();
    // With server accounts this is the SCRAM verifier, which the server moves
    // to the account: no clear password reaches it.
    const QString digest = TAVSession::passwordToStore(app->login(), dialog.newPassword());
    std::unique_ptr<TAVTableModel> model(SFModels::instance()->create<UzytkownicyModel>());
    if (!model) {
        QMessageBox::information(this, QStringLiteral("Zmiana hasła"),
                                 QStringLiteral("Hasło nie zostało zmienione. Wystąpił błąd w przetwarzaniu. Jeśli "
                                                "sytuacja będzie się powtarzać zgłoś ją administratorowi."),
                                 QMessageBox::Ok);
        return;
    }
    model->setFilter(QStringLiteral("uzt_id = ") + QString::number(app->uztId()));
    model->select();
    QSqlRecord rec = model->emptyRecord();
    rec.setValue(QStringLiteral("uzt_haslo"), digest);
    if (!model->update(rec, model->index(0, 0))) {
        QMessageBox::information(this, QStringLiteral("Zmiana hasła"),
                                 QStringLiteral("Hasło nie zostało zmienione. Spróbuj jeszcze raz. Jeśli sytuacja "
                                                "będzie się powtarzać zgłoś ją administratorowi."),
                                 QMessageBox::Ok);
        return;
    }
    QMessageBox::information(this, QStringLiteral("Zmiana hasła"), QStringLiteral("Hasło zostało zmienione."),
                             QMessageBox::Ok);
}
