#pragma once

#include "ParameterList.h"

#include <QMap>
#include <QString>
#include <QStringList>

class QDomDocument;
class QWidget;
class orReport;

namespace OrvReports {

// Registers the compiled-in definitions (":/reports/<name>.xml"); call once
// before the first print (the library is static).
void initResources();

QString definitionResource(const QString &reportName);
// Names of the carried definitions, sorted.
QStringList availableReports();

// Puts each placeholder's text into the definition's query texts, keys in
// map order, letter case significant. Only the queries are touched, so a
// filter holding "&", "<" or "]]>" cannot spoil the document.
void replaceInQueries(QDomDocument &doc, const QMap<QString, QString> &replace);

enum class OutputMode { Printer, Preview, Pdf };

// The common print of the registers: checks the name and TAV_ID, reads the
// definition, adds TAV_CURRENT_DATE (today, "dd.MM.yyyy"), fills the
// placeholders and sends it to the printer (print dialog), to the preview
// or to a PDF file (pdfPath, or asked in a save dialog when empty).
// Failures end in one information box over parent; a cancelled dialog
// shows nothing. True when the output was produced.
bool printReport(QWidget *parent, const QString &reportName, ParameterList &params,
                 const QMap<QString, QString> &replace, OutputMode mode, const QString &pdfPath = QString());

// The same steps without any window: the report ready to render, or false
// with the failure text of printReport in *failure (and the renderer's own
// error in report->errorText() when the definition is rejected).
bool prepareReport(const QString &reportName, ParameterList &params, const QMap<QString, QString> &replace,
                   orReport *report, QString *failure);

// Texts of the print failure box.
QString failureTitle();
QString failureSuffix();

} // namespace OrvReports
