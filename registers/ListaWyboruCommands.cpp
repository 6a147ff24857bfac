#include "ListaWyboruCommands.h"

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
    s.context = QStringLiteral("LISTA_WYBORU");
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
    s.context = QStringLiteral("LISTA_WYBORU");
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
    s.context = QStringLiteral("LISTA_WYBORU");
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
    s.context = QStringLiteral("LISTA_WYBORU");
    s.signature = "UzytkownicyListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, QPair<QString, int> * _refField )";
    s.captionFields = {QStringLiteral("uzt_imie"), QStringLiteral("uzt_nazwisko")};
    return run(s, _model, _modelIndex, _refField);
}

bool NarzedziaListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                              QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("NarzedziaModel");
    s.context = QStringLiteral("LISTA_WYBORU");
    s.signature = "NarzedziaListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, "
                  "QPair<QString, int> * _refField )";
    const QString caller = _model ? QString::fromLatin1(_model->metaObject()->className()) : QString();
    QStringList conditions;
    if (_refField && caller == QLatin1String("NarzedziaSkladaneModel"))
        conditions << QStringLiteral("nrz_fk_nrz is null and nrz_id <> %1").arg(_refField->second);
    else if (_refField && caller == QLatin1String("PrzesunieciaMMModel"))
        // A written-off tool goes nowhere.
        conditions << QStringLiteral("nrz_fk_mgz = %1 AND nrz_przyjete_na_stan = true AND nrz_zlikwidowano = false")
                              .arg(_refField->second);
    else if (caller == QLatin1String("PrzypisaneNarzedziaPracownikomModel"))
        // A damaged tool (state 2) must not reach a worker.
        conditions << QStringLiteral("nrz_przyjete_na_stan = true AND nrz_zlikwidowano = false AND nrz_fk_stn <> 2");
    else if (caller == QLatin1String("NaprawyPrzegladyModel"))
        conditions << QStringLiteral("nrz_przyjete_na_stan = true AND nrz_zlikwidowano = false");
    if (!conditions.isEmpty()) {
        qDebug() << s.signature;
        qDebug() << "   filter:" << conditions.first();
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
