#include "Movement.h"

#include "Factories.h"
#include "NarzedziaModel.h"
#include "TAVDb.h"
#include "TAVMessages.h"
#include "TAVSession.h"
#include "TAVTableModel.h"
#include "TAVTransaction.h"

namespace {
bool same(const QVariant &a, const QVariant &b)
{
    const bool aEmpty = !a.isValid() || a.isNull() || (a.metaType().id() == QMetaType::QString && a.toString().isEmpty());
    const bool bEmpty = !b.isValid() || b.isNull() || (b.metaType().id() == QMetaType::QString && b.toString().isEmpty());
    if (aEmpty || bEmpty)
        return aEmpty == bEmpty;
    return a == b || a.toString() == b.toString();
}
} // namespace

namespace Movement {

std::unique_ptr<TAVTableModel> fresh(const QString &modelName, const QString &filter)
{
    std::unique_ptr<TAVTableModel> m(SFModels::instance()->create(modelName, QString()));
    if (!m)
        return m;
    m->setShowErrors(false);
    m->setFilter(filter);
    m->select();
    return m;
}

bool writeTool(qint64 toolId, const QMap<QString, QVariant> &values, QString *cause)
{
    std::unique_ptr<TAVTableModel> tools = fresh(modelNameOf<NarzedziaModel>(),
                                                 QStringLiteral("nrz_id = %1").arg(toolId));
    if (!tools || tools->rowCount() < 1) {
        if (cause)
            *cause = QStringLiteral("Narzędzie nie istnieje już w bazie danych.");
        return false;
    }
    QSqlRecord rec = tools->emptyRecord();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        rec.setValue(it.key(), it.value());
    if (tools->update(rec, tools->index(0, 0)))
        return true;
    if (cause)
        *cause = tools->lastErrorCause();
    return false;
}

QVariant toolValue(qint64 toolId, const QString &column)
{
    std::unique_ptr<TAVTableModel> tools = fresh(modelNameOf<NarzedziaModel>(),
                                                 QStringLiteral("nrz_id = %1").arg(toolId));
    if (!tools || tools->rowCount() < 1)
        return QVariant();
    return tools->value(0, column);
}

QString lockedValue(const QString &table, const QString &keyColumn, qint64 key, const QString &column)
{
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT %1::text FROM %2 WHERE %3 = $1 FOR UPDATE")
                                             .arg(column, table, keyColumn),
                                     {QVariant(key)}, &error);
    if (!r || PQntuples(r.get()) < 1)
        return QString();
    return QString::fromUtf8(PQgetvalue(r.get(), 0, 0));
}

bool lockedOnStock(qint64 toolId, bool expected)
{
    return lockedValue(QStringLiteral("narzedzia"), QStringLiteral("nrz_id"), toolId,
                       QStringLiteral("nrz_przyjete_na_stan"))
            == (expected ? QLatin1String("true") : QLatin1String("false"));
}

QSqlRecord changedOnly(const QSqlRecord &record, const QSqlRecord &shown)
{
    QSqlRecord out = record;
    for (int i = 0; i < out.count(); ++i) {
        const int j = shown.indexOf(out.fieldName(i));
        if (out.value(i).isValid() && j >= 0 && same(out.value(i), shown.value(j)))
            out.setValue(i, QVariant());
    }
    return out;
}

qint32 currentUser()
{
    return TAVSession::currentUserId();
}

bool begun(TAVTransaction &transaction, const QString &title, const QString &failed)
{
    if (transaction.ok())
        return true;
    TAVMessages::warning(title, failed, TAVDb::causeSentence(transaction.error()));
    return false;
}

bool begunWithTool(TAVTransaction &transaction, qint64 toolId, bool onStock, const QString &title,
                   const QString &failed, const QString &refusal)
{
    if (!begun(transaction, title, failed))
        return false;
    // Locked: a second workstation moving the same tool waits and then reads the outcome.
    if (lockedOnStock(toolId, onStock))
        return true;
    transaction.rollback();
    TAVMessages::warning(title, refusal);
    return false;
}

bool finish(TAVTransaction &transaction, bool ok, QString cause, const QString &title, const QString &failed)
{
    if (ok && transaction.commit())
        return true;
    if (ok)
        cause = TAVDb::causeSentence(transaction.error());
    transaction.rollback();
    TAVMessages::warning(title, failed, cause);
    return false;
}

namespace {
template <typename Write>
bool quietly(TAVTableModel *model, QString *cause, Write write)
{
    const bool shows = model->showErrors();
    model->setShowErrors(false);
    const bool ok = write();
    model->setShowErrors(shows);
    if (!ok && cause)
        *cause = model->lastErrorCause();
    return ok;
}
} // namespace

bool updateQuietly(TAVTableModel *model, const QSqlRecord &record, const QModelIndex &row, QString *cause)
{
    return quietly(model, cause, [&] { return row.isValid() && model->update(record, row); });
}

bool removeQuietly(TAVTableModel *model, const QModelIndex &row, QString *cause)
{
    return quietly(model, cause, [&] { return row.isValid() && model->remove(model->record(row.row()), row); });
}

} // namespace Movement
