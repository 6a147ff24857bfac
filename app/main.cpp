#include "IniDbSettingsManipulator.h"
#include "LogHandler.h"
#include "LogInDialog.h"
#include "MainWindow.h"
#include "TerminyNotice.h"

#include <QTimer>
#include "OVApplication.h"
#include "SchemaCheck.h"
#include "Startup.h"
#include "TAVLiveUpdates.h"

#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QTranslator>

#include <memory>

int main(int argc, char **argv)
{
    OrvStartup::fixTimeZone();
    const QString logFileName = OrvLog::fileNameFor(QDateTime::currentDateTime());
    OVApplication app(argc, argv);
    OrvStartup::installLog(logFileName);
    std::unique_ptr<QTranslator> translator(OrvStartup::loadToolkitTranslation());
    const bool icons = OrvStartup::registerIconResources();
    qDebug() << "main()";
    qDebug() << "   icon resources:" << (icons ? "orv_icons.rcc registered" : "orv_icons.rcc missing, icons blank");
    qDebug() << "   help:" << (QFile::exists(OVApplication::helpFilePath()) ? "pomoc/orv_pomoc.html found" : "pomoc/orv_pomoc.html missing");
    OrvStartup::setApplicationWindowIcon();

    std::unique_ptr<IniDbSettingsManipulator> settings(OrvStartup::openProfiles());
    std::unique_ptr<LogInDialog> loginDialog(new LogInDialog(settings.get()));
    // "Wyloguj" closes the main window and signs in anew, without a restart.
    for (;;) {
        if (!OrvStartup::signIn(*loginDialog))
            return 0;
        if (!OrvStartup::checkSchemaVersion())
            return 0;

        // Other workstations' changes reach the open registers as they commit.
        TAVLiveUpdates::instance()->start();
        auto window = std::make_unique<MainWindow>();
        // Late returns and inspections are named once the window shows.
        auto *notice = new TerminyNotice(window.get());
        QTimer::singleShot(0, notice, &TerminyNotice::showNow);
        const int result = app.exec();
        TAVLiveUpdates::instance()->stop();
        if (!window->loggedOut())
            return result;
        window.reset();
        loginDialog->clearPassword();
    }
}
