#include "TAVDataWidget.h"

#include "TAVTableModel.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDebug>
#include <QItemEditorFactory>
#include <QMetaProperty>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRelation>
#include <QSqlRelationalTableModel>
#include <QTimeEdit>

namespace {
// Long texts (a photo) are shortened for the log.
QVariant forLog(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QString && value.toString().size() > 120)
        return QVariant(value.toString().left(60) + QStringLiteral("…(%1 znaków)").arg(value.toString().size()));
    return value;
}
} // namespace

TAVDataWidget::TAVDataWidget(TAVTableModel *model, QWidget *parent) : QWidget(parent), m_model(model) {}

QVariant TAVDataWidget::valueOf(const QSqlRecord &row, int fieldIndex) const
{
    // The row comes from the register's view, the index from the table.
    if (!m_model || row.isEmpty())
        return QVariant();
    const int idx = row.indexOf(m_model->emptyRecord().fieldName(fieldIndex));
    return idx >= 0 ? row.value(idx) : QVariant();
}

TAVDataWidget::~TAVDataWidget() = default;

void TAVDataWidget::addMapping(QWidget *_widget, int _fieldIndex)
{
    qDebug() << "TAVDataWidget::addMapping( QWidget* _widget, int _fieldIndex )";
    qDebug() << "   widget:" << _widget;
    qDebug() << "   fieldIndex:" << _fieldIndex;
    if (!_widget || !m_model)
        return;
    removeMapping(_widget);

    QByteArray property;
    // A combo box is bound through its items, not its text: its current
    // text is a display value, while the field holds the key.
    const bool combo = qobject_cast<QComboBox *>(_widget) != nullptr;
    const QMetaProperty user = combo ? QMetaProperty() : _widget->metaObject()->userProperty();
    if (user.isValid()) {
        property = user.name();
        // Both derive from QDateTimeEdit, whose user property is the whole stamp.
        if (property == "dateTime") {
            if (qobject_cast<QTimeEdit *>(_widget))
                property = "time";
            else if (qobject_cast<QDateEdit *>(_widget))
                property = "date";
        }
    } else if (combo) {
        const QSqlRecord empty = m_model->emptyRecord();
        const int type = _fieldIndex >= 0 && _fieldIndex < empty.count() ? empty.field(_fieldIndex).metaType().id()
                                                                         : QMetaType::QString;
        property = QItemEditorFactory::defaultFactory()->valuePropertyName(type);
        qDebug() << "TAVDataWidget::addMapping( QWidget* _widget, int _fieldIndex )";
        qDebug() << "   property dla niby QComboBox wynosi:" << property;
        qDebug() << "   prawdziwy obiekt to:" << _widget->metaObject()->className() << _widget;
    }
    if (property.isEmpty())
        return;
    m_mappings.append({QPointer<QWidget>(_widget), _fieldIndex, property});
}

void TAVDataWidget::addMapping(QWidget *widget, const QString &fieldName)
{
    addMapping(widget, m_model ? m_model->emptyRecord().indexOf(fieldName) : -1);
}

void TAVDataWidget::removeMapping(QWidget *widget)
{
    for (int i = m_mappings.size() - 1; i >= 0; --i) {
        if (m_mappings.at(i).widget == widget)
            m_mappings.removeAt(i);
    }
}

bool TAVDataWidget::hasRelation(int fieldIndex) const
{
    const QSqlRelation rel = m_model->relation(fieldIndex);
    return !rel.tableName().isEmpty() && !rel.indexColumn().isEmpty() && !rel.displayColumn().isEmpty();
}

void TAVDataWidget::fillCombos()
{
    if (m_combosFilled || !m_model)
        return;
    m_combosFilled = true;
    for (const Mapping &m : std::as_const(m_mappings)) {
        auto *combo = qobject_cast<QComboBox *>(m.widget.data());
        if (combo && hasRelation(m.fieldIndex))
            comboBoxFillQueryData(*combo, m.fieldIndex);
    }
}

void TAVDataWidget::comboBoxFillQueryData(QComboBox &_comboBox, int fieldIndex)
{
    const QSqlRelation rel = m_model->relation(fieldIndex);
    const QString statement = QStringLiteral("SELECT ") + rel.indexColumn() + QStringLiteral(", ")
            + rel.displayColumn() + QStringLiteral(" FROM ") + rel.tableName();
    qDebug() << "TAVDataWidget::comboBoxFillQueryData( QComboBox& _comboBox, QSqlRelation& _sqlRelation )";
    qDebug() << "   selectQuery:" << statement;
    QSqlQuery query;
    if (!query.exec(statement))
        return;
    while (query.next()) {
        const QVariant key = query.value(0);
        const QVariant text = query.value(1);
        if (key.isValid() && text.isValid())
            _comboBox.addItem(text.toString(), key);
    }
}

void TAVDataWidget::loadInto(const QSqlRecord &rec, bool onlySet)
{
    for (const Mapping &m : std::as_const(m_mappings)) {
        if (!m.widget || m.fieldIndex < 0 || m.fieldIndex >= m_model->emptyRecord().count())
            continue;
        const int idx = rec.indexOf(m_model->emptyRecord().fieldName(m.fieldIndex));
        if (idx < 0)
            continue;
        const QVariant value = rec.value(idx);
        if (onlySet && !value.isValid())
            continue;
        if (auto *combo = qobject_cast<QComboBox *>(m.widget.data())) {
            int pos = combo->findText(value.toString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
            // A relation combo holds keys as item data, its texts are names.
            if (pos < 0 && hasRelation(m.fieldIndex) && !value.isNull())
                pos = combo->findData(value);
            // The first item stands for "nothing chosen".
            if (pos > 0 || (pos == 0 && hasRelation(m.fieldIndex) && combo->itemData(0).isValid()))
                combo->setCurrentIndex(pos);
        } else {
            m.widget->setProperty(m.property.constData(), value);
        }
    }
}

void TAVDataWidget::loadRecord(const QSqlRecord &record)
{
    fillCombos();
    if (m_model)
        loadInto(record, true);
}

QWidget *TAVDataWidget::mappedWidget(const QString &fieldName) const
{
    const Mapping *m = mappingOf(fieldName);
    return m ? m->widget.data() : nullptr;
}

QStringList TAVDataWidget::mappedFields() const
{
    QStringList names;
    if (!m_model)
        return names;
    for (const Mapping &m : m_mappings) {
        if (m.widget && m.fieldIndex >= 0)
            names << m_model->emptyRecord().fieldName(m.fieldIndex);
    }
    return names;
}

void TAVDataWidget::setCurrentIndex(int row)
{
    fillCombos();
    if (m_model && row >= 0 && row < m_model->rowCount()) {
        m_row = row;
        m_column = 0;
        m_current = m_model->record(row);
        loadInto(m_current, false);
    }
    Q_EMIT currentIndexChanged(row);
}

void TAVDataWidget::setCurrentModelIndex(QModelIndex index)
{
    fillCombos();
    if (!index.isValid() || !m_model)
        return;
    if (index.model() == m_model) {
        setCurrentIndex(index.row());
        return;
    }
    qDebug() << metaObject()->className() << "setCurrentModelIndex"
             << " something wrong!!!";
}

QSqlRecord TAVDataWidget::currentRecord() const
{
    // The row as it was loaded: what the user changed is measured against it.
    return m_row >= 0 ? m_current : QSqlRecord();
}

namespace {
// A number left blank over a NULL is no change. (A blank text stays a
// change: the required-field check needs to see it.)
bool differs(const QVariant &old, const QVariant &value, QMetaType column)
{
    if (column.id() != QMetaType::QString && value.typeId() == QMetaType::QString && value.toString().isEmpty()
        && (old.isNull() || !old.isValid()))
        return false;
    return old != value;
}
} // namespace

QSqlRecord TAVDataWidget::getRecord()
{
    if (!m_model)
        return QSqlRecord();
    QSqlRecord result = m_model->emptyRecord();
    const QSqlRecord current = currentRecord();
    for (const Mapping &m : std::as_const(m_mappings)) {
        if (!m.widget || m.fieldIndex < 0 || m.fieldIndex >= result.count())
            continue;
        const QVariant value = m.widget->property(m.property.constData());
        qDebug() << "TAVDataWidget::getRecord()";
        qDebug() << "   Value:" << forLog(value);
        qDebug() << "   Object:" << m.widget->metaObject()->className();
        if (!value.isValid()) {
            auto *combo = qobject_cast<QComboBox *>(m.widget.data());
            if (combo && hasRelation(m.fieldIndex))
                result.setValue(m.fieldIndex, combo->currentData());
            continue;
        }
        if (differs(valueOf(current, m.fieldIndex), value, result.field(m.fieldIndex).metaType()))
            result.setValue(m.fieldIndex, value);
    }
    qDebug() << "TAVDataWidget::getRecord()";
    QStringList given;
    for (int i = 0; i < result.count(); ++i) {
        if (result.value(i).isValid())
            given << result.fieldName(i) + QLatin1Char('=') + forLog(result.value(i)).toString();
    }
    qDebug() << "   recResult:" << given.join(QStringLiteral(", "));
    return result;
}

const TAVDataWidget::Mapping *TAVDataWidget::mappingOf(const QString &fieldName) const
{
    if (!m_model)
        return nullptr;
    const int idx = m_model->emptyRecord().indexOf(fieldName);
    if (idx < 0)
        return nullptr;
    for (const Mapping &m : m_mappings) {
        if (m.fieldIndex == idx && m.widget)
            return &m;
    }
    return nullptr;
}

bool TAVDataWidget::hasMapping(const QString &fieldName) const
{
    return mappingOf(fieldName) != nullptr;
}

bool TAVDataWidget::isChanged(const QString &fieldName) const
{
    const Mapping *m = mappingOf(fieldName);
    if (!m)
        return false;
    const QVariant value = m->widget->property(m->property.constData());
    // As in getRecord(): a relation combo always gives its key, a widget
    // without a value gives nothing.
    if (!value.isValid())
        return qobject_cast<QComboBox *>(m->widget.data()) && hasRelation(m->fieldIndex);
    return differs(valueOf(currentRecord(), m->fieldIndex), value, m_model->emptyRecord().field(m->fieldIndex).metaType());
}
