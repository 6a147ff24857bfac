#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QVector>

// One row as the server sent it: the cells' texts packed into one block
// (offsets, a null bitmap, then the bytes), converted only when shown.
class TAVPackedRow
{
public:
    static QByteArray pack(const QVector<const char *> &cells, const QVector<int> &lengths);
    static int cellCount(const QByteArray &row);
    static bool isNull(const QByteArray &row, int cell);
    static const char *cell(const QByteArray &row, int cell, int *length);
};

// Rows of a paged result kept by their position, in segments of
// consecutive rows, with the key of every row. Bounded: far segments are
// dropped when the total grows past the limit.
class TAVRowCache
{
public:
    explicit TAVRowCache(int maxRows = 60000) : m_maxRows(maxRows) {}

    void clear() { m_segments.clear(); m_rows = 0; }
    int maxRows() const { return m_maxRows; }
    void setMaxRows(int rows) { m_maxRows = rows; }
    int cachedRows() const { return m_rows; }
    bool contains(int pos) const { return find(pos) != nullptr; }
    const QByteArray *row(int pos) const;
    qint64 key(int pos) const;

    // Stores rows from position start on, replacing what overlaps and
    // joining touching segments.
    void put(int start, const QVector<QByteArray> &rows, const QVector<qint64> &keys);
    // A row appears at pos: everything from pos on moves down by one. The
    // row is kept when it touches a cached segment.
    void insertAt(int pos, const QByteArray &row, qint64 key);
    // The row at pos disappears: everything after it moves up by one.
    void removeAt(int pos);
    void replaceAt(int pos, const QByteArray &row, qint64 key);
    // Positions from pos on move by delta: a positive delta opens that many
    // rows not held at pos; a negative one drops the rows [pos, pos - delta).
    void shift(int pos, int delta);
    // Drops the segment holding pos, positions unchanged.
    void dropSegmentAt(int pos);
    // Drops the segments that hold any of [from, to), positions unchanged.
    void dropSegmentsIn(int from, int to);
    // The first row held and one past the last, when the held rows are one
    // run; false when none or several are held.
    bool island(int *start, int *end) const;

    // Position of a cached row with this key, -1 when none is cached.
    int findKey(qint64 key) const;
    // End (one past the last row) of the nearest segment at or before pos,
    // and start of the nearest segment after pos; -1 when there is none.
    int segmentEndAtOrBefore(int pos) const;
    int segmentStartAfter(int pos) const;
    // Drops segments far from pos until at most the limit is kept.
    void trim(int focus);

    QList<QPair<int, int>> segments() const;

private:
    struct Segment
    {
        QVector<QByteArray> rows;
        QVector<qint64> keys;
        int end(int start) const { return start + rows.size(); }
    };
    const Segment *find(int pos, int *start = nullptr) const;
    void normalize();

    QMap<int, Segment> m_segments;
    int m_rows = 0;
    int m_maxRows;
};
