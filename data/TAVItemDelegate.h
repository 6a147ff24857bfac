#pragma once

#include <QLocale>
#include <QObject>
#include <QStringList>
#include <QStyledItemDelegate>

// Fills a cell's background before the standard drawing.
class TAVItemDelegatePaintStrategy : public QObject
{
    Q_OBJECT
public:
    explicit TAVItemDelegatePaintStrategy(QObject *parent = nullptr) : QObject(parent) {}
    virtual void paint(QPainter *painter, const QStyleOptionViewItem &option,
                       const QModelIndex &index) const = 0;
    // The cell's font and text colour, before it is drawn (a date due in
    // bold, a retired row in grey); nothing by default.
    virtual void styleText(QStyleOptionViewItem *option, const QModelIndex &index) const
    {
        Q_UNUSED(option);
        Q_UNUSED(index);
    }

    // A value of the index's row, read without building a whole record;
    // invalid when the model is not a table model or has no such column.
    static QVariant rowValue(const QModelIndex &index, const QString &column, bool *found = nullptr);
};

// Turns a cell value into the words the register shows.
class TAVItemDelegateDisplayTextStrategy : public QObject
{
    Q_OBJECT
public:
    explicit TAVItemDelegateDisplayTextStrategy(QObject *parent = nullptr) : QObject(parent) {}
    virtual QString displayText(const QVariant &value, const QLocale &locale) const = 0;
};

class TAVItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit TAVItemDelegate(QObject *parent = nullptr);
    TAVItemDelegate(QObject *parent, TAVItemDelegateDisplayTextStrategy *displayText);
    TAVItemDelegate(QObject *parent, TAVItemDelegatePaintStrategy *paint);
    TAVItemDelegate(QObject *parent, TAVItemDelegatePaintStrategy *paint,
                    TAVItemDelegateDisplayTextStrategy *displayText);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QString displayText(const QVariant &value, const QLocale &locale) const override;

    virtual void setPaintStrategy(TAVItemDelegatePaintStrategy *strategy);
    virtual void setDisplayTextStrategy(TAVItemDelegateDisplayTextStrategy *strategy);

    TAVItemDelegatePaintStrategy *paintStrategy() const { return m_paint; }
    TAVItemDelegateDisplayTextStrategy *displayTextStrategy() const { return m_displayText; }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    TAVItemDelegatePaintStrategy *m_paint = nullptr;
    TAVItemDelegateDisplayTextStrategy *m_displayText = nullptr;
};

// Light grey when a flag (active, employed) is false.
class AktywnyZatrudnionyBialySzaryPolePaintStrategy : public TAVItemDelegatePaintStrategy
{
    Q_OBJECT
public:
    explicit AktywnyZatrudnionyBialySzaryPolePaintStrategy(const QStringList &fields, QObject *parent = nullptr)
        : TAVItemDelegatePaintStrategy(parent), m_fields(fields)
    {
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QStringList m_fields;
};

// Green while a movement is open, light grey once finished.
class ZrealizowanoPolePaintStrategy : public TAVItemDelegatePaintStrategy
{
    Q_OBJECT
public:
    explicit ZrealizowanoPolePaintStrategy(const QStringList &fields, QObject *parent = nullptr)
        : TAVItemDelegatePaintStrategy(parent), m_fields(fields)
    {
    }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QStringList m_fields;
};

// A flag as one of two words (a null value reads as false).
class TwoWordDisplayTextStrategy : public TAVItemDelegateDisplayTextStrategy
{
    Q_OBJECT
public:
    TwoWordDisplayTextStrategy(const QString &trueWord, const QString &falseWord, QObject *parent = nullptr)
        : TAVItemDelegateDisplayTextStrategy(parent), m_true(trueWord), m_false(falseWord)
    {
    }
    QString displayText(const QVariant &value, const QLocale &locale) const override;

private:
    QString m_true;
    QString m_false;
};
