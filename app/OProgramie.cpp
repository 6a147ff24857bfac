#include "OProgramie.h"
#include "ui_OProgramie.h"

#include "OVApplication.h"

#include <QDir>
#include <QUrl>

OProgramie::OProgramie(QWidget *parent) : QDialog(parent), ui(new Ui::OProgramie)
{
    ui->setupUi(this);
    ui->laORVLogo->setPixmap(QPixmap(QStringLiteral(":/logos/orv128")));
    ui->laProducentLogo->setPixmap(QPixmap(QStringLiteral(":/logos/tav_logo_mid")));
    ui->laWersjaProgramu->setText(QStringLiteral("<b>%1</b>").arg(OVApplication::programVersion()));
    // The version this program was built for, not the one read from the database.
    ui->laWersjaBazy->setText(QStringLiteral("<b>%1</b>").arg(OVApplication::expectedSchemaVersion()));

    // A missing document leaves its browser empty.
    ui->txtBrowserLicencja->setSource(QUrl::fromLocalFile(licencePath()));
    ui->textBrowser->setSource(QUrl::fromLocalFile(legalNotesPath()));

    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

OProgramie::~OProgramie() = default;

QString OProgramie::licencePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("licencja_orv.html"));
}

QString OProgramie::legalNotesPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("informacje_prawne.html"));
}
