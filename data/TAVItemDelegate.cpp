#include "TAVItemDelegate.h"

#include "TAVTableModel.h"

#include <QPainter>
#include <QSqlRecord>
#include <QSqlTableModel>

TAVItemDelegate::TAVItemDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

TAVItemDelegate::TAVItemDelegate(QObject *parent, TAVItemDelegateDisplayTextStrategy *displayText)
    : QStyledItemDelegate(parent)
{
    setDisplayTextStrategy(displayText);
}

TAVItemDelegate::TAVItemDelegate(QObject *parent, TAVItemDelegatePaintStrategy *paint)
    : QStyledItemDelegate(parent)
{
    setPaintStrategy(paint);
}

TAVItemDelegate::TAVItemDelegate(QObject *parent, TAVItemDelegatePaintStrategy *paint,
                                 TAVItemDelegateDisplayTextStrategy *displayText)
    : QStyledItemDelegate(parent)
{
    setPaintStrategy(paint);
    setDisplayTextStrategy(displayText);
}

void TAVItemDelegate::setPaintStrategy(TAVItemDelegatePaintStrategy *strategy)
{
    if (strategy == m_paint)
        return;
    delete m_paint;
    m_paint = strategy;
    // The strategy lives as long as its delegate.
    if (m_paint)
        m_paint->setParent(this);
}

void TAVItemDelegate::setDisplayTextStrategy(TAVItemDelegateDisplayTextStrategy *strategy)
{
    if (strategy == m_displayText)
        return;
    delete m_displayText;
    m_displayText = strategy;
    if (m_displayText)
        m_displayText->setParent(this);
}

void TAVItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (m_paint)
        m_paint->paint(painter, option, index);
    QStyledItemDelegate::paint(painter, option, index);
}

void TAVItemDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (m_paint)
        m_paint->styleText(option, index);
}

QString TAVItemDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    if (m_displayText)
        return m_displayText->displayText(value, locale);
    return QStyledItemDelegate::displayText(value, locale);
}

namespace {
const QColor kLightGray(0xc0, 0xc0, 0xc0);
} // namespace

QVariant TAVItemDelegatePaintStrategy::rowValue(const QModelIndex &index, const QString &column, bool *found)
{
    if (found)
        *found = false;
    if (const auto *model = qobject_cast<const TAVTableModel *>(index.model())) {
        const int c = model->fieldIndex(column);
        if (c < 0)
            return QVariant();
        if (found)
            *found = true;
        return model->value(index.row(), c);
    }
    if (const auto *sql = qobject_cast<const QSqlTableModel *>(index.model())) {
        const QSqlRecord rec = sql->record(index.row());
        if (rec.indexOf(column) < 0)
            return QVariant();
        if (found)
            *found = true;
        return rec.value(column);
    }
    return QVariant();
}

void AktywnyZatrudnionyBialySzaryPolePaintStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                                          const QModelIndex &index) const
{
    for (const QString &field : m_fields) {
        bool found = false;
        const QVariant v = rowValue(index, field, &found);
        if (found && !v.toBool())
            painter->fillRect(option.rect, kLightGray);
    }
}

void ZrealizowanoPolePaintStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    for (const QString &field : m_fields) {
        bool found = false;
        const QVariant v = rowValue(index, field, &found);
        if (found)
            painter->fillRect(option.rect, v.toBool() ? kLightGray : QColor(126, 244, 67));
    }
}

QString TwoWordDisplayTextStrategy::displayText(const QVariant &value, const QLocale &) const
{
    return value.toBool() ? m_true : m_false;
}
