#include "TAVItemDelegate.h"

#include "OVApplication.h"

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

QString TAVItemDelegate::displayText(const QVariant &value, const QLocale &locale) const
{
    if (m_displayText)
        return m_displayText->displayText(value, locale);
    return QStyledItemDelegate::displayText(value, locale);
}

namespace {
const QSqlTableModel *sqlModelOf(const QModelIndex &index)
{
    return qobject_cast<const QSqlTableModel *>(index.model());
}

const QColor kLightGray(0xc0, 0xc0, 0xc0);
} // namespace

void NarzedziaPainterStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    const QSqlTableModel *model = sqlModelOf(index);
    if (!model)
        return;
    const QSqlRecord rec = model->record(index.row());
    const int warehouse = rec.value(QStringLiteral("nrz_fk_mgz")).toInt();
    OVApplication *app = OVApplication::instance();
    if (!app->isAdmin() && !app->uprMgz().contains(warehouse)) {
        painter->fillRect(option.rect, QColor(0x80, 0x80, 0x80));
        return;
    }
    const QString state = rec.value(QStringLiteral("stn_nazwa")).toString();
    if (state == QLatin1String("Uszkodzone")) {
        painter->fillRect(option.rect, QColor(255, 33, 33));
        return;
    }
    if (state == QLatin1String("Do kontroli")) {
        painter->fillRect(option.rect, QColor(0x00, 0xff, 0xff));
        return;
    }
    if (!rec.value(QStringLiteral("nrz_przyjete_na_stan")).toBool())
        painter->fillRect(option.rect, kLightGray);
}

void AktywnyZatrudnionyBialySzaryPolePaintStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                                          const QModelIndex &index) const
{
    const QSqlTableModel *model = sqlModelOf(index);
    if (!model)
        return;
    const QSqlRecord rec = model->record(index.row());
    for (const QString &field : m_fields) {
        if (rec.indexOf(field) >= 0 && !rec.value(field).toBool())
            painter->fillRect(option.rect, kLightGray);
    }
}

void ZrealizowanoPolePaintStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    const QSqlTableModel *model = sqlModelOf(index);
    if (!model)
        return;
    const QSqlRecord rec = model->record(index.row());
    for (const QString &field : m_fields) {
        if (rec.indexOf(field) < 0)
            continue;
        painter->fillRect(option.rect, rec.value(field).toBool() ? kLightGray : QColor(126, 244, 67));
    }
}

QString TakNieDisplayTextStrategy::displayText(const QVariant &value, const QLocale &) const
{
    return value.toBool() ? QStringLiteral("Tak") : QStringLiteral("Nie");
}

QString AktywnyNieaktywnyDisplayTextStrategy::displayText(const QVariant &value, const QLocale &) const
{
    return value.toBool() ? QStringLiteral("Aktywny") : QStringLiteral("Nieaktywny");
}

QString ZatrudnionyNiezatrudnionyDisplayTextStrategy::displayText(const QVariant &value, const QLocale &) const
{
    return value.toBool() ? QStringLiteral("Zatrudniony") : QStringLiteral("Niezatrudniony");
}

QString StatusRealizacjiDisplayTextStrategy::displayText(const QVariant &value, const QLocale &) const
{
    return value.toBool() ? QStringLiteral("Zakończono") : QStringLiteral("W trakcie");
}

QString NaprawyPrzegladyTypDisplayTextStrategy::displayText(const QVariant &value, const QLocale &) const
{
    bool ok = false;
    const int type = value.toInt(&ok);
    if (ok && type == 0)
        return QStringLiteral("Naprawa");
    if (ok && type == 1)
        return QStringLiteral("Przegląd");
    return QStringLiteral("NONE");
}
