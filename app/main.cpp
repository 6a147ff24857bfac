#include "LogHandler.h"
#include "OVApplication.h"
#include "Startup.h"

#include <QDateTime>
#include <QDebug>
#include <QTranslator>

#include <memory>

int main(int argc, char **argv)
{
    const QString logFileName = OrvLog::fileNameFor(QDateTime::currentDateTime());
    OVApplication app(argc, argv);
    OrvStartup::installLog(logFileName);
    std::unique_ptr<QTranslator> translator(OrvStartup::loadToolkitTranslation());
    OrvStartup::registerIconResources();
    OrvStartup::setApplicationWindowIcon();

    qDebug() << "main()";
    qDebug() << "   start-up:" << "ended before sign-in, this build has no login dialog yet";
    return 0;
}
