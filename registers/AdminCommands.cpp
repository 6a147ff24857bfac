#include "AdminCommands.h"

#include <QDebug>
#include <QMessageBox>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
const QString kAdminKey = QStringLiteral("ovupradm_id");

// The view gives every user a row; only an administrator's has a real key.
bool isAdminRow(TAVTableModel *model, const QModelIndex &index)
{
    return model->record(index.row()).value(kAdminKey).toInt() > 0;
}
} // namespace

bool AddAdminCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *)
{
    if (!_model || !_modelIndex.isValid())
        return false;
    if (isAdminRow(_model, _modelIndex))
        return false;
    const QVariant uzt = _model->record(_modelIndex.row()).value(QStringLiteral("uzt_id"));
    if (!uzt.isValid() || uzt.isNull())
        return false;
    QSqlRecord rec = _model->emptyRecord();
    rec.setValue(QStringLiteral("ovupradm_fk_uzt"), uzt.toInt());
    return _model->insert(rec, _modelIndex);
}

bool RemAdminCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField)
{
    if (!_model || !_modelIndex.isValid())
        return false;
    if (!isAdminRow(_model, _modelIndex))
        return false;
    // Counted in the database, not in the list: another workstation may
    // have withdrawn someone since it was read.
    QSqlQuery query(QSqlDatabase::database());
    if (!query.exec(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_admin")) || !query.next()) {
        qDebug() << "RemAdminCommand::tmpOperacja()";
        qDebug() << "   cannot count administrators:" << query.lastError().text();
        return false;
    }
    if (query.value(0).toInt() <= 1) {
        QMessageBox::warning(nullptr, QStringLiteral("Uprawnienia administratora"),
                             QStringLiteral("Nie można odebrać praw ostatniemu administratorowi. "
                                            "Najpierw nadaj prawa administratora innemu użytkownikowi."));
        return false;
    }
    return BasicDeleteCommand::tmpOperacja(_model, _modelIndex, _refField);
}
