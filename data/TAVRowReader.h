#pragma once

#include "TAVDb.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QVector>

#include <algorithm>

// The statements a register reads its rows with, and their reading: the
// rows the filter gives in the order chosen, a page from either end or
// after a row (keyset, answered by the sort index at any table size), rows
// by key, a row's neighbours, and the count: exact, capped or the
// planner's estimate. It knows no positions and no view; the model keeps
// those.
//
// Rows come packed (see TAVPackedRow) with their keys; a row is ordered by
// its sort cell, NULLs last going up, then by its key.
class TAVRowReader
{
public:
    struct Shape
    {
        QString source;         // table or view
        QStringList columns;    // the cells fetched, in order
        int keyCell = 0;
        int sortCell = 0;       // -1: the sort column is not fetched
        QString filter;
        bool ascending = true;  // the order shown
    };
    struct Page
    {
        QVector<QByteArray> rows;
        QVector<qint64> keys;
        // Rows read going the other way, put in the order shown.
        void reverse()
        {
            std::reverse(rows.begin(), rows.end());
            std::reverse(keys.begin(), keys.end());
        }
    };

    // Types of the cells as the server sent them (for binding a row's
    // values and for formatting numbers); filled by the first read.
    struct CellTypes
    {
        QVector<Oid> types;
        QVector<int> mods;
    };

    TAVRowReader(const Shape &shape, CellTypes *types) : m_shape(shape), m_types(types) {}

    QString whereClause(const QString &extra = QString()) const;
    QString orderClause(bool ascending) const;
    // Conditions, in reading order, for the rows after (value, key) when
    // reading in the given direction; $1 is the value, $2 the key.
    QStringList afterConditions(bool valueNull, bool ascending) const;
    QString selectList() const;
    QString countStatement(qint64 cap = 0) const;

    // The first rows in the given direction; with `estimate` the planner's
    // guess of how many rows the filter gives comes in the same round trip.
    bool readFirst(bool ascending, int limit, Page *page, qint64 *estimate = nullptr);
    // Up to `limit` rows after `anchor` going in the given direction.
    bool readAfter(const QByteArray &anchor, bool ascending, int limit, Page *page);
    // Rows from an offset counted from the start of the given direction
    // (linear in the offset: jumps only).
    bool readAt(int offset, bool ascending, int limit, Page *page);
    bool readKeys(const QList<qint64> &keys, Page *page);
    QByteArray readOne(qint64 key, bool *found);

    // Rows the filter gives, counting at most `cap` (0: all); -1 on failure.
    qint64 count(qint64 cap = 0);
    qint64 estimate();
    // Rows before this one in the order shown: exact (reads them all) or
    // the planner's estimate.
    qint64 countBefore(const QByteArray &row);
    qint64 estimateBefore(const QByteArray &row);
    // The key of the row just before (or after) this one in the order
    // shown, 0 when there is none; -1 on failure.
    qint64 neighbour(const QByteArray &row, bool before);
    // Which of these keys stand before the row in the order shown.
    QSet<qint64> keysBefore(const QByteArray &row, const QList<qint64> &keys, bool *ok);

    const TAVDbError &lastError() const { return m_error; }

    static QByteArray cell(const QByteArray &row, int cell, bool *isNull);

private:
    bool readRows(const QString &sql, const QVector<QVariant> &params, const QVector<Oid> &types, Page *page,
                  int limit);
    void takeRows(const PGresult *r, Page *page) const;
    void noteTypes(const PGresult *r) const;
    QVector<QVariant> rowParams(const QByteArray &row, bool *valueNull) const;
    QVector<Oid> rowTypes() const;
    QString beforeCondition(bool valueNull) const;
    qint64 planRows(const QString &sql, const QVector<QVariant> &params, const QVector<Oid> &types);

    Shape m_shape;
    CellTypes *m_types;
    TAVDbError m_error;
};
