#pragma once

#include <QImage>
#include <QList>
#include <QMarginsF>
#include <QSizeF>
#include <QSqlDatabase>
#include <QString>

class QPagedPaintDevice;
class QPainter;
class QWidget;

namespace OrvReports {

struct ToolLabel
{
    QString code;              // nrz_kod: printed as Code 128 and as QR
    QString name;
    QString inventoryNumber;
};

struct LabelOptions
{
    QSizeF labelSizeMm{50, 25};
    // false: one label per page (label printer); true: labels side by side on A4 sheets.
    bool sheet = false;
    QMarginsF sheetMarginsMm{8, 10, 8, 10};
    double sheetGapMm = 2;

    // The workstation's choice, kept next to the connection profiles.
    static LabelOptions load();
    void save() const;
};

// Labels of the given tools, in the order of the ids.
QList<ToolLabel> loadToolLabels(const QList<int> &toolIds, QString *error = nullptr,
                                const QSqlDatabase &db = QSqlDatabase::database());

// Labels of kits: the kit's code, its name and how many tools it holds.
QList<ToolLabel> loadKitLabels(const QList<int> &kitIds, QString *error = nullptr,
                               const QSqlDatabase &db = QSqlDatabase::database());

// Paints one label into rect (any units; the painter's transform decides).
void paintLabel(QPainter *painter, const QRectF &rect, const ToolLabel &label);

// One label as an image, white background, at the given resolution.
QImage renderLabel(const ToolLabel &label, const LabelOptions &options, int dpi = 600);

// Onto a printer or PDF writer, no dialogs; the page format follows the options.
bool renderLabels(QPagedPaintDevice *device, const QList<ToolLabel> &labels, const LabelOptions &options);
bool exportLabelsToPdf(const QString &fileName, const QList<ToolLabel> &labels, const LabelOptions &options);
// "Drukuj etykietę": the print dialog, then the labels; false when cancelled.
bool printLabels(QWidget *parent, const QList<ToolLabel> &labels, const LabelOptions &options);

} // namespace OrvReports
