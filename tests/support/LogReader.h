#pragma once

#include "LogHandler.h"
#include "Startup.h"

#include <QDir>
#include <QFile>
#include <QStringList>

// Sends the test's diagnostic lines into a log file of its own and reads
// them back decoded, from a mark on.
class LogReader
{
public:
    explicit LogReader(const QString &name)
    {
        OrvStartup::installLog(name);
        QFile::resize(OrvLog::filePath(), 0);
    }
    ~LogReader() { qInstallMessageHandler(nullptr); }

    // The decoded records of any log file (another program's run, too).
    static QStringList recordsOf(const QString &path)
    {
        QStringList out;
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return out;
        while (!f.atEnd()) {
            QString r;
            if (OrvLog::decodeLine(f.readLine(), &r))
                out << r;
        }
        return out;
    }
    QStringList records() const { return recordsOf(OrvLog::filePath()); }
    void mark() { m_mark = records().size(); }
    QStringList sinceMark() const { return records().mid(m_mark); }
    QString joinedSinceMark() const { return sinceMark().join(QLatin1Char('\n')); }

private:
    int m_mark = 0;
};
