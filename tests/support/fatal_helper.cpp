// Writes one fatal message through the log handler into the file named by
// its argument; the handler must write it before the process aborts.
#include "LogHandler.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    OrvLog::setFilePath(QString::fromLocal8Bit(argv[1]));
    qInstallMessageHandler(OrvLog::logMessageHandler);
    qDebug("przed końcem");
    qFatal("koniec pracy: %s", "błąd krytyczny");
    return 0;
}
