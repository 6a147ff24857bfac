#pragma once

#include "ParameterList.h"

#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <memory>

class QDomDocument;
class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace OrvReports {
struct ReportDefinition;
}

// A report definition with its parameters, rendered from the database it
// was constructed on (by default the program's one connection). Every
// output runs the definition's queries afresh.
class orReport
{
public:
    // Called while rendering: rows laid out (then pages painted) so far and
    // the total (0 when unknown); returning false cancels.
    using ProgressHandler = std::function<bool(qint64 done, qint64 total)>;

    explicit orReport(const QSqlDatabase &db = QSqlDatabase::database());
    ~orReport();
    orReport(const orReport &) = delete;
    orReport &operator=(const orReport &) = delete;

    void setParamList(const ParameterList &params);
    const ParameterList &paramList() const;

    // Reads the definition; a faulty one leaves isValid() false and says why in errorText().
    bool setDom(const QDomDocument &doc);
    bool isValid() const;
    QString title() const;
    const OrvReports::ReportDefinition *definition() const;

    // Why the definition or the last output failed; empty after a cancel.
    QString errorText() const;
    bool wasCancelled() const;
    // Shows errorText() in the renderer's own box.
    void reportError(QWidget *parent) const;

    // Prints: with no printer given, one of its own on the default printer;
    // setupPrinter shows the print dialog first (cancelling it prints and
    // shows nothing, and returns false); preview shows the preview instead,
    // from which the user prints or saves. With a parent, long renders show
    // a progress dialog that can cancel.
    bool print(QPrinter *printer = nullptr, bool setupPrinter = true, bool preview = false,
               QWidget *parent = nullptr);
    bool showPreview(QWidget *parent);
    bool exportToPdf(const QString &fileName, QWidget *parent = nullptr);
    // Any printer or PDF writer, no dialogs; the page format is the definition's.
    bool render(QPagedPaintDevice *device, QWidget *parent = nullptr);

    void setProgressHandler(ProgressHandler handler);
    int pageCount() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
