#include "ZestawyCommands.h"

#include "Factories.h"

#include "ListaWyboruCommands.h"
#include "TAVDb.h"
#include "TAVTransaction.h"
#include "TAVMessages.h"
#include "TAVTableModel.h"


namespace {
const QString kTitle = QStringLiteral("Zestawy narzędzi");

bool setKit(TAVTableModel *model, qint64 tool, const QVariant &kit, const QString &failed)
{
    TAVDbError error;
    if (!TAVDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_zst = $1 WHERE nrz_id = $2"), {kit, tool}, &error)) {
        TAVMessages::warning(kTitle, failed, TAVDb::causeSentence(error));
        return false;
    }
    TAVChangeBus::instance()->announce(QStringLiteral("narzedzia"), {tool}, model);
    model->select();
    return true;
}
} // namespace

ZestawyCmdDodajNarzedzie::ZestawyCmdDodajNarzedzie(TAVPermissionPolicy *policy) : TAVCommand(policy)
{
    setName(QStringLiteral("ZestawyCmdDodajNarzedzie"));
}

bool ZestawyCmdDodajNarzedzie::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                           QPair<QString, int> *_refField)
{
    const int kit = _refField ? _refField->second : 0;
    if (!_model || kit <= 0)
        return false;
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT zst_fk_mgz FROM zestawy WHERE zst_id = $1"), {kit}, &error);
    if (!r || PQntuples(r.get()) < 1)
        return false;
    const QString warehouse = QString::fromLatin1(PQgetvalue(r.get(), 0, 0));
    NarzedziaListaWyboruCommand pick;
    pick.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz narzędzie do zestawu"));
    pick.setParameter(QStringLiteral("filter"),
                      QStringLiteral("nrz_fk_zst IS NULL AND NOT nrz_zlikwidowano AND nrz_fk_mgz = %1").arg(warehouse));
    QPair<QString, int> chosen(QStringLiteral("nrz_id"), 0);
    if (!pick.operacja(_model, _modelIndex, &chosen) || chosen.second <= 0)
        return false;
    return setKit(_model, chosen.second, kit, QStringLiteral("Nie udało się dodać narzędzia do zestawu."));
}

ZestawyCmdUsunNarzedzie::ZestawyCmdUsunNarzedzie(TAVPermissionPolicy *policy) : TAVCommand(policy)
{
    setName(QStringLiteral("ZestawyCmdUsunNarzedzie"));
}

bool ZestawyCmdUsunNarzedzie::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *)
{
    if (!_model || !_modelIndex.isValid())
        return false;
    const qint64 tool = _model->value(_modelIndex.row(), QStringLiteral("nrz_id")).toLongLong();
    return setKit(_model, tool, QVariant(QMetaType::fromType<int>()), QStringLiteral("Nie udało się wyjąć narzędzia z zestawu."));
}
