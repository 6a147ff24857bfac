#include "LogInDbSettingsDialog.h"
#include "ui_LogInDbSettingsDialog.h"

LogInDbSettingsDialog::LogInDbSettingsDialog(const QString &connection, const QString &host,
                                             int port, const QString &user,
                                             const QString &password, const QString &hint,
                                             QWidget *parent)
    : QDialog(parent), ui(new Ui::LogInDbSettingsDialog)
{
    ui->setupUi(this);
    ui->leConnection->setText(connection);
    ui->leHost->setText(host);
    ui->lePort->setText(QString::number(port));
    ui->leUzytkownik->setText(user);
    ui->leHaslo->setText(password);
    ui->leOpis->setText(hint);
    ui->cbSzyfrowanie->addItem(QStringLiteral("wyłączone"), QStringLiteral("disable"));
    ui->cbSzyfrowanie->addItem(QStringLiteral("gdy serwer je obsługuje"), QStringLiteral("prefer"));
    ui->cbSzyfrowanie->addItem(QStringLiteral("wymagane"), QStringLiteral("require"));
    ui->cbSzyfrowanie->addItem(QStringLiteral("wymagane, ze sprawdzeniem certyfikatu serwera"), QStringLiteral("verify-full"));
    setSsl(QStringLiteral("require"), QString());
    // A database whose users have accounts of their own needs neither.
    ui->leUzytkownik->setPlaceholderText(QStringLiteral("puste: logowanie własnym kontem serwera"));
    ui->leHaslo->setPlaceholderText(QStringLiteral("puste: logowanie własnym kontem serwera"));
}

void LogInDbSettingsDialog::setSsl(const QString &mode, const QString &caFile)
{
    const int i = ui->cbSzyfrowanie->findData(mode);
    ui->cbSzyfrowanie->setCurrentIndex(i >= 0 ? i : ui->cbSzyfrowanie->findData(QStringLiteral("require")));
    ui->leCa->setText(caFile);
}

QString LogInDbSettingsDialog::sslMode() const { return ui->cbSzyfrowanie->currentData().toString(); }
QString LogInDbSettingsDialog::caFile() const { return ui->leCa->text().trimmed(); }

LogInDbSettingsDialog::~LogInDbSettingsDialog() = default;

QString LogInDbSettingsDialog::connectionName() const { return ui->leConnection->text(); }
QString LogInDbSettingsDialog::hostName() const { return ui->leHost->text(); }
// The mask pads with blanks; an empty field reads as 0.
int LogInDbSettingsDialog::port() const { return ui->lePort->text().trimmed().toInt(); }
QString LogInDbSettingsDialog::dbUserName() const { return ui->leUzytkownik->text(); }
QString LogInDbSettingsDialog::dbUserPassword() const { return ui->leHaslo->text(); }
QString LogInDbSettingsDialog::hint() const { return ui->leOpis->text(); }

void LogInDbSettingsDialog::setStandbys(const QString &servers, bool readOnly)
{
    ui->leZapasowe->setText(servers);
    ui->ckTylkoOdczyt->setChecked(readOnly);
}

QString LogInDbSettingsDialog::standbys() const { return ui->leZapasowe->text().trimmed(); }
bool LogInDbSettingsDialog::readOnly() const { return ui->ckTylkoOdczyt->isChecked(); }
