#pragma once

#include <QRectF>
#include <QString>

class QPainter;

namespace OrvReports {

enum class BarcodeType { Code128, QrCode };

// Paints the symbol into rect: Code 128 stretched over the rectangle's width
// and height (quiet zones included), QR square and centred. Black on white,
// as vectors, so it stays sharp on any printer. False when the data cannot
// be encoded (the rectangle is left untouched).
bool paintBarcode(QPainter *painter, const QRectF &rect, BarcodeType type, const QString &data);

} // namespace OrvReports
