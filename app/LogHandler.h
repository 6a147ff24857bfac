#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QtGlobal>

// One Base64 line per diagnostic message in one file per run; the file is
// opened and closed for each message so a crash loses at most the line
// being written.
namespace OrvLog {

// "dd.MM.yyyy-hh.mm.ss.log" for the given local time.
QString fileNameFor(const QDateTime &startTime);

// The run's log file name and full path, held for the whole process.
void setFileName(const QString &name);
QString fileName();
void setFilePath(const QString &absolutePath);
QString filePath();

// Marker written before the tab of a record, e.g. "===DEBUG===".
QByteArray marker(QtMsgType type);

// The record (marker, tab, UTF-8 text) encoded as one line without its end.
QByteArray encodeRecord(QtMsgType type, const QString &message);

// Reverses encodeRecord(); false when the line is not valid Base64.
bool decodeLine(const QByteArray &line, QString *record);

// The message handler the start-up installs with qInstallMessageHandler.
void logMessageHandler(QtMsgType type, const QMessageLogContext &context,
                       const QString &message);

} // namespace OrvLog
