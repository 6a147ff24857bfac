#include "ListaWyboruCommands.h"

#include "TAVContext.h"
#include "TAVSession.h"
#include "TAVTableModel.h"

#include <QDebug>

namespace {
// The rows of the warehouses the signed-in manager runs: none for a
// manager of no warehouse, rather than an invalid "IN ( )".
QString managedOnly(TAVSession *session, const QString &column)
{
    const QString ids = session->uprMgzAsString(session->uztId());
    return QStringLiteral("%1 IN ( %2 )").arg(column, ids.isEmpty() ? QStringLiteral("NULL") : ids);
}
} // namespace

bool MagazynyListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                             QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("MagazynyModel");
    s.context = TAVContext::PickList;
    s.signature = "MagazynyListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, "
                  "QPair<QString, int> * _refField )";
    TAVSession *app = TAVSession::current();
    if (parameter(QStringLiteral("checkPermissionMgz")).toBool() && !app->isAdmin()) {
        s.filter = managedOnly(app, QStringLiteral("mgz_id"));
        s.fixFilter = true;
    }
    // Where tools are to go, a closed warehouse is no choice.
    if (parameter(QStringLiteral("onlyActive")).toBool()) {
        s.filter = s.filter.isEmpty() ? QStringLiteral("mgz_aktywny = true")
                                      : QStringLiteral("(%1) AND mgz_aktywny = true").arg(s.filter);
        s.fixFilter = true;
    }
    s.captionFields = {QStringLiteral("mgz_symbol")};
    return run(s, _model, _modelIndex, _refField);
}

bool LokalizacjeListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                                QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("LokalizacjeModel");
    s.context = TAVContext::PickList;
    s.signature = "LokalizacjeListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, "
                  "QPair<QString, int> * _refField )";
    if (_refField && !_refField->first.isEmpty())
        s.filter = QStringLiteral("%1 = %2").arg(_refField->first).arg(_refField->second);
    s.captionFields = {QStringLiteral("lkl_nazwa")};
    return run(s, _model, _modelIndex, _refField);
}

bool MiejscaUzytkowaniaListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("MiejscaUzytkowaniaModel");
    s.context = TAVContext::PickList;
    s.signature = "MiejscaUzytkowaniaListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, QPair<QString, int> * _refField )";
    s.captionFields = {QStringLiteral("muz_nazwa")};
    return run(s, _model, _modelIndex, _refField);
}

bool PracownicyListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("PracownicyModel");
    s.signature = "PracownicyListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, QPair<QString, int> * _refField )";
    s.useWindowTitle = false;
    s.captionFields = {QStringLiteral("prc_imie"), QStringLiteral("prc_nazwisko")};
    return run(s, _model, _modelIndex, _refField);
}

bool KategorieNarzedziListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("KategorieNarzedziModel");
    s.signature = "KategorieNarzedziListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, QPair<QString, int> * _refField )";
    s.captionFields = {QStringLiteral("ktr_nrz_nazwa")};
    return run(s, _model, _modelIndex, _refField);
}

bool UzytkownicyListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("UzytkownicyModel");
    s.context = TAVContext::PickList;
    s.signature = "UzytkownicyListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, QPair<QString, int> * _refField )";
    s.captionFields = {QStringLiteral("uzt_imie"), QStringLiteral("uzt_nazwisko")};
    return run(s, _model, _modelIndex, _refField);
}

bool NarzedziaListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                              QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("NarzedziaModel");
    s.context = TAVContext::PickList;
    s.signature = "NarzedziaListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, "
                  "QPair<QString, int> * _refField )";
    QStringList conditions;
    const QString wanted = parameter(QStringLiteral("filter")).toString();
    if (!wanted.isEmpty()) {
        qDebug() << s.signature;
        qDebug() << "   filter:" << wanted;
        conditions << wanted;
    }
    // The manager's warehouses narrow the caller's choice, they do not replace it.
    TAVSession *session = TAVSession::current();
    if (session && !session->isAdmin())
        conditions << managedOnly(session, QStringLiteral("nrz_fk_mgz"));
    if (conditions.size() > 1) {
        for (QString &c : conditions)
            c = QLatin1Char('(') + c + QLatin1Char(')');
    }
    s.filter = conditions.join(QStringLiteral(" AND "));
    s.fixFilter = !s.filter.isEmpty();
    s.captionFields = {QStringLiteral("nrz_kod")};
    return run(s, _model, _modelIndex, _refField);
}
