#include "TAVRowReader.h"

#include "TAVRowCache.h"

#include <QRegularExpression>


namespace {
const Oid kInt8Oid = 20;

// The planner's row estimate from the top line of a plan in text form.
qint64 rowsOfPlan(const PGresult *r)
{
    if (!r || PQntuples(r) < 1)
        return -1;
    static const QRegularExpression rows(QStringLiteral("rows=(\\d+)"));
    const QRegularExpressionMatch m = rows.match(QString::fromUtf8(PQgetvalue(r, 0, 0)));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

QString keyArray(const QList<qint64> &keys)
{
    QStringList list;
    for (qint64 k : keys)
        list << QString::number(k);
    return QLatin1Char('{') + list.join(QLatin1Char(',')) + QLatin1Char('}');
}
} // namespace

QByteArray TAVRowReader::cell(const QByteArray &row, int cell, bool *isNull)
{
    int length = 0;
    const char *p = TAVPackedRow::cell(row, cell, &length);
    *isNull = p == nullptr;
    return p ? QByteArray(p, length) : QByteArray();
}

QString TAVRowReader::selectList() const
{
    return m_shape.columns.join(QStringLiteral(", "));
}

QString TAVRowReader::whereClause(const QString &extra) const
{
    QStringList parts;
    if (!m_shape.filter.trimmed().isEmpty())
        parts << QLatin1Char('(') + m_shape.filter + QLatin1Char(')');
    if (!extra.isEmpty())
        parts << QLatin1Char('(') + extra + QLatin1Char(')');
    return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

QString TAVRowReader::orderClause(bool ascending) const
{
    const QString key = m_shape.columns.value(m_shape.keyCell);
    const QString column = m_shape.columns.value(m_shape.sortCell);
    if (m_shape.sortCell < 0 || m_shape.sortCell == m_shape.keyCell)
        return key + (ascending ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    return ascending ? QStringLiteral("%1 ASC NULLS LAST, %2 ASC").arg(column, key)
                     : QStringLiteral("%1 DESC NULLS FIRST, %2 DESC").arg(column, key);
}

QStringList TAVRowReader::afterConditions(bool valueNull, bool ascending) const
{
    const QString key = m_shape.columns.value(m_shape.keyCell);
    const QString c = m_shape.columns.value(m_shape.sortCell);
    if (m_shape.sortCell == m_shape.keyCell)
        return {QStringLiteral("%1 %2 $2").arg(key, ascending ? QStringLiteral(">") : QStringLiteral("<"))};
    // Nulls come last going up and first going down, as the ORDER BY says.
    if (ascending) {
        if (valueNull)
            return {QStringLiteral("%1 IS NULL AND %2 > $2").arg(c, key)};
        return {QStringLiteral("(%1, %2) > ($1, $2)").arg(c, key), QStringLiteral("%1 IS NULL").arg(c)};
    }
    if (valueNull)
        return {QStringLiteral("%1 IS NULL AND %2 < $2").arg(c, key), QStringLiteral("%1 IS NOT NULL").arg(c)};
    return {QStringLiteral("(%1, %2) < ($1, $2)").arg(c, key)};
}

QString TAVRowReader::beforeCondition(bool valueNull) const
{
    QStringList conditions;
    for (const QString &c : afterConditions(valueNull, !m_shape.ascending))
        conditions << QLatin1Char('(') + c + QLatin1Char(')');
    return conditions.join(QStringLiteral(" OR "));
}

QString TAVRowReader::countStatement(qint64 cap) const
{
    if (cap > 0)
        return QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1%2 LIMIT %3) s")
                .arg(m_shape.source, whereClause(), QString::number(cap));
    return QStringLiteral("SELECT count(*) FROM ") + m_shape.source + whereClause();
}

QVector<QVariant> TAVRowReader::rowParams(const QByteArray &row, bool *valueNull) const
{
    *valueNull = false;
    const QByteArray value = m_shape.sortCell >= 0 ? cell(row, m_shape.sortCell, valueNull) : QByteArray();
    bool keyNull = false;
    const QByteArray key = cell(row, m_shape.keyCell, &keyNull);
    return {*valueNull ? QVariant() : QVariant(value), QVariant(key)};
}

QVector<Oid> TAVRowReader::rowTypes() const
{
    return {m_types->types.value(m_shape.sortCell), m_types->types.value(m_shape.keyCell)};
}

void TAVRowReader::noteTypes(const PGresult *r) const
{
    const int n = PQnfields(r);
    m_types->types.resize(n);
    m_types->mods.resize(n);
    for (int i = 0; i < n; ++i) {
        m_types->types[i] = PQftype(r, i);
        m_types->mods[i] = PQfmod(r, i);
    }
}

void TAVRowReader::takeRows(const PGresult *r, Page *page) const
{
    const int rows = PQntuples(r);
    const int n = PQnfields(r);
    QVector<const char *> cells(n);
    QVector<int> lengths(n);
    page->rows.reserve(page->rows.size() + rows);
    page->keys.reserve(page->keys.size() + rows);
    for (int row = 0; row < rows; ++row) {
        for (int i = 0; i < n; ++i) {
            cells[i] = PQgetisnull(r, row, i) ? nullptr : PQgetvalue(r, row, i);
            lengths[i] = PQgetlength(r, row, i);
        }
        page->rows.append(TAVPackedRow::pack(cells, lengths));
        page->keys.append(QByteArray::fromRawData(PQgetvalue(r, row, m_shape.keyCell),
                                                  PQgetlength(r, row, m_shape.keyCell))
                                  .toLongLong());
    }
}

bool TAVRowReader::readRows(const QString &sql, const QVector<QVariant> &params, const QVector<Oid> &types,
                            Page *page, int limit)
{
    const QString statement = sql + QStringLiteral(" LIMIT ") + QString::number(limit);
    TAVDb::ResultPtr r = TAVDb::exec(statement, params, &m_error, types);
    if (!r)
        return false;
    if (m_types->types.isEmpty())
        noteTypes(r.get());
    takeRows(r.get(), page);
    return true;
}

bool TAVRowReader::readFirst(bool ascending, int limit, Page *page, qint64 *estimate)
{
    const QString from = QStringLiteral(" FROM ") + m_shape.source + whereClause();
    QString sql = QStringLiteral("SELECT ") + selectList() + from + QStringLiteral(" ORDER BY ")
            + orderClause(ascending) + QStringLiteral(" LIMIT ") + QString::number(limit);
    if (estimate)
        sql += QStringLiteral("; EXPLAIN SELECT 1") + from;
    std::vector<TAVDb::ResultPtr> results;
    if (!TAVDb::execBatch(sql, &results, &m_error) || results.size() != (estimate ? 2u : 1u))
        return false;
    noteTypes(results[0].get());
    takeRows(results[0].get(), page);
    if (estimate)
        *estimate = rowsOfPlan(results[1].get());
    return true;
}

bool TAVRowReader::readAfter(const QByteArray &anchor, bool ascending, int limit, Page *page)
{
    bool valueNull = false;
    const QVector<QVariant> params = rowParams(anchor, &valueNull);
    const QString base = QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + m_shape.source;
    for (const QString &condition : afterConditions(valueNull, ascending)) {
        const int left = limit - page->rows.size();
        if (left <= 0)
            break;
        if (!readRows(base + whereClause(condition) + QStringLiteral(" ORDER BY ") + orderClause(ascending), params,
                      rowTypes(), page, left))
            return false;
    }
    return true;
}

bool TAVRowReader::readAt(int offset, bool ascending, int limit, Page *page)
{
    return readRows(QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + m_shape.source
                            + whereClause() + QStringLiteral(" ORDER BY ") + orderClause(ascending)
                            + QStringLiteral(" OFFSET ") + QString::number(offset),
                    {}, {}, page, limit);
}

bool TAVRowReader::readKeys(const QList<qint64> &keys, Page *page)
{
    return readRows(QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + m_shape.source
                            + whereClause(m_shape.columns.value(m_shape.keyCell)
                                          + QStringLiteral(" = ANY($1::bigint[])")),
                    {QVariant(keyArray(keys))}, {0}, page, keys.size() + 1);
}

QByteArray TAVRowReader::readOne(qint64 key, bool *found)
{
    *found = false;
    Page page;
    if (!readRows(QStringLiteral("SELECT ") + selectList() + QStringLiteral(" FROM ") + m_shape.source
                          + whereClause(m_shape.columns.value(m_shape.keyCell) + QStringLiteral(" = $1")),
                  {QVariant(key)}, {kInt8Oid}, &page, 1)
        || page.rows.isEmpty())
        return QByteArray();
    *found = true;
    return page.rows.first();
}

qint64 TAVRowReader::count(qint64 cap)
{
    TAVDb::ResultPtr r = TAVDb::exec(countStatement(cap), {}, &m_error);
    return r ? QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong() : -1;
}

qint64 TAVRowReader::planRows(const QString &sql, const QVector<QVariant> &params, const QVector<Oid> &types)
{
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("EXPLAIN ") + sql, params, &m_error, types);
    return r ? rowsOfPlan(r.get()) : -1;
}

qint64 TAVRowReader::estimate()
{
    return planRows(QStringLiteral("SELECT 1 FROM ") + m_shape.source + whereClause(), {}, {});
}

qint64 TAVRowReader::countBefore(const QByteArray &row)
{
    if (m_shape.sortCell < 0)
        return -1;
    bool valueNull = false;
    const QVector<QVariant> params = rowParams(row, &valueNull);
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT count(*) FROM ") + m_shape.source
                                             + whereClause(beforeCondition(valueNull)),
                                     params, &m_error, rowTypes());
    return r ? QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong() : -1;
}

qint64 TAVRowReader::estimateBefore(const QByteArray &row)
{
    if (m_shape.sortCell < 0)
        return -1;
    bool valueNull = false;
    const QVector<QVariant> params = rowParams(row, &valueNull);
    return planRows(QStringLiteral("SELECT 1 FROM ") + m_shape.source + whereClause(beforeCondition(valueNull)),
                    params, rowTypes());
}

qint64 TAVRowReader::neighbour(const QByteArray &row, bool before)
{
    const bool ascending = before ? !m_shape.ascending : m_shape.ascending;
    bool valueNull = false;
    const QVector<QVariant> params = rowParams(row, &valueNull);
    const QString base = QStringLiteral("SELECT ") + m_shape.columns.value(m_shape.keyCell) + QStringLiteral(" FROM ")
            + m_shape.source;
    for (const QString &condition : afterConditions(valueNull, ascending)) {
        TAVDb::ResultPtr r = TAVDb::exec(base + whereClause(condition) + QStringLiteral(" ORDER BY ")
                                                 + orderClause(ascending) + QStringLiteral(" LIMIT 1"),
                                         params, &m_error, rowTypes());
        if (!r)
            return -1;
        if (PQntuples(r.get()) > 0)
            return QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
    }
    return 0;
}

QSet<qint64> TAVRowReader::keysBefore(const QByteArray &row, const QList<qint64> &keys, bool *ok)
{
    *ok = true;
    QSet<qint64> out;
    if (keys.isEmpty())
        return out;
    bool valueNull = false;
    QVector<QVariant> params = rowParams(row, &valueNull);
    params << QVariant(keyArray(keys));
    QVector<Oid> types = rowTypes();
    types << 0;
    // Each key is found by the primary key; the order is tested on those rows alone.
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT ") + m_shape.columns.value(m_shape.keyCell)
                                             + QStringLiteral(" FROM ") + m_shape.source + QStringLiteral(" WHERE ")
                                             + m_shape.columns.value(m_shape.keyCell)
                                             + QStringLiteral(" = ANY($3::bigint[]) AND (")
                                             + beforeCondition(valueNull) + QLatin1Char(')'),
                                     params, &m_error, types);
    if (!r) {
        *ok = false;
        return out;
    }
    for (int i = 0; i < PQntuples(r.get()); ++i)
        out.insert(QByteArray(PQgetvalue(r.get(), i, 0)).toLongLong());
    return out;
}
