#include "ToolLabels.h"

#include "Barcode.h"
#include "ReportOutput.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPainter>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace OrvReports {

namespace {

constexpr double kMm = 720.0 / 25.4;   // dots (tenths of a point) per millimetre

QString settingsFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
            .filePath(QStringLiteral("stanowisko.ini"));
}

QFont labelFont(double points, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qMax(1, qRound(points * 10)));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Text lines that fit the width, broken between words; the last one, and a
// single word wider than a line, elided.
QStringList fitLines(const QString &text, const QFont &font, double width, int maxLines)
{
    const QFontMetricsF fm(font);
    QStringList lines;
    QString rest = text.simplified();
    while (!rest.isEmpty() && lines.size() < maxLines) {
        if (lines.size() == maxLines - 1 || fm.horizontalAdvance(rest) <= width) {
            lines << fm.elidedText(rest, Qt::ElideRight, width);
            break;
        }
        int cut = int(rest.size());
        while (cut > 1 && fm.horizontalAdvance(rest.left(cut)) > width)
            --cut;
        const int space = int(rest.left(cut + 1).lastIndexOf(QLatin1Char(' ')));
        if (space <= 0) {
            const int end = int(rest.indexOf(QLatin1Char(' ')));
            lines << fm.elidedText(end < 0 ? rest : rest.left(end), Qt::ElideRight, width);
            rest = end < 0 ? QString() : rest.mid(end).trimmed();
            continue;
        }
        lines << rest.left(space).trimmed();
        rest = rest.mid(space).trimmed();
    }
    return lines;
}

QPageLayout labelPageLayout(const LabelOptions &options)
{
    if (options.sheet)
        return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
    const QSizeF s = options.labelSizeMm;
    return QPageLayout(QPageSize(s, QPageSize::Millimeter, QString(), QPageSize::ExactMatch),
                       QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

} // namespace

LabelOptions LabelOptions::load()
{
    LabelOptions o;
    QSettings s(settingsFile(), QSettings::IniFormat);
    s.beginGroup(QStringLiteral("etykiety"));
    const double w = s.value(QStringLiteral("szerokosc_mm"), o.labelSizeMm.width()).toDouble();
    const double h = s.value(QStringLiteral("wysokosc_mm"), o.labelSizeMm.height()).toDouble();
    if (w >= 20 && h >= 10 && w <= 200 && h <= 200)
        o.labelSizeMm = QSizeF(w, h);
    o.sheet = s.value(QStringLiteral("arkusz_a4"), o.sheet).toBool();
    return o;
}

void LabelOptions::save() const
{
    QSettings s(settingsFile(), QSettings::IniFormat);
    s.beginGroup(QStringLiteral("etykiety"));
    s.setValue(QStringLiteral("szerokosc_mm"), labelSizeMm.width());
    s.setValue(QStringLiteral("wysokosc_mm"), labelSizeMm.height());
    s.setValue(QStringLiteral("arkusz_a4"), sheet);
}

namespace {
// One statement for all of them, in the order asked for; the query's
// $KEY$ is the key column of the ids.
QList<ToolLabel> loadLabels(const QString &select, const QList<int> &ids, QString *error, const QSqlDatabase &db)
{
    QList<ToolLabel> labels;
    QStringList keys;
    for (int id : ids)
        keys << QString::number(id);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(select);
    q.addBindValue(QLatin1Char('{') + keys.join(QLatin1Char(',')) + QLatin1Char('}'));
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return {};
    }
    while (q.next())
        labels.append({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
    return labels;
}
} // namespace

QList<ToolLabel> loadToolLabels(const QList<int> &toolIds, QString *error, const QSqlDatabase &db)
{
    return loadLabels(QStringLiteral("SELECT n.nrz_kod, n.nrz_nazwa, n.nrz_nr_ewidencyjny "
                                     "FROM unnest(?::integer[]) WITH ORDINALITY AS u(id, ord) "
                                     "JOIN narzedzia n ON n.nrz_id = u.id ORDER BY u.ord"),
                      toolIds, error, db);
}

QList<ToolLabel> loadKitLabels(const QList<int> &kitIds, QString *error, const QSqlDatabase &db)
{
    return loadLabels(QStringLiteral("SELECT z.zst_kod, z.zst_nazwa, 'Zestaw, narzędzi: ' || "
                                     "(SELECT count(*) FROM narzedzia n WHERE n.nrz_fk_zst = z.zst_id) "
                                     "FROM unnest(?::integer[]) WITH ORDINALITY AS u(id, ord) "
                                     "JOIN zestawy z ON z.zst_id = u.id ORDER BY u.ord"),
                      kitIds, error, db);
}

void paintLabel(QPainter *painter, const QRectF &rect, const ToolLabel &label)
{
    // Laid out in dots (tenths of a point) on a label of 25 mm height, scaled to the rectangle.
    const double unit = rect.height() / (25 * kMm);
    painter->save();
    painter->translate(rect.topLeft());
    painter->scale(unit, unit);
    const double w = rect.width() / unit;
    const double h = rect.height() / unit;
    const double pad = 1.5 * kMm;
    painter->fillRect(QRectF(0, 0, w, h), Qt::white);

    const double qrSide = qMin(h - 2 * pad, w * 0.45);
    paintBarcode(painter, QRectF(pad, (h - qrSide) / 2, qrSide, qrSide), BarcodeType::QrCode, label.code);

    const double x = pad + qrSide + pad;
    const double textWidth = w - x - pad;
    double y = pad;
    painter->setPen(Qt::black);
    const QFont nameFont = labelFont(6.5, true);
    const double nameHeight = QFontMetricsF(nameFont).height();
    painter->setFont(nameFont);
    for (const QString &line : fitLines(label.name, nameFont, textWidth, 2)) {
        painter->drawText(QRectF(x, y, textWidth, nameHeight), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += nameHeight;
    }
    if (!label.inventoryNumber.isEmpty()) {
        const QFont smallFont = labelFont(5.5, false);
        const QFontMetricsF fm(smallFont);
        painter->setFont(smallFont);
        QString inventory = QStringLiteral("Nr ewid.: ") + label.inventoryNumber;
        if (fm.horizontalAdvance(inventory) > textWidth)
            inventory = label.inventoryNumber;
        painter->drawText(QRectF(x, y, textWidth, fm.height()), Qt::AlignLeft | Qt::AlignVCenter,
                          fm.elidedText(inventory, Qt::ElideRight, textWidth));
        y += fm.height();
    }
    const QFont codeFont = labelFont(6.5, true);
    const double codeHeight = QFontMetricsF(codeFont).height();
    const double barsTop = y + 0.8 * kMm;
    const double barsHeight = h - pad - codeHeight - barsTop;
    if (barsHeight > 2 * kMm)
        paintBarcode(painter, QRectF(x, barsTop, textWidth, barsHeight), BarcodeType::Code128, label.code);
    painter->setFont(codeFont);
    painter->drawText(QRectF(x, h - pad - codeHeight, textWidth, codeHeight), Qt::AlignCenter, label.code);
    painter->restore();
}

QImage renderLabel(const ToolLabel &label, const LabelOptions &options, int dpi)
{
    const QSizeF mm = options.labelSizeMm;
    QImage image(qRound(mm.width() / 25.4 * dpi), qRound(mm.height() / 25.4 * dpi), QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    paintLabel(&p, QRectF(0, 0, image.width(), image.height()), label);
    return image;
}

bool renderLabels(QPagedPaintDevice *device, const QList<ToolLabel> &labels, const LabelOptions &options)
{
    if (labels.isEmpty())
        return false;
    preparePageLayout(device, labelPageLayout(options));
    QPainter painter;
    if (!painter.begin(device))
        return false;
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QSizeF pageMm = options.sheet ? QSizeF(210, 297) : options.labelSizeMm;
    const double pxPerMm = qMin(device->width() / pageMm.width(), device->height() / pageMm.height());
    const QSizeF label = options.labelSizeMm;
    int perRow = 1, perColumn = 1;
    if (options.sheet) {
        const QMarginsF m = options.sheetMarginsMm;
        perRow = qMax(1, int((pageMm.width() - m.left() - m.right() + options.sheetGapMm) / (label.width() + options.sheetGapMm)));
        perColumn = qMax(1, int((pageMm.height() - m.top() - m.bottom() + options.sheetGapMm) / (label.height() + options.sheetGapMm)));
    }
    const int perPage = perRow * perColumn;
    for (int i = 0; i < labels.size(); ++i) {
        if (i > 0 && i % perPage == 0 && !device->newPage())
            return false;
        QRectF where(QPointF(0, 0), label);
        if (options.sheet) {
            const int k = i % perPage;
            where.moveTopLeft(QPointF(options.sheetMarginsMm.left() + (k % perRow) * (label.width() + options.sheetGapMm),
                                      options.sheetMarginsMm.top() + (k / perRow) * (label.height() + options.sheetGapMm)));
        }
        paintLabel(&painter, QRectF(where.topLeft() * pxPerMm, where.size() * pxPerMm), labels.at(i));
    }
    return painter.end();
}

bool exportLabelsToPdf(const QString &fileName, const QList<ToolLabel> &labels, const LabelOptions &options)
{
    QPdfWriter writer(fileName);
    preparePdfWriter(&writer, QStringLiteral("Etykiety narzędzi"));
    return renderLabels(&writer, labels, options);
}

bool printLabels(QWidget *parent, const QList<ToolLabel> &labels, const LabelOptions &options)
{
    if (labels.isEmpty())
        return false;
    QPrinter printer(QPrinter::HighResolution);
    preparePageLayout(&printer, labelPageLayout(options));
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Drukuj etykiety"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return renderLabels(&printer, labels, options);
}

} // namespace OrvReports
