// orvalo-report: renders a carried report definition to PDF without the
// window, for scheduled reports (e.g. inspections due) and administrators.
//
//   orvalo-report --list
//   orvalo-report --profile NAME REPORT [--where "SQL condition"] [--id N] -o FILE.pdf
#include "IniDbSettingsManipulator.h"
#include "OVApplication.h"
#include "OrvReports.h"
#include "Startup.h"
#include "orReport.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QDomDocument>
#include <QFile>

#include <cstdio>

namespace {

enum ExitCode { Ok = 0, Usage = 2, Profile = 3, Connection = 4, ReportFailed = 5 };

void say(FILE *to, const QString &text)
{
    std::fputs(text.toUtf8().constData(), to);
    std::fputc('\n', to);
}

} // namespace

int main(int argc, char **argv)
{
    // Never shows a window: no display needed (cron, ssh).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    OVApplication app(argc, argv);
    OrvReports::initResources();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Drukuje raport programu Orvalo do pliku PDF.\n"
            "Renders an Orvalo report to a PDF file.\n\n"
            "Przykład / example:\n"
            "  orvalo-report --profile domyślne narzedzia_table --where \"mgz_symbol = 'MG_GLOWNY'\" -o narzedzia.pdf"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("raport"),
                                 QStringLiteral("Nazwa definicji raportu (zob. --list) / report name."));
    const QCommandLineOption list(QStringLiteral("list"), QStringLiteral("Wypisuje dostępne raporty / lists the reports."));
    const QCommandLineOption profile(QStringLiteral("profile"),
                                     QStringLiteral("Profil połączenia z dbsettings.ini / connection profile."),
                                     QStringLiteral("NAZWA"));
    const QCommandLineOption where(QStringLiteral("where"),
                                   QStringLiteral("Warunek SQL zawężający wiersze raportu tabeli / SQL condition."),
                                   QStringLiteral("WARUNEK"));
    const QCommandLineOption id(QStringLiteral("id"),
                                QStringLiteral("Klucz drukowanej pozycji lub pozycji nadrzędnej / record key."),
                                QStringLiteral("N"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Plik PDF do zapisania / output PDF file."), QStringLiteral("PLIK"));
    const QCommandLineOption login(QStringLiteral("login"),
                                   QStringLiteral("Login użytkownika, gdy profil nie ma użytkownika bazy (konta serwera; "
                                                  "hasło z ORV_HASLO albo ~/.pgpass) / user's login for server accounts."),
                                   QStringLiteral("LOGIN"));
    parser.addOptions({list, profile, where, id, output, login});
    parser.process(app);

    if (parser.isSet(list)) {
        for (const QString &name : OrvReports::availableReports()) {
            QDomDocument doc;
            QFile file(OrvReports::definitionResource(name));
            QString title;
            if (file.open(QIODevice::ReadOnly) && doc.setContent(&file))
                title = doc.documentElement().attribute(QStringLiteral("title"));
            say(stdout, QStringLiteral("%1\t%2").arg(name, title));
        }
        return Ok;
    }

    const QStringList args = parser.positionalArguments();
    if (args.size() != 1 || !parser.isSet(profile) || !parser.isSet(output)) {
        say(stderr, QStringLiteral("Użycie / usage: orvalo-report --profile NAZWA RAPORT [--where \"WARUNEK\"] "
                                   "[--id N] -o PLIK.pdf\n               orvalo-report --list"));
        return Usage;
    }
    bool idOk = true;
    const int key = parser.isSet(id) ? parser.value(id).toInt(&idOk) : 0;
    if (!idOk || (parser.isSet(id) && key <= 0)) {
        say(stderr, QStringLiteral("Błąd: --id wymaga dodatniej liczby całkowitej / --id needs a positive integer."));
        return Usage;
    }

    const QString dataDir = OrvStartup::dataDirectory();
    IniDbSettingsManipulator profiles(QStringLiteral("dbsettings.ini"), dataDir);
    const QString name = parser.value(profile);
    if (!profiles.contains(name)) {
        QStringList known;
        for (const auto &p : profiles.connections())
            known << p.first;
        say(stderr, QStringLiteral("Błąd: nie ma profilu połączenia „%1” w %2.\nDostępne profile: %3")
                            .arg(name, QDir(dataDir).filePath(QStringLiteral("dbsettings.ini")),
                                 known.isEmpty() ? QStringLiteral("(brak)") : known.join(QStringLiteral(", "))));
        return Profile;
    }
    app.setConnectionSecurity(profiles.sslMode(name), profiles.sslRootCert(name));
    app.setServers(profiles.standbys(name), profiles.readOnly(name));
    // A profile without the shared role reaches the server with the user's
    // own account; libpq finds the password in ~/.pgpass when none is given.
    QString dbUser = profiles.dbUser(name);
    QString dbPassword = profiles.dbUserPassword(name, IniDbSettingsManipulator::currentFileVersion());
    if (parser.isSet(login)) {
        dbUser = TAVSession::accountRole(parser.value(login));
        dbPassword = qEnvironmentVariable("ORV_HASLO");
    } else if (dbUser.isEmpty()) {
        say(stderr, QStringLiteral("Błąd: profil „%1” nie ma użytkownika bazy danych (konta serwera): podaj --login LOGIN "
                                   "/ the profile has no database user: give --login LOGIN.").arg(name));
        return Usage;
    }
    if (!app.connectDatabase(profiles.host(name), profiles.port(name), app.databaseName(), dbUser, dbPassword)) {
        say(stderr, QStringLiteral("Błąd: nie można połączyć się z bazą %1 na %2:%3 (profil „%4”).")
                            .arg(app.databaseName(), profiles.host(name)).arg(profiles.port(name)).arg(name));
        return Connection;
    }

    ParameterList params;
    if (parser.isSet(id))
        params.append(QStringLiteral("TAV_ID"), key);
    QMap<QString, QString> replace;
    const QString condition = parser.value(where).trimmed();
    replace.insert(QStringLiteral("%TAV_QUERY_WHERE%"),
                   condition.isEmpty() ? QString() : QStringLiteral(" WHERE ") + condition);

    orReport report;
    QString failure;
    if (!OrvReports::prepareReport(args.first(), params, replace, &report, &failure)) {
        say(stderr, QStringLiteral("Błąd: %1").arg(failure.trimmed()));
        if (!report.errorText().isEmpty())
            say(stderr, report.errorText());
        return ReportFailed;
    }
    const QString file = QFileInfo(parser.value(output)).absoluteFilePath();
    if (!report.exportToPdf(file)) {
        say(stderr, QStringLiteral("Błąd: raport nie został zapisany. %1").arg(report.errorText()));
        return ReportFailed;
    }
    say(stdout, QStringLiteral("Zapisano %1 (stron: %2).").arg(file).arg(report.pageCount()));
    return Ok;
}
