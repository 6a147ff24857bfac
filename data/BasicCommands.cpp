#include "BasicCommands.h"

#include "Factories.h"

#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TAVListaWyboru.h"
#include "TAVMessages.h"

#include <QDebug>
#include <QHash>
#include <QSqlRecord>

#include <memory>

namespace OrvCommands {
bool refuseSystemRowEdit(TAVTableModel *model, const QModelIndex &index)
{
    const int mode = model->systemRowMode();
    if (mode != TAVTableModel::SystemRowsNoEdit && mode != TAVTableModel::SystemRowsLocked)
        return false;
    if (!model->value(index.row(), QStringLiteral("systemowy")).toBool())
        return false;
    TAVMessages::warning(QStringLiteral("Edycja wpisu"), QStringLiteral("Wpis systemowy - nie można go edytować."));
    return true;
}

bool confirmDelete(TAVTableModel *model, const QModelIndex &index)
{
    const QString title = QStringLiteral("Czy chcesz usunąć wpis?");
    QString text = title;
    const TAVRegisterDeclaration *reg =
            model && index.isValid() ? TAVRegisters::find(QString::fromLatin1(model->metaObject()->className())) : nullptr;
    if (reg && !reg->rowNoun.isEmpty()) {
        QStringList parts{reg->rowNoun};
        for (const QString &column : reg->nameColumns) {
            const QString value = model->value(index.row(), column).toString().trimmed();
            if (!value.isEmpty())
                parts << value.toHtmlEscaped();
        }
        text = QStringLiteral("Czy chcesz usunąć %1?").arg(parts.join(QLatin1Char(' ')));
    }
    return TAVMessages::question(title, text);
}
} // namespace OrvCommands

bool BasicDeleteCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *)
{
    if (!_model || !_modelIndex.isValid() || !OrvCommands::confirmDelete(_model, _modelIndex))
        return false;
    return _model->remove(_model->record(_modelIndex.row()), _modelIndex);
}

bool TAVListaWyboruCommand::pickInto(TAVTableModel *caller, TAVListaWyboru *field, QPair<QString, int> start,
                                     const std::function<bool(const QPair<QString, int> &)> &accept)
{
    for (;;) {
        QPair<QString, int> pair = start;
        if (!operacja(caller, QModelIndex(), &pair))
            return false;
        if (accept && !accept(pair))
            continue;
        if (pair.second == field->data().toInt())
            return false;
        field->setText(pair.first);
        field->setData(pair.second);
        return true;
    }
}

TAVListaWyboruCommand::TAVListaWyboruCommand(const TAVRegisterDeclaration &declaration, QObject *parent)
    : TAVCommand(parent), m_modelName(declaration.modelName()), m_list(declaration.pickList.value_or(TAVPickListDeclaration()))
{
    setName(m_list.name);
}

QString TAVListaWyboruCommand::captionQuery() const
{
    if (m_list.captionFields.isEmpty())
        return QString();
    // Every dialog asks it of each pick field it opens: built once per list.
    static QHash<QString, QString> built;
    const auto it = built.constFind(m_list.name);
    if (it != built.constEnd())
        return it.value();
    std::unique_ptr<TAVTableModel> model(SFModels::instance()->create(m_modelName, QString()));
    if (!model)
        return QString();
    const QString caption = m_list.captionFields.size() == 1
            ? m_list.captionFields.first()
            : QStringLiteral("concat_ws(' ', %1)").arg(m_list.captionFields.join(QStringLiteral(", ")));
    const QString sql =
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = :id").arg(caption, model->tableName(), model->primaryKeyName());
    built.insert(m_list.name, sql);
    return sql;
}

bool TAVListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                        QPair<QString, int> *_refField)
{
    const QString signature = m_list.name + QStringLiteral("::tmpOperacja( TAVTableModel* _model, const QModelIndex& "
                                                           "_modelIndex, QPair<QString, int> * _refField )");
    const TAVPickRows rows = m_list.rows ? m_list.rows({*this, _model, _refField, signature}) : TAVPickRows();
    auto *view = new TAVEwidencja(m_modelName, m_list.context, QString(), nullptr);
    if (!rows.filter.isEmpty()) {
        view->getModel()->setFilter(rows.filter);
        if (rows.fixed)
            view->setFixedFilter(rows.filter);
    }
    std::unique_ptr<TAVDialog> dialog(new TAVDialog(_model, _modelIndex, nullptr));
    dialog->setEwidencja(view);
    const QVariant title = parameter(QStringLiteral("windowTitle"));
    if (m_list.useWindowTitle && title.isValid())
        dialog->setWindowTitle(title.toString());
    view->selectFirstRow();

    m_ewidencja = view;
    m_dialog = dialog.get();
    bool result = false;
    if (dialog->exec() == QDialog::Accepted) {
        const QSqlRecord chosen = dialog->getRecord();
        if (chosen.count() > 0 && chosen.value(0).isValid() && !chosen.isNull(0)) {
            if (_refField) {
                _refField->second = chosen.value(0).toInt();
                if (!m_list.captionFields.isEmpty()) {
                    QStringList parts;
                    for (const QString &field : m_list.captionFields)
                        parts << chosen.value(field).toString();
                    _refField->first = parts.join(QLatin1Char(' '));
                }
            }
            result = true;
        }
    }
    m_ewidencja = nullptr;
    m_dialog = nullptr;
    qDebug().noquote() << signature;
    if (_refField)
        qDebug().nospace() << "   Returned val: QPair(" << _refField->first << "," << _refField->second << ")";
    return result;
}
