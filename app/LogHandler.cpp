#include "LogHandler.h"

#include <QFile>

#include <cstdlib>

namespace {
QString s_fileName;
QString s_filePath;
}

namespace OrvLog {

QString fileNameFor(const QDateTime &startTime)
{
    return startTime.toString(QStringLiteral("dd.MM.yyyy-hh.mm.ss")) + QStringLiteral(".log");
}

void setFileName(const QString &name) { s_fileName = name; }
QString fileName() { return s_fileName; }
void setFilePath(const QString &absolutePath) { s_filePath = absolutePath; }
QString filePath() { return s_filePath; }

QByteArray marker(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QByteArrayLiteral("===DEBUG===");
    case QtInfoMsg:
        return QByteArrayLiteral("===INFO===");
    case QtWarningMsg:
        return QByteArrayLiteral("===WARNING===");
    case QtCriticalMsg:
        return QByteArrayLiteral("===CRITICAL===");
    case QtFatalMsg:
        return QByteArrayLiteral("===FATAL===");
    }
    return QByteArrayLiteral("===DEBUG===");
}

QByteArray encodeRecord(QtMsgType type, const QString &message)
{
    QByteArray record = marker(type);
    record += '\t';
    record += message.toUtf8();
    return record.toBase64();
}

bool decodeLine(const QByteArray &line, QString *record)
{
    const QByteArray trimmed = line.trimmed();
    auto result = QByteArray::fromBase64Encoding(trimmed, QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return false;
    if (record)
        *record = QString::fromUtf8(*result);
    return true;
}

void logMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (s_filePath.isEmpty())
        return;
    QFile file(s_filePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    file.write(encodeRecord(type, message));
    file.write("\n");
    file.flush();
    if (type == QtFatalMsg)
        std::abort();
    file.close();
}

} // namespace OrvLog
