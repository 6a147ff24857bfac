#include "NarzedziaPainterStrategy.h"

#include "TAVSession.h"

#include <QPainter>

void NarzedziaPainterStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    bool found = false;
    const QVariant warehouse = rowValue(index, QStringLiteral("nrz_fk_mgz"), &found);
    if (!found)
        return;
    // Rights as the session cached them: painting never asks the database.
    TAVSession *session = TAVSession::current();
    if (session && !session->isAdmin() && !session->managedWarehouses().contains(warehouse.toInt())) {
        painter->fillRect(option.rect, QColor(0x80, 0x80, 0x80));
        return;
    }
    const QString state = rowValue(index, QStringLiteral("stn_nazwa")).toString();
    if (state == QLatin1String("Uszkodzone")) {
        painter->fillRect(option.rect, QColor(255, 33, 33));
        return;
    }
    if (state == QLatin1String("Do kontroli")) {
        painter->fillRect(option.rect, QColor(0x00, 0xff, 0xff));
        return;
    }
    if (!rowValue(index, QStringLiteral("nrz_przyjete_na_stan")).toBool())
        painter->fillRect(option.rect, QColor(0xc0, 0xc0, 0xc0));
}
