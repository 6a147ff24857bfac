#pragma once

#include "TAVItemDelegate.h"

#include <QDate>

// Tool rows: grey outside the user's warehouses, red when damaged, cyan
// when due for checking, light grey when not on stock; written-off tools
// in grey italics.
class NarzedziaPainterStrategy : public TAVItemDelegatePaintStrategy
{
    Q_OBJECT
public:
    explicit NarzedziaPainterStrategy(QObject *parent = nullptr) : TAVItemDelegatePaintStrategy(parent) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void styleText(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};

// The inspection date over the row's colours: orange and bold once the
// date has passed, pale amber within the next 30 days.
class PrzegladPainterStrategy : public NarzedziaPainterStrategy
{
    Q_OBJECT
public:
    enum class Due { None, Soon, Overdue };

    explicit PrzegladPainterStrategy(QObject *parent = nullptr) : NarzedziaPainterStrategy(parent) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void styleText(QStyleOptionViewItem *option, const QModelIndex &index) const override;

    static Due due(const QModelIndex &index, const QDate &today = QDate::currentDate());
    static const QColor kOverdue;
    static const QColor kSoon;
};

// A tool kept past its planned return (days, or a count of such tools):
// violet with a warning sign, apart from the orange of inspections.
class PoTerminiePaintStrategy : public TAVItemDelegatePaintStrategy
{
    Q_OBJECT
public:
    static const QColor kLate;
    explicit PoTerminiePaintStrategy(QObject *parent = nullptr) : TAVItemDelegatePaintStrategy(parent) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void styleText(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
