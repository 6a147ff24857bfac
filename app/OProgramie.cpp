#include "OProgramie.h"
#include "ui_OProgramie.h"

#include "OVApplication.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUrl>

OProgramie::OProgramie(QWidget *parent) : QDialog(parent), ui(new Ui::OProgramie)
{
    ui->setupUi(this);
    ui->laORVLogo->setPixmap(QPixmap(QStringLiteral(":/logos/orv128")));
    ui->laProducentLogo->setPixmap(QPixmap(QStringLiteral(":/logos/tav_logo_mid")));
    ui->laWersjaProgramu->setText(QStringLiteral("<b>%1</b>").arg(OVApplication::programVersion()));
    // The version this program was built for, not the one read from the database.
    ui->laWersjaBazy->setText(QStringLiteral("<b>%1</b>").arg(OVApplication::expectedSchemaVersion()));
    // What support asks for, read off one window: the schema the database
    // holds, the toolkit and the server.
    QString schema = QStringLiteral("—");
    QString server = QStringLiteral("—");
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (db.isValid() && db.isOpen()) {
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("SELECT lpad(zsb_major_release_number::text, 2, '0') || '.' || "
                                  "lpad(zsb_minor_release_number::text, 2, '0') || '.' || "
                                  "lpad(zsb_point_release_number::text, 4, '0') FROM zmiany_schematu_bazy "
                                  "ORDER BY zsb_id DESC LIMIT 1"))
            && q.next())
            schema = q.value(0).toString();
        if (q.exec(QStringLiteral("SELECT current_setting('server_version')")) && q.next())
            server = q.value(0).toString();
    }
    ui->laWersjaBazySerwera->setText(QStringLiteral("<b>%1</b>").arg(schema.toHtmlEscaped()));
    ui->laWersjaQt->setText(QStringLiteral("<b>%1</b>").arg(QString::fromLatin1(qVersion())));
    ui->laWersjaPostgreSQL->setText(QStringLiteral("<b>%1</b>").arg(server.toHtmlEscaped()));

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
