// orvalo-log: prints the decoded lines of the program's diagnostic logs.
#include "LogHandler.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (args.isEmpty() || args.first() == QLatin1String("-h") || args.first() == QLatin1String("--help")) {
        err << "Usage: orvalo-log FILE...\n"
               "Prints the decoded records of Orvalo log files (use - for standard input).\n";
        return args.isEmpty() ? 2 : 0;
    }

    int result = 0;
    for (const QString &path : args) {
        QFile file;
        bool opened = false;
        if (path == QLatin1String("-"))
            opened = file.open(stdin, QIODevice::ReadOnly);
        else {
            file.setFileName(path);
            opened = file.open(QIODevice::ReadOnly);
        }
        if (!opened) {
            err << "orvalo-log: cannot open " << path << ": " << file.errorString() << "\n";
            result = 1;
            continue;
        }
        if (args.size() > 1)
            out << "==> " << path << " <==\n";
        int lineNo = 0;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            ++lineNo;
            if (line.trimmed().isEmpty())
                continue;
            QString record;
            if (OrvLog::decodeLine(line, &record)) {
                out << record << "\n";
            } else {
                err << "orvalo-log: " << path << ":" << lineNo << ": not a log record\n";
                result = 1;
            }
        }
        out.flush();
    }
    return result;
}
