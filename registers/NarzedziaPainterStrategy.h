#pragma once

#include "TAVItemDelegate.h"

// Tool rows: grey outside the user's warehouses, red when damaged, cyan
// when due for checking, light grey when not on stock.
class NarzedziaPainterStrategy : public TAVItemDelegatePaintStrategy
{
    Q_OBJECT
public:
    explicit NarzedziaPainterStrategy(QObject *parent = nullptr) : TAVItemDelegatePaintStrategy(parent) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
