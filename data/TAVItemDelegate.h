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

private:
    TAVItemDelegatePaintStrategy *m_paint = nullptr;
    TAVItemDelegateDisplayTextStrategy *m_displayText = nullptr;
};

// Tool rows: grey outside the user's warehouses, red when damaged, cyan
// when due for checking, light grey when not on stock.
class NarzedziaPainterStrategy : public TAVItemDelegatePaintStrategy
{
    Q_OBJECT
public:
    explicit NarzedziaPainterStrategy(QObject *parent = nullptr) : TAVItemDelegatePaintStrategy(parent) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
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

// Words for flags, movement states and repair types.
class TakNieDisplayTextStrategy : public TAVItemDelegateDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit TakNieDisplayTextStrategy(QObject *parent = nullptr) : TAVItemDelegateDisplayTextStrategy(parent) {}
    QString displayText(const QVariant &value, const QLocale &locale) const override;
};

class AktywnyNieaktywnyDisplayTextStrategy : public TAVItemDelegateDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit AktywnyNieaktywnyDisplayTextStrategy(QObject *parent = nullptr) : TAVItemDelegateDisplayTextStrategy(parent) {}
    QString displayText(const QVariant &value, const QLocale &locale) const override;
};

class ZatrudnionyNiezatrudnionyDisplayTextStrategy : public TAVItemDelegateDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit ZatrudnionyNiezatrudnionyDisplayTextStrategy(QObject *parent = nullptr) : TAVItemDelegateDisplayTextStrategy(parent) {}
    QString displayText(const QVariant &value, const QLocale &locale) const override;
};

class StatusRealizacjiDisplayTextStrategy : public TAVItemDelegateDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit StatusRealizacjiDisplayTextStrategy(QObject *parent = nullptr) : TAVItemDelegateDisplayTextStrategy(parent) {}
    QString displayText(const QVariant &value, const QLocale &locale) const override;
};

class NaprawyPrzegladyTypDisplayTextStrategy : public TAVItemDelegateDisplayTextStrategy
{
    Q_OBJECT
public:
    explicit NaprawyPrzegladyTypDisplayTextStrategy(QObject *parent = nullptr) : TAVItemDelegateDisplayTextStrategy(parent) {}
    QString displayText(const QVariant &value, const QLocale &locale) const override;
};
