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
    // What is not late is painted as the rest of its row (the row's own painter, when given).
    explicit PoTerminiePaintStrategy(TAVItemDelegatePaintStrategy *otherwise = nullptr, QObject *parent = nullptr)
        : TAVItemDelegatePaintStrategy(parent), m_otherwise(otherwise)
    {
        if (m_otherwise)
            m_otherwise->setParent(this);
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void styleText(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    TAVItemDelegatePaintStrategy *m_otherwise;
};

// No lateness: an empty cell rather than a row of zeros.
class BezZeraDisplayTextStrategy : public TAVItemDelegateDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit BezZeraDisplayTextStrategy(QObject *parent = nullptr) : TAVItemDelegateDisplayTextStrategy(parent) {}
    QString displayText(const QVariant &value, const QLocale &locale) const override
    {
        return value.toInt() == 0 ? QString() : locale.toString(value.toInt());
    }
};
