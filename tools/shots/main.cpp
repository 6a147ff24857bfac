// orvalo-shots: writes the manual's pictures of the program's windows.
//
//   orvalo-shots --port 5432 [--host localhost] [--out DIR] [--only NAME]... [--list]
//
// It signs in to the database with the client's own role, so run it against
// a copy holding the demo data (tools/shots.sh starts a throwaway one) with
// QT_QPA_PLATFORM=offscreen. Nothing is written to the database.
#include "OVApplication.h"
#include "TAVLiveUpdates.h"
#include "TAVUiState.h"
#include "ShotCamera.h"
#include "Startup.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFont>
#include <QSettings>
#include <QStandardPaths>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace {
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // The program's own diagnostic lines would drown the tool's output.
    if (type == QtDebugMsg || type == QtInfoMsg
        || message.startsWith(QLatin1String("This plugin does not support")))
        return;
    fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

int main(int argc, char **argv)
{
    // Keeps the pictures' session away from the user's own profiles and logs.
    QStandardPaths::setTestModeEnabled(true);
    OVApplication app(argc, argv);
    qInstallMessageHandler(quietHandler);
    // The buttons of the toolkit's boxes in Polish, as the program shows them.
    std::unique_ptr<QTranslator> translator(OrvStartup::loadToolkitTranslation());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes the manual's pictures of Orvalo's windows."));
    parser.addHelpOption();
    const QCommandLineOption hostOption(QStringLiteral("host"), QStringLiteral("Database server."),
                                        QStringLiteral("host"), QStringLiteral("localhost"));
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Database port."),
                                        QStringLiteral("port"), QStringLiteral("5432"));
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Folder of the pictures."),
                                       QStringLiteral("dir"), QStringLiteral(ORV_SHOTS_DIR));
    const QCommandLineOption onlyOption(QStringLiteral("only"), QStringLiteral("Take only this picture."),
                                        QStringLiteral("name"));
    const QCommandLineOption listOption(QStringLiteral("list"), QStringLiteral("List the pictures."));
    parser.addOptions({hostOption, portOption, outOption, onlyOption, listOption});
    parser.process(app);

    const QList<Shot> shots = shotList();
    if (parser.isSet(listOption)) {
        for (const Shot &shot : shots)
            printf("%s\n", qPrintable(shot.name));
        return 0;
    }

    // The same look wherever the pictures are taken.
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    QApplication::setStyle(QStringLiteral("Fusion"));
    OrvStartup::registerIconResources();
    OrvStartup::setApplicationWindowIcon();

    if (!app.connectDatabase(parser.value(hostOption), parser.value(portOption).toInt(), app.databaseName(),
                             app.dbUserName(), app.dbUserPassword())) {
        fprintf(stderr, "orvalo-shots: cannot connect to %s:%s\n", qPrintable(parser.value(hostOption)),
                qPrintable(parser.value(portOption)));
        return 1;
    }
    // A workstation that remembers no column widths, hears other
    // workstations and asks nothing it was told not to ask.
    TAVUiState::settings().clear();
    TAVLiveUpdates::instance()->start();
    const QString outDir = parser.value(outOption);
    QDir().mkpath(outDir);

    const QStringList only = parser.values(onlyOption);
    ShotCamera camera(outDir);
    int failed = 0;
    for (const Shot &shot : shots) {
        if (!only.isEmpty() && !only.contains(shot.name))
            continue;
        if (!shot.login.isEmpty() && !camera.signIn(shot.login)) {
            fprintf(stderr, "orvalo-shots: %s: no user %s\n", qPrintable(shot.name), qPrintable(shot.login));
            ++failed;
            continue;
        }
        const int before = camera.written().size();
        shot.take(camera);
        camera.endShot();
        if (camera.written().size() == before) {
            fprintf(stderr, "orvalo-shots: %s: nothing saved\n", qPrintable(shot.name));
            ++failed;
        }
    }
    for (const QString &path : camera.written())
        printf("%s\n", qPrintable(path));
    return failed == 0 ? 0 : 1;
}
