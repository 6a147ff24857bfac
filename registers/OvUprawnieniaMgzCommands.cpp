#include "OvUprawnieniaMgzCommands.h"

#include "ListaWyboruCommands.h"
#include "TAVTableModel.h"

#include <QMessageBox>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
// 1 when the right exists, 0 when not, -1 when the database could not say.
int alreadyManager(int user, int warehouse)
{
    QSqlQuery q;
    q.prepare(QStringLiteral("SELECT count(*) FROM ov_uprawnienia_mgz WHERE ovuprmgz_fk_uzt = ? AND ovuprmgz_fk_mgz = ?"));
    q.addBindValue(user);
    q.addBindValue(warehouse);
    if (!q.exec() || !q.next())
        return -1;
    return q.value(0).toInt() > 0 ? 1 : 0;
}
} // namespace

bool OvUprawnieniaMgzDodajCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                               QPair<QString, int> *_refField)
{
    if (!_model || !_refField)
        return false;
    QSqlRecord rec = _model->emptyRecord();
    const int parent = _refField->second;
    int user = 0;
    int warehouse = 0;
    QPair<QString, int> chosen;
    if (_refField->first == QLatin1String("ovuprmgz_fk_uzt")) {
        MagazynyListaWyboruCommand pick;
        pick.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz magazyn"));
        if (!pick.operacja(_model, _modelIndex, &chosen) || chosen.second <= 0)
            return false;
        user = parent;
        warehouse = chosen.second;
    } else if (_refField->first == QLatin1String("ovuprmgz_fk_mgz")) {
        UzytkownicyListaWyboruCommand pick;
        pick.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz użytkownika"));
        if (!pick.operacja(_model, _modelIndex, &chosen) || chosen.second <= 0)
            return false;
        user = chosen.second;
        warehouse = parent;
    } else {
        return false;
    }
    if (user <= 0 || warehouse <= 0)
        return false;
    // The database would refuse a second identical right with a bare error.
    const int known = alreadyManager(user, warehouse);
    if (known < 0) {
        QMessageBox::warning(nullptr, QStringLiteral("Kierownik magazynu"),
                             QStringLiteral("Nie można sprawdzić uprawnień w bazie danych. Spróbuj ponownie, "
                                            "gdy połączenie z serwerem wróci."),
                             QMessageBox::Ok);
        return false;
    }
    if (known > 0) {
        QMessageBox::information(nullptr, QStringLiteral("Kierownik magazynu"),
                                 QStringLiteral("Ten użytkownik jest już kierownikiem wybranego magazynu."),
                                 QMessageBox::Ok);
        return false;
    }
    rec.setValue(QStringLiteral("ovuprmgz_fk_uzt"), user);
    rec.setValue(QStringLiteral("ovuprmgz_fk_mgz"), warehouse);
    return _model->insert(rec, QModelIndex());
}
