#include "LogInDialog.h"
#include "ui_LogInDialog.h"

#include "CapsLock.h"
#include "IniDbSettingsManipulator.h"
#include "LogInDbSettingsDialog.h"
#include "OProgramie.h"
#include "OVApplication.h"
#include "TAVValidator.h"

#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QMessageBox>
#include <QUrl>

namespace {

const char *const kCapsStyle =
        "QLabel { font-weight: bold; border: 2px solid gray; border-radius: 5px; }"
        "QLabel#on { color: red; }"
        "QLabel#off { color: green; }";

QString addTitle()
{
    return QStringLiteral("Nie można dodać połączenia");
}

} // namespace

LogInDialog::LogInDialog(IniDbSettingsManipulator *settings, QWidget *parent)
    : QDialog(parent), ui(new Ui::LogInDialog), m_settings(settings)
{
    ui->setupUi(this);
    ui->tbDodajPol->setIcon(QIcon(QStringLiteral(":/logindialog/pencil_add.png")));
    ui->tbEdytujPol->setIcon(QIcon(QStringLiteral(":/logindialog/pencil.png")));
    ui->tbKasujPol->setIcon(QIcon(QStringLiteral(":/logindialog/pencil_delete.png")));
    ui->tbFolder->setIcon(QIcon(QStringLiteral(":/logindialog/folder.png")));
    ui->tbPomoc->setIcon(QIcon(QStringLiteral(":/logindialog/help.png")));
    ui->tbInfo->setIcon(QIcon(QStringLiteral(":/logindialog/information.png")));
    ui->btZaloguj->setIcon(QIcon(QStringLiteral(":/logindialog/tick.png")));
    ui->btZamknij->setIcon(QIcon(QStringLiteral(":/logindialog/stop.png")));
    ui->leUzytkownik->setValidator(new TAVLowercaseValidator(ui->leUzytkownik));

    ui->laCapsLock->setObjectName(QString());
    setCapsLockMessage();
    installEventFilter(this);

    if (!m_settings)
        qFatal("LogInDialog: no dbsettings.ini - abort");

    setFixedSize(size());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    connect(ui->btZaloguj, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btZamknij, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->tbDodajPol, &QToolButton::clicked, this, &LogInDialog::addConnection);
    connect(ui->tbEdytujPol, &QToolButton::clicked, this, &LogInDialog::editConnection);
    connect(ui->tbKasujPol, &QToolButton::clicked, this, &LogInDialog::delConnection);
    connect(ui->tbFolder, &QToolButton::clicked, this, &LogInDialog::openDbSettingsFolder);
    connect(ui->tbPomoc, &QToolButton::clicked, OVApplication::instance(), &OVApplication::openHelp);
    connect(ui->tbInfo, &QToolButton::clicked, this, &LogInDialog::oProgramie);
    connect(ui->cbPolaczenie, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &LogInDialog::setComboToolTip);
    connect(ui->cbPolaczenie, &QComboBox::currentTextChanged, this,
            &LogInDialog::setConnectionParameters);

    setComboItems();
}

LogInDialog::~LogInDialog() = default;

QString LogInDialog::login() const
{
    return ui->leUzytkownik->text();
}

void LogInDialog::clearPassword()
{
    ui->leHaslo->clear();
}

QString LogInDialog::password() const
{
    return ui->leHaslo->text();
}

QString LogInDialog::placeholderName()
{
    return QStringLiteral("<WPISZ_NAZWĘ_POŁĄCZENIA>");
}

void LogInDialog::setComboItems()
{
    setComboItems(QString());
}

void LogInDialog::setComboItems(QString select)
{
    ui->cbPolaczenie->clear();
    const auto profiles = m_settings->connections();
    for (const auto &profile : profiles)
        ui->cbPolaczenie->addItem(profile.first, profile.second);
    if (ui->cbPolaczenie->count() == 0)
        return;
    if (select.isNull())
        ui->cbPolaczenie->setCurrentIndex(0);
    else
        ui->cbPolaczenie->setCurrentIndex(ui->cbPolaczenie->findText(select, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void LogInDialog::setComboToolTip(int index)
{
    ui->cbPolaczenie->setToolTip(ui->cbPolaczenie->itemData(index).toString());
}

void LogInDialog::setConnectionParameters(QString name)
{
    m_hostName = m_settings->host(name);
    m_port = m_settings->port(name);
    m_dbUserName = m_settings->dbUser(name);
    m_dbUserPassword = m_settings->dbUserPassword(name, OVApplication::programVersion());
    m_sslMode = m_settings->sslMode(name);
    m_caFile = m_settings->sslRootCert(name);
    m_standbys = m_settings->standbys(name);
    m_readOnly = m_settings->readOnly(name);
}

QString LogInDialog::refusal(const LogInDbSettingsDialog &editor, const QString &oldName) const
{
    const QString name = editor.connectionName();
    if (name == placeholderName() || name.trimmed().isEmpty())
        return QStringLiteral("Wprowadź poprawną nazwę dla nowego połączenia.");
    // The name is a group of the profiles file; a slash would nest it.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return QStringLiteral("Nazwa połączenia nie może zawierać znaków <b>/</b> ani <b>\\</b>.");
    if (editor.port() < 1 || editor.port() > 65535)
        return QStringLiteral("Port serwera bazy danych musi być liczbą od 1 do 65535.");
    if (name != oldName && m_settings->contains(name))
        return QStringLiteral("Połączenie o nazwie <b>%1</b> już istnieje. Wprowadź nową nazwę, a jeśli "
                              "chcesz zmienić parametry połączenia to użyj opcji edycji.")
                .arg(name);
    return QString();
}

void LogInDialog::reportUnsaved(bool saved)
{
    if (saved)
        return;
    QMessageBox::warning(this, QStringLiteral("Nie można zapisać połączenia"),
                         QStringLiteral("Zmiany połączeń nie zostały zapisane w pliku <b>%1</b>. Sprawdź, czy "
                                        "plik nie jest tylko do odczytu i czy na dysku jest miejsce.")
                                 .arg(m_settings->directory() + QLatin1Char('/') + m_settings->fileName()),
                         QMessageBox::Ok);
}

void LogInDialog::addConnection()
{
    OVApplication *app = OVApplication::instance();
    LogInDbSettingsDialog editor(placeholderName(), app->hostName(), app->port(), app->dbUserName(),
                                 app->dbUserPassword(), QString(), this);
    for (;;) {
        if (editor.exec() != QDialog::Accepted)
            return;
        const QString why = refusal(editor, QString());
        if (why.isEmpty())
            break;
        QMessageBox::warning(this, addTitle(), why, QMessageBox::Ok);
    }
    m_settings->saveConnection(editor.connectionName(), editor.hostName(), editor.port(),
                               editor.dbUserName(), editor.dbUserPassword(), editor.hint());
    m_settings->setSsl(editor.connectionName(), editor.sslMode(), editor.caFile());
    m_settings->setStandbys(editor.connectionName(), editor.standbys(), editor.readOnly());
    reportUnsaved(m_settings->sync());
    setComboItems(editor.connectionName());
}

void LogInDialog::editConnection()
{
    const int index = ui->cbPolaczenie->currentIndex();
    if (index < 0)
        return;
    const QString oldName = ui->cbPolaczenie->itemText(index);
    LogInDbSettingsDialog editor(oldName, m_hostName, m_port, m_dbUserName, m_dbUserPassword,
                                 ui->cbPolaczenie->itemData(index).toString(), this);
    editor.setSsl(m_sslMode, m_caFile);
    editor.setStandbys(m_standbys, m_readOnly);
    for (;;) {
        if (editor.exec() != QDialog::Accepted)
            return;
        const QString why = refusal(editor, oldName);
        if (why.isEmpty())
            break;
        QMessageBox::warning(this, addTitle(), why, QMessageBox::Ok);
    }
    const QString name = editor.connectionName();
    if (name != oldName)
        m_settings->removeConnection(oldName);
    m_settings->saveConnection(name, editor.hostName(), editor.port(), editor.dbUserName(),
                               editor.dbUserPassword(), editor.hint());
    m_settings->setSsl(name, editor.sslMode(), editor.caFile());
    m_settings->setStandbys(name, editor.standbys(), editor.readOnly());
    reportUnsaved(m_settings->sync());
    setComboItems(name);
}

void LogInDialog::delConnection()
{
    const int index = ui->cbPolaczenie->currentIndex();
    if (index < 0)
        return;
    const QString name = ui->cbPolaczenie->itemText(index);
    const auto answer = QMessageBox::question(this, QStringLiteral("Czy chcesz usunąć wpis?"),
                                              QStringLiteral("Czy chcesz usunąć dane połączenia <b>%1</b>?").arg(name),
                                              QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    m_settings->removeConnection(name);
    reportUnsaved(m_settings->sync());
    setComboItems();
}

void LogInDialog::openDbSettingsFolder()
{
    // "file:///" glued to a Unix path would give four slashes; fromLocalFile
    // gives file:///C:/... on Windows and file:///home/... elsewhere.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(m_settings->directory()).absolutePath()));
}

void LogInDialog::oProgramie()
{
    OProgramie about(this);
    about.exec();
}

void LogInDialog::setCapsLockMessage()
{
    const bool on = OrvCapsLock::isOn();
    const QString name = on ? QStringLiteral("on") : QStringLiteral("off");
    if (ui->laCapsLock->objectName() == name)
        return;
    ui->laCapsLock->setObjectName(name);
    ui->laCapsLock->setText(QStringLiteral("CAPS LOCK %1.").arg(on ? QStringLiteral("włączony") : QStringLiteral("wyłączony")));
    // The selectors match the object name; re-applying makes them follow it.
    ui->laCapsLock->setStyleSheet(QString::fromLatin1(kCapsStyle));
}

bool LogInDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this) {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::WindowActivate:
            setCapsLockMessage();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void LogInDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        // The form's text of the Caps Lock label is not the current state.
        ui->laCapsLock->setObjectName(QString());
        setCapsLockMessage();
    }
    QDialog::changeEvent(event);
}
