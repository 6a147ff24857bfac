#include "BasicCommands.h"

#include "TAVDialog.h"
#include "TAVEwidencja.h"
#include "TAVListaWyboru.h"
#include "TAVMessages.h"

#include <QDebug>
#include <QHash>
#include <QSqlRecord>

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
    // What a row is called and the columns that name it, by table.
    static const QHash<QString, QStringList> names{
            {QStringLiteral("narzedzia"), {QStringLiteral("narzędzie"), QStringLiteral("nrz_kod"), QStringLiteral("nrz_nazwa")}},
            {QStringLiteral("magazyny"), {QStringLiteral("magazyn"), QStringLiteral("mgz_symbol"), QStringLiteral("mgz_nazwa")}},
            {QStringLiteral("lokalizacje"), {QStringLiteral("lokalizację"), QStringLiteral("lkl_nazwa")}},
            {QStringLiteral("miejsca_uzytkowania"),
             {QStringLiteral("miejsce użytkowania"), QStringLiteral("muz_kod"), QStringLiteral("muz_nazwa")}},
            {QStringLiteral("pracownicy"), {QStringLiteral("pracownika"), QStringLiteral("prc_imie"), QStringLiteral("prc_nazwisko")}},
            {QStringLiteral("kategorie_narzedzi"), {QStringLiteral("kategorię"), QStringLiteral("ktr_nrz_nazwa")}},
            {QStringLiteral("uzytkownicy"), {QStringLiteral("użytkownika"), QStringLiteral("uzt_login")}}};
    const QString title = QStringLiteral("Czy chcesz usunąć wpis?");
    QString text = title;
    const QStringList name = model && index.isValid() ? names.value(model->tableName()) : QStringList();
    if (!name.isEmpty()) {
        QStringList parts{name.first()};
        for (int i = 1; i < name.size(); ++i) {
            const QString value = model->value(index.row(), name.at(i)).toString().trimmed();
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

bool TAVListaWyboruCommand::pickInto(TAVTableModel *caller, TAVListaWyboru *field, QPair<QString, int> pair)
{
    if (!operacja(caller, QModelIndex(), &pair) || pair.second == field->data().toInt())
        return false;
    field->setText(pair.first);
    field->setData(pair.second);
    return true;
}

bool TAVListaWyboruCommand::run(const Setup &setup, TAVTableModel *model, const QModelIndex &index,
                                QPair<QString, int> *refField)
{
    auto *view = new TAVEwidencja(setup.modelName, setup.context, QString(), nullptr);
    if (!setup.filter.isEmpty()) {
        view->getModel()->setFilter(setup.filter);
        if (setup.fixFilter)
            view->setFixedFilter(setup.filter);
    }
    std::unique_ptr<TAVDialog> dialog(new TAVDialog(model, index, nullptr));
    dialog->setEwidencja(view);
    const QVariant title = parameter(QStringLiteral("windowTitle"));
    if (setup.useWindowTitle && title.isValid())
        dialog->setWindowTitle(title.toString());
    view->selectFirstRow();

    m_ewidencja = view;
    m_dialog = dialog.get();
    bool result = false;
    if (dialog->exec() == QDialog::Accepted) {
        const QSqlRecord chosen = dialog->getRecord();
        if (chosen.count() > 0 && chosen.value(0).isValid() && !chosen.isNull(0)) {
            if (refField) {
                refField->second = chosen.value(0).toInt();
                if (!setup.captionFields.isEmpty()) {
                    QStringList parts;
                    for (const QString &field : setup.captionFields)
                        parts << chosen.value(field).toString();
                    refField->first = parts.join(QLatin1Char(' '));
                }
            }
            result = true;
        }
    }
    m_ewidencja = nullptr;
    m_dialog = nullptr;
    qDebug() << setup.signature;
    if (refField)
        qDebug().nospace() << "   Returned val: QPair(" << refField->first << "," << refField->second << ")";
    return result;
}
