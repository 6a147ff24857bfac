#include "TAVCatalogue.h"

#include "TAVDb.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace {
// The tabs after the first "select" and after "from" are part of the text.
const char *kCatalogueQuery =
        "select\tc.table_name, c.column_name, c.is_nullable,c.data_type, c.character_maximum_length, "
        "c.domain_name,kcu.constraint_name,tc.constraint_type,cc.check_clause,dc.constraint_name as "
        "check_constraint_name,cc_.check_clause from\tinformation_schema.columns as c left join "
        "information_schema.key_column_usage  kcu ON c.column_name = kcu.column_name and c.table_name = "
        "kcu.table_name left join information_schema.table_constraints tc on kcu.constraint_name = "
        "tc.constraint_name left join information_schema.check_constraints cc on kcu.constraint_name = "
        "cc.constraint_name left join information_schema.domain_constraints dc on c.domain_name = "
        "dc.domain_name left join information_schema.check_constraints cc_ on dc.constraint_name = "
        "cc_.constraint_name where c.table_name = :table_name";

const char *kUniqueSetsQuery =
        "SELECT string_agg(a.attname::text, ',' ORDER BY k.n) FROM pg_index x "
        "JOIN pg_class t ON t.oid = x.indrelid "
        "CROSS JOIN LATERAL unnest(x.indkey::int2[]) WITH ORDINALITY AS k(attnum, n) "
        "JOIN pg_attribute a ON a.attrelid = t.oid AND a.attnum = k.attnum "
        "WHERE t.relname = :table_name AND x.indisunique AND x.indnkeyatts > 1 AND x.indpred IS NULL "
        "AND NOT x.indisprimary GROUP BY x.indexrelid";

const char *kConstraintsQuery =
        "SELECT i.relname::text, string_agg(a.attname::text, ',' ORDER BY k.n), NULL::text "
        "  FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid "
        "  JOIN pg_namespace s ON s.oid = i.relnamespace AND s.nspname = 'public' "
        "  CROSS JOIN LATERAL unnest(x.indkey::int2[]) WITH ORDINALITY AS k(attnum, n) "
        "  JOIN pg_attribute a ON a.attrelid = x.indrelid AND a.attnum = k.attnum "
        " GROUP BY i.relname "
        "UNION ALL "
        "SELECT c.conname::text, string_agg(a.attname::text, ',' ORDER BY a.attnum), "
        "       obj_description(c.oid, 'pg_constraint') "
        "  FROM pg_constraint c JOIN pg_namespace s ON s.oid = c.connamespace AND s.nspname = 'public' "
        "  LEFT JOIN pg_attribute a ON a.attrelid = c.conrelid AND a.attnum = ANY(c.conkey) "
        " GROUP BY c.oid, c.conname";

struct Kept
{
    QHash<QString, QSqlRecord> records;
    QHash<QString, QSqlIndex> primaryIndexes;
    QHash<QString, QHash<QString, QStringList>> foreignColumns;
    QHash<QString, TAVCatalogue::Table> tables;
    bool constraintsLoaded = false;
    QHash<QString, QStringList> constraintColumns;
    QHash<QString, QString> constraintMessages;
};

Kept &kept()
{
    static Kept k;
    return k;
}

// A fact read once per name; an empty answer (the catalogue unreadable) is
// asked again next time.
template <typename T, typename Read>
T remembered(QHash<QString, T> &kept, const QString &name, Read read)
{
    auto it = kept.constFind(name);
    if (it != kept.constEnd())
        return it.value();
    const T value = read();
    if (!value.isEmpty())
        kept.insert(name, value);
    return value;
}
} // namespace

namespace TAVCatalogue {

QSqlRecord record(const QString &name)
{
    return remembered(kept().records, name, [&] { return TAVDb::database().record(name); });
}

QSqlIndex primaryIndex(const QString &table)
{
    return remembered(kept().primaryIndexes, table, [&] { return TAVDb::database().primaryIndex(table); });
}

QString primaryKey(const QString &table)
{
    return primaryIndex(table).fieldName(0);
}

QHash<QString, QStringList> foreignColumns(const QString &table)
{
    auto it = kept().foreignColumns.constFind(table);
    if (it != kept().foreignColumns.constEnd())
        return it.value();
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(
            QStringLiteral("SELECT a.attname::text, f.relname::text FROM pg_constraint c "
                           "JOIN pg_class t ON t.oid = c.conrelid JOIN pg_class f ON f.oid = c.confrelid "
                           "JOIN pg_attribute a ON a.attrelid = c.conrelid AND a.attnum = c.conkey[1] "
                           "WHERE c.contype = 'f' AND t.relname = $1 AND array_length(c.conkey, 1) = 1"),
            {table}, &error);
    QHash<QString, QStringList> map;
    if (!r)
        return map;
    for (int i = 0; i < PQntuples(r.get()); ++i)
        map[QString::fromUtf8(PQgetvalue(r.get(), i, 1))] << QString::fromUtf8(PQgetvalue(r.get(), i, 0));
    kept().foreignColumns.insert(table, map);
    return map;
}

void loadConstraints()
{
    // Inside a transaction a failed read would spoil it; asked again later.
    if (kept().constraintsLoaded || TAVDb::inTransaction())
        return;
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QString::fromLatin1(kConstraintsQuery), {}, &error);
    if (!r)
        return;
    for (int row = 0; row < PQntuples(r.get()); ++row) {
        const QString name = QString::fromUtf8(PQgetvalue(r.get(), row, 0));
        const QString cols = QString::fromUtf8(PQgetvalue(r.get(), row, 1));
        if (!cols.isEmpty())
            kept().constraintColumns.insert(name, cols.split(QLatin1Char(',')));
        if (!PQgetisnull(r.get(), row, 2))
            kept().constraintMessages.insert(name, QString::fromUtf8(PQgetvalue(r.get(), row, 2)));
    }
    kept().constraintsLoaded = true;
}

QStringList constraintColumns(const QString &name)
{
    loadConstraints();
    return kept().constraintColumns.value(name);
}

QString constraintMessage(const QString &name)
{
    loadConstraints();
    return kept().constraintMessages.value(name);
}

bool table(const QString &name, Table *out)
{
    auto it = kept().tables.constFind(name);
    if (it != kept().tables.constEnd()) {
        *out = it.value();
        return true;
    }
    Table t;
    QSqlQuery query(QSqlDatabase::database());
    if (!query.prepare(QString::fromLatin1(kCatalogueQuery)))
        return false;
    query.bindValue(QStringLiteral(":table_name"), name);
    if (!query.exec())
        return false;
    while (query.next()) {
        // A column is listed once per key it takes part in: merge them, so a
        // UNIQUE column is checked whatever order the server returns.
        Column &c = t.columns[query.value(1).toString()];
        c.nullable = query.value(2).toString().toUpper() == QLatin1String("YES");
        c.maxLength = query.value(4).toInt();
        c.unique = c.unique || query.value(7).toString() == QLatin1String("UNIQUE");
        if (c.domainConstraint.isEmpty())
            c.domainConstraint = query.value(9).toString();
    }
    QSqlQuery sets(QSqlDatabase::database());
    sets.prepare(QString::fromLatin1(kUniqueSetsQuery));
    sets.bindValue(QStringLiteral(":table_name"), name);
    if (!sets.exec())
        return false;
    while (sets.next())
        t.uniqueSets.append(sets.value(0).toString().split(QLatin1Char(',')));
    if (t.columns.empty())
        return false;
    kept().tables.insert(name, t);
    *out = t;
    return true;
}

} // namespace TAVCatalogue
