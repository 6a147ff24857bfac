#include "OrvReports.h"

#include "TAVFormat.h"

#include "orReport.h"

#include <QDate>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

static void initReportResources()
{
    Q_INIT_RESOURCE(reports);
}

namespace OrvReports {

void initResources()
{
    static bool done = false;
    if (!done) {
        initReportResources();
        done = true;
    }
}

QString definitionResource(const QString &reportName)
{
    return QStringLiteral(":/reports/%1.xml").arg(reportName);
}

QStringList availableReports()
{
    initResources();
    QStringList names;
    const QStringList files = QDir(QStringLiteral(":/reports")).entryList({QStringLiteral("*.xml")}, QDir::Files,
                                                                        QDir::Name);
    for (const QString &f : files)
        names << f.chopped(4);
    return names;
}

QString failureTitle()
{
    return QStringLiteral("Nie można wydrukować raportu");
}

QString failureSuffix()
{
    return QStringLiteral(" Jeśli sytuacja będzie się powtarzać proszę zgłosić ją pomocy technicznej.");
}

void replaceInQueries(QDomDocument &doc, const QMap<QString, QString> &replace)
{
    const QDomNodeList queries = doc.elementsByTagName(QStringLiteral("query"));
    for (int i = 0; i < queries.count(); ++i) {
        QDomElement query = queries.at(i).toElement();
        QString text = query.text();
        for (auto it = replace.cbegin(); it != replace.cend(); ++it)
            text.replace(it.key(), it.value(), Qt::CaseSensitive);
        // A register's order comes before the report's own key order; without
        // one the key alone orders the rows.
        text.replace(QStringLiteral("%TAV_QUERY_ORDER%"), QString());
        while (query.hasChildNodes())
            query.removeChild(query.firstChild());
        query.appendChild(doc.createTextNode(text));
    }
}

bool prepareReport(const QString &reportName, ParameterList &params, const QMap<QString, QString> &replace,
                   orReport *report, QString *failure)
{
    initResources();
    QString error;
    const bool tableReport = replace.contains(QStringLiteral("%TAV_QUERY_WHERE%"));
    if (reportName.isEmpty())
        error = QStringLiteral("Nie podano schematu raportu.");
    const QVariant id = params.value(QStringLiteral("TAV_ID"));
    const bool hasId = id.isValid() && !id.isNull();
    if (!hasId && !tableReport)
        error += QStringLiteral(" Brak parametru TAV_ID.");
    if (!error.isEmpty()) {
        *failure = error;
        return false;
    }

    QFile file(definitionResource(reportName));
    if (!file.exists()) {
        *failure = QStringLiteral("Nie odnaleziono schematu raportu do wydrukowania.");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *failure = QStringLiteral("Schemat raportu nie został poprawnie otworzony.");
        return false;
    }
    params.append(QStringLiteral("TAV_CURRENT_DATE"), TAVFormat::date(QDate::currentDate()));
    report->setParamList(params);

    const QString text = QString::fromUtf8(file.readAll());
    QDomDocument doc;
    if (!doc.setContent(text)) {
        *failure = QStringLiteral("Schemat raportu nie został poprawnie przetworzony.");
        return false;
    }
    // Into the parsed queries, not the XML text: a filter is data, not markup.
    replaceInQueries(doc, replace);
    if (!report->setDom(doc) || !report->isValid()) {
        *failure = QStringLiteral("Generowanie raportu nie powiodło się.");
        return false;
    }
    return true;
}

bool printReport(QWidget *parent, const QString &reportName, ParameterList &params,
                 const QMap<QString, QString> &replace, OutputMode mode, const QString &pdfPath)
{
    orReport report;
    QString failure;
    bool ok = prepareReport(reportName, params, replace, &report, &failure);
    if (!ok && !report.errorText().isEmpty())
        report.reportError(parent);
    if (ok) {
        switch (mode) {
        case OutputMode::Printer:
            ok = report.print(nullptr, true, false, parent);
            break;
        case OutputMode::Preview:
            ok = report.print(nullptr, false, true, parent);
            break;
        case OutputMode::Pdf: {
            QString path = pdfPath;
            if (path.isEmpty()) {
                path = QFileDialog::getSaveFileName(parent, QStringLiteral("Zapisz jako PDF"),
                                                    report.title() + QStringLiteral(".pdf"),
                                                    QStringLiteral("Dokument PDF (*.pdf)"));
                if (path.isEmpty())
                    return false;
                if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
                    path += QStringLiteral(".pdf");
            }
            ok = report.exportToPdf(path, parent);
            break;
        }
        }
        if (ok || report.wasCancelled())
            return ok;
        // A report that could not be produced is not a finished print.
        report.reportError(parent);
        failure = QStringLiteral("Generowanie raportu nie powiodło się.");
    }
    QMessageBox box(QMessageBox::Information, failureTitle(), failure + failureSuffix(), QMessageBox::Ok, parent);
    box.exec();
    return false;
}

} // namespace OrvReports
