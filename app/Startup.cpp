#include "Startup.h"

#include "LogHandler.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QResource>
#include <QStandardPaths>
#include <QTranslator>

namespace OrvStartup {

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

} // namespace OrvStartup
