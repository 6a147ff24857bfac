#include "MovementPickLists.h"

#include "MagazynyModel.h"
#include "NarzedziaModel.h"
#include "TAVTableModel.h"

#include <QDebug>

bool PrzesunieciaMMListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                                   QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("PrzesunieciaMMModel");
    s.signature = "PrzesunieciaMMListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& "
                  "_modelIndex, QPair<QString, int> * _refField )";
    if (TAVTableModel::is<MagazynyModel>(_model) && _refField)
        s.filter = QStringLiteral("psnmm_status = false and %1 = %2").arg(_refField->first).arg(_refField->second);
    // A search in the list keeps to the warehouse's open transfers.
    s.fixFilter = true;
    return run(s, _model, _modelIndex, _refField);
}

bool NaprawyPrzegladyListaWyboruCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                                     QPair<QString, int> *_refField)
{
    Setup s;
    s.modelName = QStringLiteral("NaprawyPrzegladyModel");
    s.signature = "NaprawyPrzegladyListaWyboruCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& "
                  "_modelIndex, QPair<QString, int> * _refField )";
    s.useWindowTitle = false;
    if (TAVTableModel::is<NarzedziaModel>(_model) && _refField
        && _refField->second > 0) {
        qDebug() << s.signature;
        qDebug() << "   refField:" << *_refField;
        s.filter = QStringLiteral("np_status = false and np_fk_nrz = %1").arg(_refField->second);
        s.fixFilter = true;
    }
    return run(s, _model, _modelIndex, _refField);
}
