#include "NarzedziaPainterStrategy.h"

#include "TAVSession.h"

#include <QPainter>
#include <QStyle>
#include <QIcon>
#include <QApplication>

const QColor PrzegladPainterStrategy::kOverdue(0xff, 0x9f, 0x1a);
const QColor PrzegladPainterStrategy::kSoon(0xff, 0xe9, 0xa8);

namespace {
const QColor kDarkGray(0x80, 0x80, 0x80);

// A tool of a warehouse the signed-in manager does not run. Rights as the
// session cached them: painting never asks the database.
bool outsideRights(const QVariant &warehouse)
{
    TAVSession *session = TAVSession::current();
    return session && !session->isAdmin() && !session->managedWarehouses().contains(warehouse.toInt());
}
} // namespace

void NarzedziaPainterStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    bool found = false;
    const QVariant warehouse = rowValue(index, QStringLiteral("nrz_fk_mgz"), &found);
    if (!found)
        return;
    if (outsideRights(warehouse)) {
        painter->fillRect(option.rect, kDarkGray);
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

void NarzedziaPainterStrategy::styleText(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    if (!rowValue(index, QStringLiteral("nrz_zlikwidowano")).toBool())
        return;
    // Grey text, not a grey cell: "not on stock" already is one.
    const bool darkCell = outsideRights(rowValue(index, QStringLiteral("nrz_fk_mgz")));
    option->palette.setColor(QPalette::Text, darkCell ? QColor(0xe0, 0xe0, 0xe0) : QColor(0x6e, 0x6e, 0x6e));
    option->font.setItalic(true);
}

PrzegladPainterStrategy::Due PrzegladPainterStrategy::due(const QModelIndex &index, const QDate &today)
{
    const QDate date = rowValue(index, QStringLiteral("nrz_przeglad")).toDate();
    if (!date.isValid() || rowValue(index, QStringLiteral("nrz_zlikwidowano")).toBool())
        return Due::None;
    if (date < today)
        return Due::Overdue;
    return date <= today.addDays(30) ? Due::Soon : Due::None;
}

void PrzegladPainterStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    NarzedziaPainterStrategy::paint(painter, option, index);
    switch (due(index)) {
    case Due::Overdue:
        painter->fillRect(option.rect, kOverdue);
        break;
    case Due::Soon:
        painter->fillRect(option.rect, kSoon);
        break;
    case Due::None:
        break;
    }
}

void PrzegladPainterStrategy::styleText(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    NarzedziaPainterStrategy::styleText(option, index);
    if (due(index) == Due::Overdue) {
        option->font.setBold(true);
        // Dark text on orange, whatever the row's own colour.
        option->palette.setColor(QPalette::Text, Qt::black);
    }
}

const QColor PoTerminiePaintStrategy::kLate(0xd9, 0xb3, 0xff);

void PoTerminiePaintStrategy::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.data().toInt() <= 0) {
        if (m_otherwise)
            m_otherwise->paint(painter, option, index);
        return;
    }
    painter->fillRect(option.rect, kLate);
    const int side = qMin(option.rect.height() - 4, 14);
    const QIcon sign = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    sign.paint(painter, QRect(option.rect.right() - side - 2, option.rect.top() + (option.rect.height() - side) / 2,
                              side, side));
}

void PoTerminiePaintStrategy::styleText(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    if (index.data().toInt() > 0)
        option->font.setBold(true);
    else if (m_otherwise)
        m_otherwise->styleText(option, index);
}
