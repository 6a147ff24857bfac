#include "Startup.h"

#include "IniDbSettingsManipulator.h"
#include "LogHandler.h"
#include "LogInDialog.h"
#include "OVApplication.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QResource>
#include <QStandardPaths>
#include <QTranslator>

#include <ctime>

namespace OrvStartup {

void fixTimeZone()
{
    if (qEnvironmentVariableIsEmpty("TZ") && QFile::exists(QStringLiteral("/etc/localtime"))) {
        qputenv("TZ", ":/etc/localtime");
        tzset();
    }
}

QString dataDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

bool installLog(const QString &logFileName)
{
    OrvLog::setFileName(logFileName);
    QDir dir(dataDirectory());
    // On a first run the data directory itself does not exist yet.
    if (!dir.exists())
        QDir().mkpath(dir.absolutePath());
    if (!dir.exists(QStringLiteral("dlog")))
        dir.mkdir(QStringLiteral("dlog"));
    const bool ok = QFileInfo(dir.absoluteFilePath(QStringLiteral("dlog"))).isDir();
    OrvLog::setFilePath(ok ? dir.absolutePath() + QStringLiteral("/dlog/") + logFileName : QString());
    qInstallMessageHandler(OrvLog::logMessageHandler);
    return ok;
}

QTranslator *loadToolkitTranslation()
{
    auto *translator = new QTranslator;
    if (translator->load(QStringLiteral("qt_pl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(translator))
        return translator;
    delete translator;
    return nullptr;
}

bool registerIconResources()
{
    const QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/orv_icons.rcc");
    return QFile::exists(path) && QResource::registerResource(path);
}

void setApplicationWindowIcon()
{
    const QString logo = QStringLiteral(":/logos/orv128");
    if (QFile::exists(logo))
        QApplication::setWindowIcon(QIcon(logo));
}

IniDbSettingsManipulator *openProfiles()
{
    auto *settings = new IniDbSettingsManipulator(QStringLiteral("dbsettings.ini"), dataDirectory());
    if (settings->isEmpty())
        settings->createDefault();
    return settings;
}

bool signIn(LogInDialog &dialog)
{
    OVApplication *app = OVApplication::instance();
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return false;
        app->setConnectionSecurity(dialog.sslMode(), dialog.caFile());
        app->setServers(dialog.standbys(), dialog.readOnly());
        qint32 uztId = 0;
        const OVApplication::SignIn result = app->signIn(dialog.hostName(), dialog.port(), dialog.dbUserName(),
                                                         dialog.dbUserPassword(), dialog.login(),
                                                         dialog.password(), uztId);
        if (result == OVApplication::SignIn::ConnectionFailed) {
            const QString cause = app->connectFailureCause();
            QMessageBox::warning(nullptr, QStringLiteral("Nie można połączyć się z bazą danych"),
                                 cause.isEmpty() ? QStringLiteral("Nie można połączyć się z bazą danych. Proszę "
                                                                  "sprawdzić parametry dostępowe i spróbować ponownie.")
                                                 : cause,
                                 QMessageBox::Ok);
            continue;
        }
        if (result == OVApplication::SignIn::WrongPassword) {
            QString text = QStringLiteral("Nazwa użytkownika i hasło do siebie nie pasują. Proszę "
                                          "sprawdzić nazwę użytkownika oraz hasło i spróbować "
                                          "ponownie. <b>Hasło jest wrażliwe na wielkość liter</b>.");
            // An account that never got its password cannot sign in at all.
            if (app->accountTried())
                text += QStringLiteral("<br><br>Jeśli Twoje konto nie zostało jeszcze przeniesione na konto serwera "
                                       "bazy danych, poproś administratora o ustawienie nowego hasła.");
            QMessageBox::warning(nullptr, QStringLiteral("Błąd logowania"), text, QMessageBox::Ok);
            continue;
        }
        app->setLogin(dialog.login());
        app->setUztId(uztId);
        return true;
    }
}

} // namespace OrvStartup
