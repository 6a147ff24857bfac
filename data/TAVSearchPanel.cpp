#include "TAVSearchPanel.h"

#include "TAVDb.h"
#include "TAVTableModel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const char *const kSearchFieldName = "searchFieldName";
// Marks a search choice whose items carry their own SQL conditions.
const char *const kSearchCondition = "searchCondition";
} // namespace

TAVSearchPanel::TAVSearchPanel(TAVTableModel *model, QWidget *parent)
    : QGroupBox(QStringLiteral("Wyszukiwarka"), parent), m_model(model)
{
    setObjectName(QStringLiteral("searchPanel"));
    auto *box = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    auto *buttons = new QHBoxLayout;
    box->addLayout(grid);
    box->addLayout(buttons);
    box->addItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Expanding));

    int row = 0;
    for (const auto &field : m_model->searchFields()) {
        const bool condition = field.second == TAVTableModel::ConditionSearch;
        const QString header = condition
                ? m_model->searchChoiceLabel(field.first)
                : m_model->headerData(m_model->fieldIndex(field.first), Qt::Horizontal).toString();
        auto *label = new QLabel(header, this);
        // A condition choice names itself; the headers do not rename it.
        if (!condition)
            label->setProperty(kSearchFieldName, field.first);
        QWidget *input = nullptr;
        if (condition) {
            auto *combo = new QComboBox(this);
            for (const auto &item : m_model->searchChoiceItems(field.first))
                combo->addItem(item.first, item.second.isEmpty() ? QVariant() : QVariant(item.second));
            combo->setProperty(kSearchCondition, true);
            input = combo;
        } else if (field.second == TAVTableModel::TextSearch) {
            input = new QLineEdit(this);
        } else if (field.second == TAVTableModel::ChoiceSearch) {
            input = new QComboBox(this);
        } else {
            auto *combo = new QComboBox(this);
            combo->addItem(QString());
            combo->addItem(QStringLiteral("W trakcie"), false);
            combo->addItem(QStringLiteral("Zakończono"), true);
            input = combo;
        }
        input->setProperty(kSearchFieldName, field.first);
        label->setBuddy(input);
        grid->addWidget(label, row, 0);
        grid->addWidget(input, row, 1);
        ++row;
    }
    if (row > 0) {
        m_searchButton = new QPushButton(QStringLiteral("SZUKAJ"), this);
        m_searchButton->setObjectName(QStringLiteral("pbSzukaj"));
        m_clearButton = new QPushButton(QStringLiteral("WYCZYŚĆ"), this);
        m_clearButton->setObjectName(QStringLiteral("pbWyczysc"));
        // Return in a search field is ours, not the dialog's default button.
        m_searchButton->setAutoDefault(false);
        m_clearButton->setAutoDefault(false);
        buttons->addWidget(m_searchButton);
        buttons->addWidget(m_clearButton);
    }
    setMaximumWidth(360);
    setVisible(row > 0);
}

QList<QWidget *> TAVSearchPanel::inputs() const
{
    QList<QWidget *> out;
    for (QWidget *w : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->property(kSearchFieldName).isValid() && !qobject_cast<QLabel *>(w))
            out << w;
    }
    return out;
}

bool TAVSearchPanel::hasTerms() const
{
    for (QWidget *input : inputs()) {
        if (!input->property("text").toString().trimmed().isEmpty())
            return true;
        if (auto *combo = qobject_cast<QComboBox *>(input); combo && combo->currentData().isValid())
            return true;
    }
    return false;
}

QString TAVSearchPanel::conditions() const
{
    QString conditions;
    for (QWidget *input : inputs()) {
        const QString column = input->property(kSearchFieldName).toString();
        const QString text = input->property("text").toString();
        if (!text.trimmed().isEmpty()) {
            // The text is searched for as typed: quotes, %, _ and \ included.
            conditions += QStringLiteral(" %1 ILIKE %2 AND").arg(column, TAVDb::likeContains(text));
        } else if (auto *combo = qobject_cast<QComboBox *>(input)) {
            const QVariant data = combo->currentData(Qt::UserRole);
            if (data.isValid() && combo->property(kSearchCondition).toBool())
                conditions += QStringLiteral(" (%1) AND").arg(data.toString());
            else if (data.isValid())
                conditions += QStringLiteral(" %1 = %2 AND").arg(column, data.toString());
        }
    }
    conditions.chop(3);
    return conditions;
}

void TAVSearchPanel::clearInputs()
{
    for (QWidget *input : inputs()) {
        if (input->metaObject()->indexOfProperty("text") >= 0)
            input->setProperty("text", QString());
        // A condition choice goes back to its first item (no condition).
        if (auto *combo = qobject_cast<QComboBox *>(input); combo && combo->property(kSearchCondition).toBool())
            combo->setCurrentIndex(0);
    }
}

void TAVSearchPanel::updateCaptions()
{
    for (QLabel *label : findChildren<QLabel *>()) {
        const QVariant column = label->property(kSearchFieldName);
        if (column.isValid())
            label->setText(m_model->headerData(m_model->fieldIndex(column.toString()), Qt::Horizontal).toString());
    }
}
