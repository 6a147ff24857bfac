#include "Barcode.h"

#include <QPainter>

#include <zint.h>

#include <memory>

namespace OrvReports {

bool paintBarcode(QPainter *painter, const QRectF &rect, BarcodeType type, const QString &data)
{
    if (data.isEmpty() || rect.isEmpty())
        return false;
    std::unique_ptr<zint_symbol, void (*)(zint_symbol *)> symbol(ZBarcode_Create(), ZBarcode_Delete);
    if (!symbol)
        return false;
    symbol->symbology = type == BarcodeType::QrCode ? BARCODE_QRCODE : BARCODE_CODE128;
    symbol->input_mode = UNICODE_MODE;
    symbol->show_hrt = 0;
    symbol->output_options |= BARCODE_QUIET_ZONES;
    if (type == BarcodeType::QrCode)
        symbol->option_1 = 2;   // error correction M: survives a scuffed label
    const QByteArray bytes = data.toUtf8();
    const int rc = ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(bytes.constData()),
                                   int(bytes.size()));
    if (rc >= ZINT_ERROR || ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector)
        return false;
    const zint_vector *v = symbol->vector;
    if (v->width <= 0 || v->height <= 0)
        return false;

    QRectF target = rect;
    double sx = rect.width() / v->width;
    double sy = rect.height() / v->height;
    if (type == BarcodeType::QrCode) {
        sx = sy = qMin(sx, sy);
        target = QRectF(0, 0, v->width * sx, v->height * sy);
        target.moveCenter(rect.center());
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(Qt::NoPen);
    painter->fillRect(target, Qt::white);
    painter->setBrush(Qt::black);
    for (const zint_vector_rect *r = v->rectangles; r; r = r->next)
        painter->drawRect(QRectF(target.left() + r->x * sx, target.top() + r->y * sy, r->width * sx, r->height * sy));
    painter->restore();
    return true;
}

} // namespace OrvReports
