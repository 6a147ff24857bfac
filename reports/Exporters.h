#pragma once

#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace OrvReports {

struct ExportColumn
{
    QString name;                   // column of the query
    QString header;                 // caption in the first row
    QMap<QString, QString> texts;   // value as text -> shown text, e.g. "true" -> "Tak"
};

// Rows written so far and the total; returning false cancels (the file is removed).
using ExportProgress = std::function<bool(qint64 done, qint64 total)>;

enum class ExportFormat { Csv, Xlsx };

// Writes every row of an SQL query (the register's own text with its filter
// and order) to a file, streaming the rows. CSV is UTF-8 with a BOM,
// semicolons, CRLF, quotes where needed and decimal commas, as Polish
// spreadsheets read it; XLSX keeps numbers, dates and flags typed.
// False with a Polish description in *error (empty after a cancel).
bool exportQuery(ExportFormat format, const QString &sql, const QList<ExportColumn> &columns,
                 const QString &fileName, const ExportProgress &progress = {}, QString *error = nullptr,
                 const QSqlDatabase &db = QSqlDatabase::database());

// One CSV field as written (without the separator).
QString csvField(const QString &text);

} // namespace OrvReports
