#include "TAVRowCache.h"

#include <cstring>
#include <limits>

namespace {
int headerSize(int n)
{
    return int(sizeof(qint32)) * (n + 2) + (n + 7) / 8;
}

qint32 readInt(const char *p)
{
    qint32 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
} // namespace

QByteArray TAVPackedRow::pack(const QVector<const char *> &cells, const QVector<int> &lengths)
{
    const int n = cells.size();
    int total = headerSize(n);
    for (int i = 0; i < n; ++i)
        total += cells.at(i) ? lengths.at(i) : 0;
    QByteArray row(total, '\0');
    char *p = row.data();
    const qint32 count = n;
    std::memcpy(p, &count, sizeof count);
    char *offsets = p + sizeof(qint32);
    char *bitmap = offsets + sizeof(qint32) * (n + 1);
    qint32 offset = 0;
    char *data = p + headerSize(n);
    for (int i = 0; i < n; ++i) {
        std::memcpy(offsets + sizeof(qint32) * i, &offset, sizeof offset);
        if (!cells.at(i)) {
            bitmap[i / 8] = char(bitmap[i / 8] | (1 << (i % 8)));
            continue;
        }
        std::memcpy(data + offset, cells.at(i), size_t(lengths.at(i)));
        offset += lengths.at(i);
    }
    std::memcpy(offsets + sizeof(qint32) * n, &offset, sizeof offset);
    return row;
}

int TAVPackedRow::cellCount(const QByteArray &row)
{
    return row.size() >= int(sizeof(qint32)) ? readInt(row.constData()) : 0;
}

bool TAVPackedRow::isNull(const QByteArray &row, int cell)
{
    const int n = cellCount(row);
    if (cell < 0 || cell >= n)
        return true;
    const char *bitmap = row.constData() + sizeof(qint32) * (n + 2);
    return (bitmap[cell / 8] >> (cell % 8)) & 1;
}

const char *TAVPackedRow::cell(const QByteArray &row, int cell, int *length)
{
    const int n = cellCount(row);
    if (cell < 0 || cell >= n || isNull(row, cell)) {
        *length = 0;
        return nullptr;
    }
    const char *offsets = row.constData() + sizeof(qint32);
    const qint32 start = readInt(offsets + sizeof(qint32) * cell);
    const qint32 end = readInt(offsets + sizeof(qint32) * (cell + 1));
    *length = end - start;
    return row.constData() + headerSize(n) + start;
}

const TAVRowCache::Segment *TAVRowCache::find(int pos, int *start) const
{
    auto it = m_segments.upperBound(pos);
    if (it == m_segments.constBegin())
        return nullptr;
    --it;
    if (pos >= it.value().end(it.key()))
        return nullptr;
    if (start)
        *start = it.key();
    return &it.value();
}

const QByteArray *TAVRowCache::row(int pos) const
{
    int start = 0;
    const Segment *s = find(pos, &start);
    return s ? &s->rows.at(pos - start) : nullptr;
}

qint64 TAVRowCache::key(int pos) const
{
    int start = 0;
    const Segment *s = find(pos, &start);
    return s ? s->keys.at(pos - start) : 0;
}

void TAVRowCache::put(int start, const QVector<QByteArray> &rows, const QVector<qint64> &keys)
{
    if (rows.isEmpty())
        return;
    const int end = start + rows.size();
    QMap<int, Segment> kept;
    for (auto it = m_segments.cbegin(); it != m_segments.cend(); ++it) {
        const int s = it.key();
        const int e = it.value().end(s);
        if (e <= start || s >= end) {
            kept.insert(s, it.value());
            continue;
        }
        if (s < start) {
            Segment left;
            left.rows = it.value().rows.mid(0, start - s);
            left.keys = it.value().keys.mid(0, start - s);
            kept.insert(s, left);
        }
        if (e > end) {
            Segment right;
            right.rows = it.value().rows.mid(end - s);
            right.keys = it.value().keys.mid(end - s);
            kept.insert(end, right);
        }
    }
    kept.insert(start, Segment{rows, keys});
    m_segments = kept;
    normalize();
}

void TAVRowCache::insertAt(int pos, const QByteArray &row, qint64 key)
{
    QMap<int, Segment> moved;
    bool stored = false;
    for (auto it = m_segments.cbegin(); it != m_segments.cend(); ++it) {
        const int s = it.key();
        Segment seg = it.value();
        const int e = seg.end(s);
        if (!stored && s <= pos && pos <= e) {
            // Inside, at the start of, or right after this segment.
            seg.rows.insert(pos - s, row);
            seg.keys.insert(pos - s, key);
            stored = true;
            moved.insert(s, seg);
        } else if (s >= pos) {
            moved.insert(s + 1, seg);
        } else {
            moved.insert(s, seg);
        }
    }
    m_segments = moved;
    normalize();
}

void TAVRowCache::removeAt(int pos)
{
    QMap<int, Segment> moved;
    for (auto it = m_segments.cbegin(); it != m_segments.cend(); ++it) {
        const int s = it.key();
        Segment seg = it.value();
        const int e = seg.end(s);
        if (s <= pos && pos < e) {
            seg.rows.remove(pos - s);
            seg.keys.remove(pos - s);
            if (!seg.rows.isEmpty())
                moved.insert(s, seg);
        } else if (s > pos) {
            moved.insert(s - 1, seg);
        } else {
            moved.insert(s, seg);
        }
    }
    m_segments = moved;
    normalize();
}

void TAVRowCache::replaceAt(int pos, const QByteArray &row, qint64 key)
{
    auto it = m_segments.upperBound(pos);
    if (it == m_segments.begin())
        return;
    --it;
    if (pos >= it.value().end(it.key()))
        return;
    it.value().rows[pos - it.key()] = row;
    it.value().keys[pos - it.key()] = key;
}

void TAVRowCache::shift(int pos, int delta)
{
    if (delta == 0)
        return;
    const int cut = delta < 0 ? pos - delta : pos;
    QMap<int, Segment> moved;
    for (auto it = m_segments.cbegin(); it != m_segments.cend(); ++it) {
        const int s = it.key();
        const Segment &seg = it.value();
        const int e = seg.end(s);
        // The part before pos stays, the part from the cut on moves.
        if (s < pos) {
            Segment left;
            left.rows = seg.rows.mid(0, qMin(e, pos) - s);
            left.keys = seg.keys.mid(0, qMin(e, pos) - s);
            moved.insert(s, left);
        }
        if (e > cut) {
            const int from = qMax(s, cut);
            Segment right;
            right.rows = seg.rows.mid(from - s);
            right.keys = seg.keys.mid(from - s);
            moved.insert(from + delta, right);
        }
    }
    m_segments = moved;
    normalize();
}

void TAVRowCache::dropSegmentAt(int pos)
{
    int start = 0;
    if (const Segment *s = find(pos, &start)) {
        m_rows -= s->rows.size();
        m_segments.remove(start);
    }
}

void TAVRowCache::dropSegmentsIn(int from, int to)
{
    for (auto it = m_segments.begin(); it != m_segments.end();) {
        if (it.key() < to && it.value().end(it.key()) > from) {
            m_rows -= it.value().rows.size();
            it = m_segments.erase(it);
        } else {
            ++it;
        }
    }
}

bool TAVRowCache::island(int *start, int *end) const
{
    if (m_segments.size() != 1)
        return false;
    *start = m_segments.firstKey();
    *end = m_segments.first().end(*start);
    return true;
}

int TAVRowCache::findKey(qint64 key) const
{
    for (auto it = m_segments.cbegin(); it != m_segments.cend(); ++it) {
        const int i = it.value().keys.indexOf(key);
        if (i >= 0)
            return it.key() + i;
    }
    return -1;
}

int TAVRowCache::segmentEndAtOrBefore(int pos) const
{
    auto it = m_segments.upperBound(pos);
    while (it != m_segments.constBegin()) {
        --it;
        const int e = it.value().end(it.key());
        if (e <= pos)
            return e;
    }
    return -1;
}

int TAVRowCache::segmentStartAfter(int pos) const
{
    auto it = m_segments.upperBound(pos);
    return it == m_segments.constEnd() ? -1 : it.key();
}

void TAVRowCache::trim(int focus)
{
    while (m_rows > m_maxRows && m_segments.size() > 1) {
        auto farthest = m_segments.end();
        qint64 distance = -1;
        for (auto it = m_segments.begin(); it != m_segments.end(); ++it) {
            const int s = it.key();
            const int e = it.value().end(s);
            const qint64 d = focus < s ? qint64(s) - focus : (focus >= e ? qint64(focus) - e + 1 : 0);
            if (d > distance) {
                distance = d;
                farthest = it;
            }
        }
        if (distance <= 0)
            break;
        m_rows -= farthest.value().rows.size();
        m_segments.erase(farthest);
    }
    if (m_rows <= m_maxRows || m_segments.size() != 1)
        return;
    // One long run (read while scrolling on): keep a window around the
    // focus, so that scrolling either way still has its neighbour at hand.
    const auto it = m_segments.begin();
    const int s = it.key();
    const int e = it.value().end(s);
    int keepStart = qBound(s, focus - m_maxRows / 2, e);
    const int keepEnd = qMin(e, keepStart + m_maxRows);
    keepStart = qMax(s, keepEnd - m_maxRows);
    Segment kept;
    kept.rows = it.value().rows.mid(keepStart - s, keepEnd - keepStart);
    kept.keys = it.value().keys.mid(keepStart - s, keepEnd - keepStart);
    m_segments.clear();
    m_segments.insert(keepStart, kept);
    m_rows = kept.rows.size();
}

QList<QPair<int, int>> TAVRowCache::segments() const
{
    QList<QPair<int, int>> out;
    for (auto it = m_segments.cbegin(); it != m_segments.cend(); ++it)
        out.append(qMakePair(it.key(), int(it.value().rows.size())));
    return out;
}

void TAVRowCache::normalize()
{
    QMap<int, Segment> merged;
    int rows = 0;
    for (auto it = m_segments.cbegin(); it != m_segments.cend(); ++it) {
        rows += it.value().rows.size();
        if (!merged.isEmpty()) {
            auto last = std::prev(merged.end());
            if (last.value().end(last.key()) == it.key()) {
                last.value().rows += it.value().rows;
                last.value().keys += it.value().keys;
                continue;
            }
        }
        merged.insert(it.key(), it.value());
    }
    m_segments = merged;
    m_rows = rows;
}
