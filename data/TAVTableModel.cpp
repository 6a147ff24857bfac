#include "TAVTableModel.h"

#include "TAVCatalogue.h"
#include "TAVContext.h"
#include "TAVFormat.h"
#include "TAVItemDelegate.h"
#include "TAVLiveUpdates.h"
#include "TAVMessages.h"
#include "TAVRowCounter.h"
#include "TAVRowWriter.h"
#include "TAVSession.h"
#include "TAVTransaction.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QDebug>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlField>
#include <QSqlRelationalTableModel>
#include <QTimer>

#include <algorithm>

namespace {
const char *kInsertSig = "TAVTableModel::insert( const QSqlRecord& _rec, const QModelIndex _modelIndex )";
const char *kUpdateSig = "TAVTableModel::update( const QSqlRecord& _rec, const QModelIndex _modelIndex )";
const char *kRemoveSig = "TAVTableModel::remove( const QSqlRecord& _rec, const QModelIndex _modelIndex )";
const char *kSelectSig = "TAVTableModel::select()";
const char *kPrepareSig = "TAVTableModel::prepareEmptyNullValues( QSqlRecord& _rec )";

const Oid kNumericOid = 1700;
const Oid kInt8Oid = 20;

const char *const kAuditNames[] = {"systemowy", "fk_uzt_stworzono", "fk_uzt_zmodyfikowano", "stworzono",
                                   "zmodyfikowano"};

QByteArray cellBytes(const QByteArray &row, int cell, bool *isNull)
{
    return TAVRowReader::cell(row, cell, isNull);
}
} // namespace

TAVTableModel::TAVTableModel(QObject *parent) : QAbstractTableModel(parent)
{
    connect(TAVChangeBus::instance(), &TAVChangeBus::rowsChanged, this, &TAVTableModel::onRowsChanged);
    connect(TAVChangeBus::instance(), &TAVChangeBus::tableChanged, this, &TAVTableModel::onTableChanged);
    // Every change of the rows told to the view is what reading counts from.
    auto known = [this] {
        if (m_resizes.isEmpty())
            m_knownCount = m_count;
    };
    connect(this, &QAbstractItemModel::rowsInserted, this, known);
    connect(this, &QAbstractItemModel::rowsRemoved, this, known);
}

TAVTableModel::~TAVTableModel()
{
    delete m_rowDelegate;
    for (const auto &d : std::as_const(m_columnDelegates))
        delete d.second;
}

int TAVTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int TAVTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.count();
}

QVariant TAVTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns.count())
        return QVariant();
    const QMetaType type = m_columnTypes.at(index.column());
    if (role == Qt::TextAlignmentRole) {
        if (type.id() == QMetaType::Double)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return QVariant();
    const int cell = m_fetchedOf.value(index.column(), -1);
    const QByteArray *row = cell < 0 ? nullptr : cachedRow(index.row());
    if (!row)
        return QVariant();
    int length = 0;
    const char *text = TAVPackedRow::cell(*row, cell, &length);
    if (!text)
        return QVariant(type);
    if (role == Qt::DisplayRole && m_types.types.value(cell) == kNumericOid) {
        const int mod = m_types.mods.value(cell, -1);
        const int scale = mod >= 4 ? ((mod - 4) & 0xffff) : -1;
        const double d = QByteArray::fromRawData(text, length).toDouble();
        return TAVFormat::number(d, scale);
    }
    return TAVDb::fromText(text, length, type);
}

QVariant TAVTableModel::value(int row, int column) const
{
    const int cell = m_fetchedOf.value(column, -1);
    const QByteArray *cached = cell < 0 ? nullptr : cachedRow(row);
    if (!cached)
        return QVariant();
    int length = 0;
    const char *text = TAVPackedRow::cell(*cached, cell, &length);
    const QMetaType type = m_columnTypes.value(column);
    return text ? TAVDb::fromText(text, length, type) : QVariant(type);
}

QVariant TAVTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    if (section < 0 || section >= m_headers.size())
        return QVariant();
    const QHash<int, QVariant> &h = m_headers.at(section);
    if (role == FieldNameRole)
        return m_columns.fieldName(section);
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (h.contains(Qt::EditRole))
            return h.value(Qt::EditRole);
        if (h.contains(Qt::DisplayRole))
            return h.value(Qt::DisplayRole);
        return m_columns.fieldName(section);
    }
    return h.value(role);
}

bool TAVTableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size())
        return false;
    m_headers[section].insert(role, value);
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

void TAVTableModel::sort(int _column, Qt::SortOrder _order)
{
    qDebug() << "TAVTableModel::sort( int _column, Qt::SortOrder _order )";
    if (_column == m_sortColumn && _order == m_sortOrder)
        return;
    m_sortColumn = _column;
    setSort(_column, _order);
    select();
}

void TAVTableModel::setSort(int _column, Qt::SortOrder _order)
{
    qDebug() << "TAVTableModel::setSort( int _column, Qt::SortOrder _order )";
    if (_column >= 0 && _column < m_columns.count())
        m_orderColumn = _column;
    m_sortOrder = _order;
}

void TAVTableModel::setSort(const QString &column, Qt::SortOrder order)
{
    setSort(fieldIndex(column), order);
}

void TAVTableModel::sort(const QString &column, Qt::SortOrder order)
{
    sort(fieldIndex(column), order);
}

QSqlRecord TAVTableModel::defaultRecord()
{
    QSqlRecord rec = emptyRecord();
    for (auto it = m_defaults.cbegin(); it != m_defaults.cend(); ++it)
        rec.setValue(it.key(), it.value());
    return rec;
}

void TAVTableModel::setCommands() {}

void TAVTableModel::initialize()
{
    setNames();
    generateSelectStatement();
    setUpColumns();
    readEmptyRecord();
    setHeaders();
    createActions();
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    m_orderColumn = 0;
    TAVCatalogue::loadConstraints();
}

void TAVTableModel::readEmptyRecord()
{
    m_emptyRecord = TAVCatalogue::record(m_tableName);
    // A field without a value is "not given"; the driver hands out typed nulls.
    for (int i = 0; i < m_emptyRecord.count(); ++i)
        m_emptyRecord.setValue(i, QVariant());
}

QString TAVTableModel::sourceName() const
{
    return m_useView && !m_viewName.isEmpty() ? m_viewName : m_tableName;
}

void TAVTableModel::setUpColumns()
{
    m_columns = TAVCatalogue::record(sourceName());
    for (int i = 0; i < m_columns.count(); ++i)
        m_columns.setValue(i, QVariant());
    m_nameIndex.clear();
    m_fetchedOf.clear();
    m_columnOf.clear();
    m_columnTypes.clear();
    QStringList lazy = m_lazyNames;
    lazy << QStringLiteral("stworzono") << QStringLiteral("zmodyfikowano");
    for (int i = 0; i < m_columns.count(); ++i) {
        const QString name = m_columns.fieldName(i).toLower();
        m_nameIndex.insert(name, i);
        m_columnTypes.append(m_columns.field(i).metaType());
        if (lazy.contains(name, Qt::CaseInsensitive)) {
            m_fetchedOf.append(-1);
        } else {
            m_fetchedOf.append(m_columnOf.size());
            m_columnOf.append(i);
        }
    }
    m_headers = QVector<QHash<int, QVariant>>(m_columns.count());
    m_relations.clear();
    for (auto it = m_relationNames.cbegin(); it != m_relationNames.cend(); ++it) {
        if (m_nameIndex.contains(it.key()))
            m_relations.insert(m_nameIndex.value(it.key()), it.value());
    }
    const QString keyName = m_rowKeyName.isEmpty() ? primaryKeyName() : m_rowKeyName;
    m_keyCell = qMax(0, m_fetchedOf.value(fieldIndex(keyName), 0));
    m_types = TAVRowReader::CellTypes();
}

void TAVTableModel::setActions(QString _context)
{
    m_context = _context;
    if (_context.isEmpty() || !m_contextClearsActions)
        return;
    // Pick lists and dependent places show the rows without commands.
    clearActions();
    if (_context == TAVContext::PickList) {
        qDebug().noquote() << QString::fromLatin1(metaObject()->className()) + QStringLiteral("::setActions( QString _context )");
        qDebug() << "   context:" << _context;
    }
}

void TAVTableModel::createActions() {}

void TAVTableModel::generateSelectStatement()
{
    QSqlDatabase db = TAVDb::database();
    const QSqlRecord rec = TAVCatalogue::record(m_tableName);
    m_selectStatement = db.driver() ? db.driver()->sqlStatement(QSqlDriver::SelectStatement, m_tableName, rec, false)
                                    : QString();
    m_primaryIndex = TAVCatalogue::primaryIndex(m_tableName);
    qDebug() << "TAVTableModel::generateSelectStatement()";
    qDebug() << "   select statement:" << m_selectStatement;
    qDebug() << "   PRIMARY KEY DB:" << m_primaryIndex;
}

void TAVTableModel::prepareEmptyNullValues(QSqlRecord &_rec)
{
    for (int i = 0; i < _rec.count(); ++i) {
        const QVariant value = _rec.value(i);
        // Only texts are trimmed: numbers, flags and binary data pass as they are.
        if (!value.isValid() || value.isNull() || value.metaType().id() != QMetaType::QString)
            continue;
        const QString text = value.toString();
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty()) {
            _rec.setNull(i);
            qDebug() << kPrepareSig;
            qDebug() << "   is empty and set null(index):" << i;
        } else if (trimmed != text) {
            qDebug() << kPrepareSig;
            qDebug() << "   oryginal:" << text;
            qDebug() << "   trimmed:" << trimmed;
            _rec.setValue(i, trimmed);
        }
    }
}

QVector<int> TAVTableModel::hiddenColumns(QString)
{
    QVector<int> cols{fieldIndex(primaryKeyName())};
    cols += auditColumns();
    for (const QString &name : std::as_const(m_hiddenNames))
        cols << fieldIndex(name);
    for (const QString &name : std::as_const(m_lazyNames))
        cols << fieldIndex(name);
    return cols;
}

// The painter the flag columns ask for: grey rows where a flag is false,
// or green open and grey done movements; none without such a flag.
TAVItemDelegatePaintStrategy *TAVTableModel::flagPainter() const
{
    QStringList grey;
    QStringList status;
    for (const Flag &f : std::as_const(m_flags)) {
        if (f.paint == FlagPaint::GreyWhenFalse)
            grey << f.column;
        else if (f.paint == FlagPaint::OpenGreenDoneGrey)
            status << f.column;
    }
    if (!grey.isEmpty())
        return new AktywnyZatrudnionyBialySzaryPolePaintStrategy(grey);
    if (!status.isEmpty())
        return new ZrealizowanoPolePaintStrategy(status);
    return nullptr;
}

void TAVTableModel::createRowDelegate()
{
    if (TAVItemDelegatePaintStrategy *paint = flagPainter())
        setRowDelegate(new TAVItemDelegate(nullptr, paint));
}

void TAVTableModel::createColumnDelegates()
{
    // Each column gets its own instance of the row's painter, so the
    // column is coloured like the rest of the row.
    for (const Flag &f : std::as_const(m_flags)) {
        TAVItemDelegatePaintStrategy *paint = f.paint == FlagPaint::None ? nullptr : flagPainter();
        addColumnDelegate(f.column, paint ? new TAVItemDelegate(nullptr, paint, f.words())
                                          : new TAVItemDelegate(nullptr, f.words()));
    }
}

void TAVTableModel::createColumnsOrder() {}
void TAVTableModel::createSearchFields() {}

QString TAVTableModel::fetchedColumnList() const
{
    QStringList names;
    for (int column : m_columnOf)
        names << m_columns.fieldName(column);
    return names.join(QStringLiteral(", "));
}

TAVRowReader TAVTableModel::reader() const
{
    TAVRowReader::Shape shape;
    shape.source = sourceName();
    for (int column : m_columnOf)
        shape.columns << m_columns.fieldName(column);
    shape.keyCell = m_keyCell;
    shape.sortCell = sortCell();
    shape.filter = m_filter;
    shape.ascending = displayAscending();
    return TAVRowReader(shape, &m_types);
}

QString TAVTableModel::whereClause(const QString &extra) const
{
    return reader().whereClause(extra);
}

QString TAVTableModel::sortColumnName() const
{
    return m_columns.fieldName(m_orderColumn);
}

int TAVTableModel::sortCell() const
{
    return m_fetchedOf.value(m_orderColumn, -1);
}

QString TAVTableModel::orderClause(bool ascending) const
{
    return reader().orderClause(ascending);
}

QString TAVTableModel::printOrder() const
{
    const QString column = sortColumnName();
    if (!column.isEmpty() && m_emptyRecord.indexOf(column) < 0)
        return QString();
    return orderClause(displayAscending()) + QStringLiteral(", ");
}

QString TAVTableModel::queryText() const
{
    QStringList names;
    for (int i = 0; i < m_columns.count(); ++i)
        names << m_columns.fieldName(i);
    return QStringLiteral("SELECT ") + names.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + sourceName()
            + whereClause() + QStringLiteral(" ORDER BY ") + orderClause(displayAscending());
}

void TAVTableModel::readFailedNow(const TAVDbError &error) const
{
    qDebug() << "TAVTableModel::readRows()";
    qDebug() << "   error:" << error.sqlState << error.message;
    // A reader inside a failed transaction waits for its end, quietly.
    if (error.sqlState == QLatin1String("25P02"))
        return;
    if (error.connectionLost())
        TAVDb::reportReadFailure(error);
    Q_EMIT const_cast<TAVTableModel *>(this)->readFailed();
}

bool TAVTableModel::ensureRow(int row) const
{
    return cachedRow(row) != nullptr;
}

const QByteArray *TAVTableModel::cachedRow(int row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    if (const QByteArray *held = m_cache.row(row))
        return held;
    fetchPage(row);
    return m_cache.row(row);
}

bool TAVTableModel::fetchPage(int row) const
{
    if (m_large)
        return fetchAround(row);
    TAVRowReader r = reader();
    const int sc = sortCell();
    Page page;
    int start = row;
    bool ok = true;
    const int endBefore = m_cache.segmentEndAtOrBefore(row);
    const int nextStart = m_cache.segmentStartAfter(row);

    if (sc >= 0 && endBefore == row && row > 0 && m_cache.row(row - 1)) {
        // Scrolling on: the next rows after the last one held, in growing pages.
        m_forwardSize = m_forwardSize ? qMin(m_forwardSize * 2, m_maxPage) : m_firstPage;
        ok = r.readAfter(*m_cache.row(row - 1), displayAscending(), qMin(m_forwardSize, m_count - row), &page);
    } else if (sc >= 0 && nextStart > row && nextStart - row <= m_firstPage && m_cache.row(nextStart)) {
        // Scrolling back towards a held segment.
        m_forwardSize = 0;
        ok = r.readAfter(*m_cache.row(nextStart), !displayAscending(), qMin(m_firstPage, nextStart), &page);
        page.reverse();
        start = nextStart - page.rows.size();
    } else if (row < m_count / 2) {
        // A jump: by position, from whichever end is nearer.
        m_forwardSize = 0;
        start = qMax(0, row - m_firstPage / 4);
        ok = r.readAt(start, displayAscending(), qMin(m_firstPage, m_count - start), &page);
    } else {
        m_forwardSize = 0;
        const int end = qMin(m_count, row + m_firstPage * 3 / 4 + 1);
        start = qMax(0, end - m_firstPage);
        ok = r.readAt(m_count - end, !displayAscending(), end - start, &page);
        page.reverse();
        start = end - page.rows.size();
    }
    if (!ok) {
        readFailedNow(r.lastError());
        return false;
    }
    TAVDb::readSucceeded();
    if (start < 0) {
        page.rows.remove(0, -start);
        page.keys.remove(0, -start);
        start = 0;
    }
    m_cache.put(start, page.rows, page.keys);
    m_cache.trim(row);
    if (!m_cache.contains(row)) {
        // Fewer rows than counted: someone deleted meanwhile. Count again later.
        QTimer::singleShot(0, const_cast<TAVTableModel *>(this), &TAVTableModel::refresh);
    }
    return true;
}

// A large register reads by keyset from rows it holds, so every read is
// answered by the sort index. Positions away from the rows held are the
// count's estimate: where a read meets the true first or last row the count
// follows what was read, and rows held elsewhere that a read reaches are
// kept only when the rows read run on into them.
bool TAVTableModel::fetchAround(int row) const
{
    TAVRowReader r = reader();
    const bool ascending = displayAscending();
    const int count = m_knownCount;
    const int endBefore = m_cache.segmentEndAtOrBefore(row);
    const int nextStart = m_cache.segmentStartAfter(row);
    Page page;
    bool ok = true;
    if (endBefore == row && row > 0 && m_cache.row(row - 1)) {
        // On past the last row held; reaching the count, a page more is
        // asked for to learn where the rows really end.
        m_forwardSize = m_forwardSize ? qMin(m_forwardSize * 2, m_maxPage) : m_firstPage;
        const int wanted = qMin(m_forwardSize, count - row);
        const bool toEnd = row + wanted >= count;
        const int limit = wanted + (toEnd ? m_firstPage : 0);
        ok = r.readAfter(*m_cache.row(row - 1), ascending, limit, &page);
        if (ok) {
            const int got = page.rows.size();
            if (nextStart >= 0 && row + got >= nextStart) {
                const int i = nextStart - row;
                if (i >= got || page.keys.at(i) != m_cache.key(nextStart))
                    m_cache.dropSegmentsIn(nextStart, row + got + 1);
            }
            m_cache.put(row, page.rows, page.keys);
            if (got < wanted || toEnd)
                endsAt(row + got + (got == limit ? 1 : 0));
        }
    } else if (nextStart > row && nextStart - row <= m_firstPage && m_cache.row(nextStart)) {
        // Back towards a row held.
        m_forwardSize = 0;
        const int wanted = qMin(m_firstPage, nextStart);
        const bool toStart = wanted == nextStart;
        const int limit = wanted + (toStart ? m_firstPage : 0);
        ok = r.readAfter(*m_cache.row(nextStart), !ascending, limit, &page);
        if (ok) {
            page.reverse();
            const int got = page.rows.size();
            int start = nextStart - got;
            if (endBefore > 0 && start < endBefore) {
                const int i = endBefore - 1 - start;
                if (i < 0 || page.keys.at(i) != m_cache.key(endBefore - 1))
                    m_cache.dropSegmentsIn(start - 1, endBefore);
            }
            if (got < wanted || toStart) {
                // The true first row is known: the rows read start the
                // register (after one row more when the page came full).
                const int first = got == limit ? 1 : 0;
                m_cache.dropSegmentsIn(0, nextStart);
                resizeLater(0, got + first - nextStart);
                start = first;
            }
            m_cache.put(start, page.rows, page.keys);
        }
    } else {
        // A jump: read by position from the nearer end.
        m_forwardSize = 0;
        int start = 0;
        if (row < count / 2) {
            start = row < m_firstPage ? 0 : row - m_firstPage / 4;
            const int wanted = qMin(m_firstPage, count - start);
            const bool toEnd = start + wanted >= count;
            const int limit = wanted + (toEnd ? m_firstPage : 0);
            ok = r.readAt(start, ascending, limit, &page);
            if (ok) {
                const int got = page.rows.size();
                m_cache.dropSegmentsIn(start - 1, start + got + 1);
                m_cache.put(start, page.rows, page.keys);
                if (got < wanted || toEnd)
                    endsAt(start + got + (got == limit ? 1 : 0));
            }
        } else {
            int end = qMin(count, row + m_firstPage * 3 / 4 + 1);
            if (count - end < m_firstPage)
                end = count;
            const int wanted = qMin(m_firstPage, end);
            const bool toStart = wanted == end;
            const int limit = wanted + (toStart ? m_firstPage : 0);
            ok = r.readAt(count - end, !ascending, limit, &page);
            if (ok) {
                page.reverse();
                const int got = page.rows.size();
                m_cache.dropSegmentsIn(end - got - 1, end + 1);
                if (got < wanted || toStart) {
                    // Fewer rows lie before the end than counted (or more
                    // than the page when it came full).
                    const int first = got == limit ? 1 : 0;
                    m_cache.dropSegmentsIn(0, end);
                    resizeLater(0, got + first - end);
                    end = got + first;
                }
                m_cache.put(end - got, page.rows, page.keys);
            }
        }
    }
    if (!ok) {
        readFailedNow(r.lastError());
        return false;
    }
    TAVDb::readSucceeded();
    m_cache.trim(row);
    return true;
}

void TAVTableModel::endsAt(int end) const
{
    const int count = m_knownCount;
    if (end > count)
        resizeLater(count, end - count);
    else if (end < count)
        resizeLater(end, end - count);
}

void TAVTableModel::resizeLater(int pos, int delta) const
{
    if (delta == 0)
        return;
    m_cache.shift(pos, delta);
    m_knownCount += delta;
    m_resizes.append(qMakePair(pos, delta));
    if (m_resizes.size() == 1)
        QTimer::singleShot(0, const_cast<TAVTableModel *>(this), &TAVTableModel::flushResizes);
}

void TAVTableModel::flushResizes()
{
    // The cache moved when these were found; only the view is told now.
    const QList<QPair<int, int>> resizes = std::exchange(m_resizes, {});
    for (const auto &r : resizes)
        resizeRows(r.first, r.second, false);
    m_knownCount = m_count;
}

void TAVTableModel::resizeNow(int pos, int delta)
{
    flushResizes();
    resizeRows(pos, delta, true);
    m_knownCount = m_count;
}

void TAVTableModel::resizeRows(int pos, int delta, bool shiftCache)
{
    if (delta == 0)
        return;
    if (delta > 0)
        beginInsertRows(QModelIndex(), pos, pos + delta - 1);
    else
        beginRemoveRows(QModelIndex(), pos, pos - delta - 1);
    if (shiftCache)
        m_cache.shift(pos, delta);
    m_count += delta;
    if (delta > 0)
        endInsertRows();
    else
        endRemoveRows();
}

void TAVTableModel::requestCount()
{
    // Another connection does not see what an open transaction wrote: the
    // count waits for its end.
    if (TAVDb::inTransaction()) {
        QTimer::singleShot(200, this, [this, generation = m_generation] {
            if (generation == m_generation && m_large)
                requestCount();
        });
        return;
    }
    const int generation = m_generation;
    const int serial = m_changeSerial;
    TAVRowCounter::instance()->request(this, reader().countStatement(), [this, generation, serial](qint64 n) {
        if (n < 0 || generation != m_generation || !m_active || !m_large)
            return;
        // A count begun before a change of this workstation may or may not hold it.
        if (serial != m_changeSerial) {
            requestCount();
            return;
        }
        countArrived(n);
    });
}

void TAVTableModel::recountLater()
{
    if (m_large)
        requestCount();
}

void TAVTableModel::countArrived(qint64 exact)
{
    flushResizes();
    m_countExact = true;
    const int delta = int(qMin<qint64>(exact, INT_MAX / 2)) - m_count;
    if (delta == 0)
        return;
    // The rows the count adds or takes lie where nothing is held: before
    // rows held that end with the last row, else after all rows held.
    const QList<QPair<int, int>> held = m_cache.segments();
    if (held.isEmpty()) {
        resizeNow(delta > 0 ? m_count : m_count + delta, delta);
        return;
    }
    const int lastStart = held.last().first;
    const int lastEnd = lastStart + held.last().second;
    const int gapBefore = lastStart - (held.size() > 1 ? held.at(held.size() - 2).first + held.at(held.size() - 2).second : 0);
    if (lastEnd == m_count && lastStart > 0) {
        if (delta > 0 || gapBefore >= -delta)
            resizeNow(delta > 0 ? lastStart : lastStart + delta, delta);
        else
            refresh();
    } else if (lastEnd < m_count && m_count + delta >= lastEnd) {
        resizeNow(delta > 0 ? m_count : m_count + delta, delta);
    } else {
        refresh();
    }
}

bool TAVTableModel::select()
{
    const QString src = sourceName();
    if (m_columns.isEmpty()) {
        // The catalogue could not be read when the model was made.
        readEmptyRecord();
        m_primaryIndex = TAVCatalogue::primaryIndex(m_tableName);
        setUpColumns();
        if (!m_columns.isEmpty())
            setHeaders();
    }
    const bool users = m_unlogged;
    TAVDbError error;
    Page first;
    qint64 count = 0;
    bool exact = true;
    bool ok = !m_columns.isEmpty();
    if (ok) {
        // The first page with the planner's guess of the count in one round
        // trip; the count is exact at once when the rows are few.
        TAVRowReader r = reader();
        qint64 estimate = -1;
        // The capped count runs beside the first page on a connection of
        // its own (both may read the whole table under a search); inside a
        // transaction only this connection sees what it wrote.
        TAVRowCounter *counter = TAVRowCounter::instance();
        const bool beside = !m_unlogged && !TAVDb::inTransaction()
                && counter->startNow(r.countStatement(m_exactLimit + 1));
        ok = r.readFirst(displayAscending(), m_firstPage, &first, &estimate);
        count = first.rows.size();
        if (ok && count >= m_firstPage && estimate <= m_exactLimit) {
            qint64 capped = beside ? counter->waitNow() : -1;
            if (capped < 0)
                capped = r.count(m_exactLimit + 1);
            ok = capped >= 0;
            exact = capped <= m_exactLimit;
            count = exact ? capped : qMax(qMax(estimate, capped), qint64(m_firstPage) + 1);
        } else {
            if (beside)
                counter->dropNow();
            if (ok && count >= m_firstPage) {
                exact = false;
                count = qMax(estimate, qint64(m_firstPage) + 1);
            }
        }
        if (!ok)
            error = r.lastError();
    } else {
        error = TAVDb::connectionError();
    }
    qDebug() << kSelectSig;
    if (users) {
        qDebug().noquote() << QStringLiteral("   %1 - brak logowania ze wzgledow bezpieczenstwa").arg(m_tableName);
    } else {
        qDebug() << "   filter:" << m_filter;
        qDebug() << "   select query:" << queryText();
    }
    if (!ok) {
        qDebug() << kSelectSig;
        if (!users) {
            qDebug() << "   error text:" << error.message;
            qDebug() << "   error number:" << error.sqlState;
            qDebug() << "   error database text:" << error.detail;
        } else {
            qDebug() << "   error number:" << error.sqlState;
        }
        m_lastError = error;
        if (error.connectionLost())
            TAVDb::reportReadFailure(error);
        Q_EMIT readFailed();
        return false;
    }
    TAVDb::readSucceeded();
    beginResetModel();
    m_active = true;
    m_cache.clear();
    m_resizes.clear();
    m_forwardSize = 0;
    m_large = !exact;
    m_countExact = exact;
    ++m_generation;
    m_count = int(qMin<qint64>(count, INT_MAX / 2));
    m_knownCount = m_count;
    m_cache.put(0, first.rows, first.keys);
    endResetModel();
    if (m_large)
        requestCount();
    return true;
}

void TAVTableModel::setFilter(const QString &_filter)
{
    m_filter = _filter;
    if (!m_active)
        return;
    if (!select()) {
        qCritical() << "TAVTableModel::setFilter( const QString& _filter )";
        if (m_unlogged)
            qCritical() << "   invalid filter:" << m_lastError.sqlState;
        else
            qCritical() << "   invalid filter:" << m_lastError.sqlState << m_lastError.message;
    }
}

void TAVTableModel::refresh()
{
    if (m_active)
        select();
}

void TAVTableModel::setPageSizes(int first, int max)
{
    m_firstPage = qMax(2, first);
    m_maxPage = qMax(m_firstPage, max);
}

QSqlRecord TAVTableModel::record(int row) const
{
    QSqlRecord rec = m_columns;
    const QByteArray *held = cachedRow(row);
    if (!held)
        return rec;
    const QByteArray &packed = *held;
    QStringList heavy;
    for (int i = 0; i < rec.count(); ++i) {
        const int cell = m_fetchedOf.at(i);
        if (cell < 0) {
            heavy << rec.fieldName(i);
            continue;
        }
        int length = 0;
        const char *text = TAVPackedRow::cell(packed, cell, &length);
        const QMetaType type = rec.field(i).metaType();
        rec.setValue(i, text ? TAVDb::fromText(text, length, type) : QVariant(type));
    }
    if (!heavy.isEmpty()) {
        const QString key = keyColumnName();
        TAVDbError error;
        TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT ") + heavy.join(QStringLiteral(", "))
                                                 + QStringLiteral(" FROM ") + sourceName() + QStringLiteral(" WHERE ")
                                                 + key + QStringLiteral(" = $1 LIMIT 1"),
                                         {QVariant(m_cache.key(row))}, &error, {kInt8Oid});
        for (int h = 0; h < heavy.size(); ++h) {
            const int i = rec.indexOf(heavy.at(h));
            const QMetaType type = rec.field(i).metaType();
            if (r && PQntuples(r.get()) > 0 && !PQgetisnull(r.get(), 0, h))
                rec.setValue(i, TAVDb::fromText(PQgetvalue(r.get(), 0, h), PQgetlength(r.get(), 0, h), type));
            else
                rec.setValue(i, QVariant(type));
        }
    }
    return rec;
}

int TAVTableModel::fieldIndex(const QString &name) const
{
    return m_nameIndex.value(name.toLower(), -1);
}

QByteArray TAVTableModel::readOne(qint64 key, bool *found) const
{
    TAVRowReader r = reader();
    const QByteArray row = r.readOne(key, found);
    if (!*found && r.lastError().isError())
        readFailedNow(r.lastError());
    return row;
}

int TAVTableModel::countBefore(const QByteArray &row) const
{
    TAVRowReader r = reader();
    const qint64 n = r.countBefore(row);
    if (n < 0 && r.lastError().isError())
        readFailedNow(r.lastError());
    return int(n);
}

int TAVTableModel::rowOfKey(const QVariant &key)
{
    if (!key.isValid() || key.isNull() || !m_active)
        return -1;
    flushResizes();
    const qint64 k = key.toLongLong();
    int pos = m_cache.findKey(k);
    if (pos >= 0)
        return pos;
    bool found = false;
    const QByteArray row = readOne(k, &found);
    if (!found)
        return -1;
    if (m_large)
        return readAroundRow(k, row);
    const int p = countBefore(row);
    if (p < 0 || p >= m_count)
        return -1;
    ensureRow(p);
    return m_cache.key(p) == k ? p : m_cache.findKey(k);
}

// A row of a large register far from the rows held: the rows on either side
// are read by keyset and stand where the planner guesses the row is; where
// the first or the last row is met, the position (and the count) are exact.
int TAVTableModel::readAroundRow(qint64 key, const QByteArray &row)
{
    TAVRowReader r = reader();
    const int half = qMax(1, m_firstPage / 2);
    Page before;
    Page after;
    if (!r.readAfter(row, !displayAscending(), half, &before) || !r.readAfter(row, displayAscending(), half, &after)) {
        readFailedNow(r.lastError());
        return -1;
    }
    const int gotBefore = before.rows.size();
    const int gotAfter = after.rows.size();
    const bool atStart = gotBefore < half;
    const bool atEnd = gotAfter < half;
    int p = gotBefore;
    int count = m_count;
    if (atStart && atEnd) {
        count = gotBefore + 1 + gotAfter;
    } else if (atEnd) {
        p = qMax(gotBefore + 1, count - 1 - gotAfter);
        count = p + 1 + gotAfter;
    } else {
        // At least one row not yet read is left on each open side.
        if (!atStart) {
            const qint64 guess = r.estimateBefore(row);
            p = int(qBound<qint64>(gotBefore + 1, guess, qMax<qint64>(gotBefore + 1, qint64(count) - 2 - gotAfter)));
        }
        count = qMax(count, p + 2 + gotAfter);
    }
    m_forwardSize = 0;
    resizeNow(count > m_count ? m_count : count, count - m_count);
    m_cache.dropSegmentsIn(p - gotBefore - 1, p + gotAfter + 2);
    Page run;
    for (int i = gotBefore - 1; i >= 0; --i) {
        run.rows << before.rows.at(i);
        run.keys << before.keys.at(i);
    }
    run.rows << row;
    run.keys << key;
    run.rows += after.rows;
    run.keys += after.keys;
    m_cache.put(p - gotBefore, run.rows, run.keys);
    // What the view shows stands elsewhere now.
    if (m_count > 0)
        Q_EMIT dataChanged(index(0, 0), index(m_count - 1, columnCount() - 1));
    return p;
}

QString TAVTableModel::primaryKeyName() const
{
    return m_primaryIndex.count() > 0 ? m_primaryIndex.fieldName(0) : QString();
}

QHash<QString, QString> TAVTableModel::fieldLabels() const
{
    QHash<QString, QString> labels;
    for (int i = 0; i < m_columns.count(); ++i)
        labels.insert(m_columns.fieldName(i), headerData(i, Qt::Horizontal, Qt::DisplayRole).toString());
    return labels;
}

QAbstractItemDelegate *TAVTableModel::rowDelegate()
{
    // Built once: a view may already paint with the delegate handed out.
    if (!m_rowDelegate)
        createRowDelegate();
    return m_rowDelegate;
}

QVector<QPair<int, QAbstractItemDelegate *>> TAVTableModel::columnDelegates()
{
    for (const auto &d : std::as_const(m_columnDelegates))
        delete d.second;
    m_columnDelegates.clear();
    createColumnDelegates();
    return m_columnDelegates;
}

QVector<QPair<QString, int>> TAVTableModel::columnsOrder()
{
    m_columnsOrder.clear();
    createColumnsOrder();
    return m_columnsOrder;
}

QVector<QPair<QString, int>> TAVTableModel::searchFields()
{
    m_searchFields.clear();
    createSearchFields();
    return m_searchFields;
}

void TAVTableModel::setUseView(bool use)
{
    if (use == m_useView)
        return;
    m_useView = use;
    const bool active = m_active;
    beginResetModel();
    m_cache.clear();
    m_count = 0;
    m_active = false;
    setUpColumns();
    endResetModel();
    setHeaders();
    if (active)
        select();
}

void TAVTableModel::setRelation(const QString &column, const QSqlRelation &relation)
{
    // Kept by name: a register may declare it before its columns are read.
    m_relationNames.insert(column.toLower(), relation);
    const int idx = fieldIndex(column);
    if (idx >= 0)
        m_relations.insert(idx, relation);
}

void TAVTableModel::setHeader(const QString &column, const QString &label, const QString &toolTip)
{
    const int idx = fieldIndex(column);
    if (idx < 0)
        return;
    setHeaderData(idx, Qt::Horizontal, label, Qt::EditRole);
    if (!toolTip.isEmpty())
        setHeaderData(idx, Qt::Horizontal, toolTip, Qt::ToolTipRole);
}

void TAVTableModel::setAuditHeaders()
{
    for (const char *name : kAuditNames)
        setHeader(QString::fromLatin1(name), QString::fromLatin1(name).toUpper());
}

QVector<int> TAVTableModel::auditColumns() const
{
    QVector<int> cols;
    for (const char *name : kAuditNames) {
        const int idx = fieldIndex(QString::fromLatin1(name));
        if (idx >= 0)
            cols << idx;
    }
    return cols;
}

void TAVTableModel::addAction(const QString &commandName, const QString &text, const QString &toolTip,
                              const QString &whatsThis, bool needsRow)
{
    auto *action = new QAction(text, this);
    if (!toolTip.isEmpty())
        action->setToolTip(toolTip);
    if (!whatsThis.isEmpty())
        action->setWhatsThis(whatsThis);
    action->setProperty("commandName", commandName);
    action->setProperty("needsRow", needsRow);
    m_actions.append(action);
}

void TAVTableModel::clearActions()
{
    qDeleteAll(m_actions);
    m_actions.clear();
}

void TAVTableModel::setRowDelegate(QAbstractItemDelegate *delegate)
{
    if (delegate == m_rowDelegate)
        return;
    delete m_rowDelegate;
    m_rowDelegate = delegate;
}

void TAVTableModel::addColumnDelegate(const QString &column, QAbstractItemDelegate *delegate)
{
    m_columnDelegates.append(qMakePair(fieldIndex(column), delegate));
}

void TAVTableModel::addColumnOrder(const QString &column, int position)
{
    if (position < 1)
        position = m_columnsOrder.isEmpty() ? 1 : m_columnsOrder.last().second + 1;
    m_columnsOrder.append(qMakePair(column, position));
}

void TAVTableModel::addColumnOrderLast(const QString &column)
{
    m_columnsOrder.append(qMakePair(column, columnCount() - 1));
}

void TAVTableModel::addSearchField(const QString &column, int kind)
{
    m_searchFields.append(qMakePair(column, kind));
}

void TAVTableModel::addSearchFields(const QStringList &columns, int kind)
{
    for (const QString &c : columns)
        addSearchField(c, kind);
}

void TAVTableModel::addSearchChoice(const QString &name, const QString &label,
                                    const QList<QPair<QString, QString>> &items)
{
    m_searchChoices.insert(name, qMakePair(label, items));
    addSearchField(name, ConditionSearch);
}

QString TAVTableModel::scanStatement(const QString &filter, int limit) const
{
    // One equality per column, each answered by that column's index: an OR
    // of them under the register's filter may read the whole table.
    const QString where = filter.trimmed().isEmpty() ? QString() : QStringLiteral("(%1) AND ").arg(filter);
    QStringList lookups;
    for (int i = 0; i < m_scanColumns.size(); ++i)
        lookups << QStringLiteral("SELECT %1 AS k, %2 AS r FROM %3 WHERE %4%5 = $1")
                           .arg(keyColumnName(), QString::number(i), sourceName(), where, m_scanColumns.at(i));
    return QStringLiteral("SELECT k FROM (%1) s GROUP BY k ORDER BY min(r), k LIMIT %2")
            .arg(lookups.join(QStringLiteral(" UNION ALL ")), QString::number(limit));
}

QVariantList TAVTableModel::scanKeys(const QString &text, const QString &filter, int limit) const
{
    if (m_scanColumns.isEmpty() || text.isEmpty() || m_columns.isEmpty())
        return {};
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(scanStatement(filter, limit), {text}, &error);
    if (!r) {
        readFailedNow(error);
        return {};
    }
    QVariantList keys;
    for (int i = 0; i < PQntuples(r.get()); ++i)
        keys << QByteArray(PQgetvalue(r.get(), i, 0)).toLongLong();
    return keys;
}

bool TAVTableModel::isSystemRow(const QModelIndex &index) const
{
    if (!index.isValid() || index.row() >= m_count)
        return false;
    return value(index.row(), QStringLiteral("systemowy")).toBool();
}

QSqlRecord TAVTableModel::givenFields(const QSqlRecord &rec)
{
    QSqlRecord out;
    for (int i = 0; i < rec.count(); ++i) {
        if (rec.value(i).isValid())
            out.append(rec.field(i));
    }
    return out;
}

QString TAVTableModel::rowVersion(const QVariant &key) const
{
    return TAVRowWriter(m_tableName, primaryKeyName(), QMetaType()).rowVersion(key);
}

QString TAVTableModel::lastErrorCause() const
{
    return TAVDb::causeSentence(m_lastError, fieldLabels());
}

bool TAVTableModel::insert(const QSqlRecord &_rec, const QModelIndex _modelIndex)
{
    return write(WriteOp::Insert, _rec, _modelIndex);
}

bool TAVTableModel::update(const QSqlRecord &_rec, const QModelIndex _modelIndex)
{
    return write(WriteOp::Update, _rec, _modelIndex);
}

bool TAVTableModel::remove(const QSqlRecord &_rec, const QModelIndex _modelIndex)
{
    return write(WriteOp::Delete, _rec, _modelIndex);
}

bool TAVTableModel::write(WriteOp op, const QSqlRecord &_rec, const QModelIndex &index)
{
    if (op == WriteOp::Update && (m_systemRowMode == SystemRowsNoEdit || m_systemRowMode == SystemRowsLocked)
        && isSystemRow(index)) {
        TAVMessages::warning(QStringLiteral("Edycja wpisu"),
                QStringLiteral("Wpis systemowy - nie można go edytować."));
        return false;
    }
    if (op == WriteOp::Delete && (m_systemRowMode == SystemRowsNoDelete || m_systemRowMode == SystemRowsLocked)
        && isSystemRow(index)) {
        TAVMessages::warning(QStringLiteral("Usuwanie wpisu"),
                QStringLiteral("Wpis systemowy - nie można go usunąć."));
        return false;
    }
    const char *sig = op == WriteOp::Insert ? kInsertSig : (op == WriteOp::Update ? kUpdateSig : kRemoveSig);
    QSqlRecord rec = _rec;
    if (op != WriteOp::Delete)
        prepareEmptyNullValues(rec);
    const QString pk = primaryKeyName();
    const int pkColumn = fieldIndex(pk);
    const QString version = op == WriteOp::Update ? std::exchange(m_expectedVersion, QString()) : QString();
    QVariant key;
    QVariant above;
    int knownRow = -1;
    if (op != WriteOp::Insert) {
        if (op == WriteOp::Update && givenFields(rec).isEmpty())
            return false;
        if (index.isValid() && index.row() < m_count && pkColumn >= 0) {
            key = value(index.row(), pkColumn);
            knownRow = index.row();
            if (op == WriteOp::Delete && index.row() > 0)
                above = value(index.row() - 1, pkColumn);
        } else if (rec.indexOf(pk) >= 0) {
            key = _rec.value(pk);
        }
        // Without a key the WHERE would match nothing.
        if (!key.isValid() || key.isNull() || key.toLongLong() <= 0) {
            qDebug() << sig;
            qDebug() << "   no key of the row to write";
            m_lastId = QVariant();
            return false;
        }
        // The key is never rewritten by an edit.
        const int pkIdx = rec.indexOf(pk);
        if (op == WriteOp::Update && pkIdx >= 0)
            rec.setValue(pkIdx, QVariant());
    }
    TAVRowWriter::stampUser(op, rec, TAVSession::currentUserId());

    TAVRowWriter writer(m_tableName, pk, m_emptyRecord.field(pk).metaType());
    const TAVRowWriter::Result result = writer.write(op, givenFields(rec), key, version);
    if (op == WriteOp::Update) {
        qDebug() << kUpdateSig;
        qDebug() << "   update query:" << result.statement;
    }
    m_lastError = result.error;
    switch (result.outcome) {
    case TAVRowWriter::Outcome::Failed:
        m_lastId = QVariant();
        if (m_lastError.isError())
            reportWriteError(op, result.statement);
        return false;
    case TAVRowWriter::Outcome::ChangedMeanwhile:
    case TAVRowWriter::Outcome::Gone:
        m_lastId = QVariant();
        applyOwnWrite(WriteOp::Update, key.toLongLong(), knownRow);
        if (m_showErrors)
            TAVMessages::warning(QStringLiteral("Edycja wpisu"),
                    result.outcome == TAVRowWriter::Outcome::ChangedMeanwhile
                            ? QStringLiteral("Wpis został w międzyczasie zmieniony na innym stanowisku. Zamknij okno, "
                                             "aby zobaczyć zmiany, i wprowadź swoje ponownie.")
                            : QStringLiteral("Wpis nie istnieje już w bazie danych. Mógł zostać usunięty na innym "
                                             "stanowisku."));
        return false;
    case TAVRowWriter::Outcome::Written:
        break;
    }
    if (op == WriteOp::Insert) {
        key = result.key;
        qDebug() << "Last inserted PK:" << key.toString();
        m_lastId = key;
    } else {
        m_lastId = op == WriteOp::Update ? key : above;
    }
    const qint64 k = key.toLongLong();
    ++m_writeCount;
    if (TAVTransaction *t = TAVTransaction::active())
        t->touch(m_tableName, k);
    applyOwnWrite(op, k, knownRow);
    TAVChangeBus::instance()->announce(m_tableName, {k}, this);
    return true;
}

void TAVTableModel::reportWriteError(WriteOp op, const QString &statement)
{
    const TAVDbError &e = m_lastError;
    if (op == WriteOp::Insert) {
        qDebug() << kInsertSig;
        qDebug() << "   insert query:" << statement;
    } else {
        qDebug() << (op == WriteOp::Update ? kUpdateSig : kRemoveSig);
        qDebug() << (op == WriteOp::Update ? "   update query:" : "   delete query:") << statement;
        qDebug() << "   primaryIndex:" << m_primaryIndex;
    }
    qDebug() << "   error - databaser text:" << e.message << e.detail;
    qDebug() << "   error - driver text:" << e.constraint;
    qDebug() << "   error - number:" << e.sqlState;
    qDebug() << "   error - type:" << (e.connectionLost() ? "connection" : "statement");
    if (!m_showErrors)
        return;
    const QString cause = lastErrorCause();
    if (op != WriteOp::Delete) {
        TAVMessages::warning(QStringLiteral("insert"), QStringLiteral("nieudane insert"), cause);
        return;
    }
    qDebug() << kRemoveSig;
    qDebug() << "   PGresult error code:" << e.sqlState;
    if (e.sqlState == QLatin1String("23503"))
        TAVMessages::warning(QStringLiteral("Usuwanie wpisu"),
                QStringLiteral("Nie można usunąć wpisu, ponieważ jest powiązany z innymi danymi."));
    else
        TAVMessages::warning(QStringLiteral("Usuwanie wpisu"),
                QStringLiteral("Wystąpił błąd o numerze %1.").arg(e.sqlState), cause);
}

bool TAVTableModel::samePlace(const QByteArray &held, const QByteArray &fresh) const
{
    const int sc = sortCell();
    if (sc == m_keyCell)
        return true;
    bool heldNull = false;
    bool freshNull = false;
    return cellBytes(held, sc, &heldNull) == cellBytes(fresh, sc, &freshNull) && heldNull == freshNull;
}

void TAVTableModel::replaceHeld(int pos, const QByteArray &row, qint64 key)
{
    m_cache.replaceAt(pos, row, key);
    Q_EMIT dataChanged(index(pos, 0), index(pos, columnCount() - 1));
}

void TAVTableModel::moveHeld(int from, int to, const QByteArray &row, qint64 key)
{
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    m_cache.removeAt(from);
    m_cache.insertAt(to, row, key);
    endMoveRows();
}

void TAVTableModel::removeHeld(int pos)
{
    beginRemoveRows(QModelIndex(), pos, pos);
    m_cache.removeAt(pos);
    --m_count;
    endRemoveRows();
}

void TAVTableModel::addRow(int pos, const QByteArray *row, qint64 key)
{
    beginInsertRows(QModelIndex(), pos, pos);
    if (row)
        m_cache.insertAt(pos, *row, key);
    else
        m_cache.shift(pos, 1);
    ++m_count;
    endInsertRows();
}

void TAVTableModel::applyOwnWrite(WriteOp op, qint64 key, int knownRow)
{
    if (!m_active)
        return;
    if (m_refreshWhole) {
        refresh();
        return;
    }
    flushResizes();
    if (op != WriteOp::Update)
        ++m_changeSerial;
    const int cached = knownRow >= 0 && m_cache.key(knownRow) == key ? knownRow : m_cache.findKey(key);
    if (op == WriteOp::Delete) {
        if (cached >= 0) {
            removeHeld(cached);
        } else if (m_large) {
            recountLater();
        } else {
            refresh();
        }
        return;
    }
    bool found = false;
    const QByteArray row = readOne(key, &found);
    if (op == WriteOp::Insert && found && sortCell() == m_keyCell) {
        // A new key is the highest: the row goes to the end of the order.
        addRow(displayAscending() ? m_count : 0, &row, key);
        return;
    }
    if (m_large)
        placeAmongHeld(key, cached, found ? &row : nullptr, op == WriteOp::Insert);
    else
        placeRow(key, cached, found ? &row : nullptr);
}

// A large register places a row by its neighbours in the order (each found
// by the sort index): next to a held neighbour exactly, else before or
// after the run held. A row that is not new and was not held may already
// be counted somewhere not held: the count is asked for again.
void TAVTableModel::placeAmongHeld(qint64 key, int oldRow, const QByteArray *fresh, bool isNew)
{
    if (!fresh) {
        if (oldRow >= 0)
            removeHeld(oldRow);
        else
            recountLater();
        return;
    }
    if (oldRow >= 0 && samePlace(*m_cache.row(oldRow), *fresh)) {
        replaceHeld(oldRow, *fresh, key);
        return;
    }
    TAVRowReader r = reader();
    // Positions as they are once the row has left its old place.
    auto without = [oldRow](int p) { return oldRow >= 0 && p > oldRow ? p - 1 : p; };
    const int rows = oldRow >= 0 ? m_count - 1 : m_count;
    // Whether a position (counted without the old place) is held.
    auto heldAt = [this, oldRow](int p) { return m_cache.contains(oldRow >= 0 && p >= oldRow ? p + 1 : p); };
    int target = -1;
    bool exact = false;
    const qint64 previous = r.neighbour(*fresh, true);
    if (previous < 0) {
        readFailedNow(r.lastError());
        return;
    }
    if (previous == 0) {
        target = 0;
        exact = rows == 0 || heldAt(0);
    } else if (const int p = m_cache.findKey(previous); p >= 0 && p != oldRow) {
        target = without(p) + 1;
        exact = true;
    }
    if (target < 0) {
        const qint64 next = r.neighbour(*fresh, false);
        if (next < 0) {
            readFailedNow(r.lastError());
            return;
        }
        if (next == 0) {
            target = rows;
            exact = rows == 0 || heldAt(rows - 1);
        } else if (const int p = m_cache.findKey(next); p >= 0 && p != oldRow) {
            target = without(p);
            exact = true;
        }
    }
    if (target < 0) {
        // Neither neighbour held: in the gap before the first run held
        // that comes after the row, or after all of them.
        target = rows;
        QList<qint64> firsts;
        QList<int> starts;
        for (const auto &segment : m_cache.segments()) {
            const int probe = segment.first == oldRow ? segment.first + 1 : segment.first;
            if (probe < segment.first + segment.second) {
                firsts << m_cache.key(probe);
                starts << without(segment.first);
            }
        }
        bool ok = true;
        const QSet<qint64> before = r.keysBefore(*fresh, firsts, &ok);
        if (!ok) {
            readFailedNow(r.lastError());
            return;
        }
        for (int k = 0; k < firsts.size(); ++k) {
            if (!before.contains(firsts.at(k))) {
                target = starts.at(k);
                break;
            }
        }
    }
    if (oldRow >= 0 && exact) {
        if (target == oldRow)
            replaceHeld(oldRow, *fresh, key);
        else
            moveHeld(oldRow, target, *fresh, key);
        return;
    }
    if (oldRow >= 0) {
        // It leaves the rows held for a place not held.
        removeHeld(oldRow);
        addRow(target, nullptr, key);
        return;
    }
    if (exact || isNew)
        addRow(target, exact ? fresh : nullptr, key);
    if (!isNew)
        recountLater();
}

void TAVTableModel::placeRow(qint64 key, int oldRow, const QByteArray *fresh)
{
    if (!fresh) {
        if (oldRow >= 0)
            removeHeld(oldRow);
        return;
    }
    if (oldRow >= 0) {
        const int newRow = samePlace(*m_cache.row(oldRow), *fresh) ? oldRow : countBefore(*fresh);
        if (newRow < 0)
            refresh();
        else if (newRow == oldRow)
            replaceHeld(oldRow, *fresh, key);
        else
            moveHeld(oldRow, newRow, *fresh, key);
        return;
    }
    const int newRow = countBefore(*fresh);
    if (newRow < 0 || newRow > m_count) {
        refresh();
        return;
    }
    addRow(newRow, fresh, key);
}

void TAVTableModel::refreshRows(const QList<qint64> &keys)
{
    if (!m_active || keys.isEmpty())
        return;
    if (m_refreshWhole || keys.size() > TAVLiveUpdates::instance()->keyLimit()) {
        refresh();
        return;
    }
    flushResizes();
    Page page;
    if (TAVRowReader r = reader(); !r.readKeys(keys, &page)) {
        readFailedNow(r.lastError());
        return;
    }
    QHash<qint64, int> fresh;
    for (int i = 0; i < page.keys.size(); ++i)
        fresh.insert(page.keys.at(i), i);
    if (m_large) {
        for (qint64 k : QSet<qint64>(keys.cbegin(), keys.cend())) {
            const auto it = fresh.constFind(k);
            placeAmongHeld(k, m_cache.findKey(k), it == fresh.constEnd() ? nullptr : &page.rows.at(it.value()), false);
        }
        return;
    }
    const int single = keys.size() == 1 ? m_cache.findKey(keys.first()) : -1;
    if (single >= 0) {
        const auto it = fresh.constFind(keys.first());
        placeRow(keys.first(), single, it == fresh.constEnd() ? nullptr : &page.rows.at(it.value()));
        return;
    }
    QList<qint64> gone, placed, unheldFound;
    bool unheld = false;
    for (qint64 k : QSet<qint64>(keys.cbegin(), keys.cend())) {
        const bool found = fresh.contains(k);
        if (m_cache.findKey(k) >= 0) {
            (found ? placed : gone) << k;
        } else {
            unheld = true;
            if (found)
                unheldFound << k;
        }
    }
    // Rows that went: from the bottom up, so positions above stay valid.
    std::sort(gone.begin(), gone.end(), [this](qint64 a, qint64 b) { return m_cache.findKey(a) > m_cache.findKey(b); });
    for (qint64 k : std::as_const(gone))
        placeRow(k, m_cache.findKey(k), nullptr);
    if (unheld) {
        // Rows not held: the count tells whether they are new here, edits of
        // rows never read, or something this register cannot place.
        TAVDbError error;
        TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT count(*) FROM ") + sourceName() + whereClause(), {}, &error);
        if (!r) {
            readFailedNow(error);
            return;
        }
        const int delta = QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() - m_count;
        if (delta > 0 && delta == unheldFound.size())
            placed += unheldFound;
        else if (delta != 0 || (!unheldFound.isEmpty() && sortCell() != m_keyCell)) {
            refresh();
            return;
        }
    }
    // Held rows whose place in the order did not change are only replaced.
    for (auto it = placed.begin(); it != placed.end();) {
        const int pos = m_cache.findKey(*it);
        const QByteArray &row = page.rows.at(fresh.value(*it));
        if (pos >= 0 && samePlace(*m_cache.row(pos), row)) {
            replaceHeld(pos, row, *it);
            it = placed.erase(it);
        } else {
            ++it;
        }
    }
    // Every position is the row's place among all the changed rows; they
    // are put there from the top down. A row not placed yet still takes
    // its old slot, so it is counted above the target while it stands there.
    QList<QPair<int, qint64>> targets;
    for (qint64 k : std::as_const(placed)) {
        const int pos = countBefore(page.rows.at(fresh.value(k)));
        if (pos < 0) {
            refresh();
            return;
        }
        targets.append(qMakePair(pos, k));
    }
    std::sort(targets.begin(), targets.end());
    for (int i = 0; i < targets.size(); ++i) {
        const qint64 key = targets.at(i).second;
        const QByteArray &row = page.rows.at(fresh.value(key));
        const int current = m_cache.findKey(key);
        QList<int> waiting;
        for (int j = i + 1; j < targets.size(); ++j) {
            const int p = m_cache.findKey(targets.at(j).second);
            if (p >= 0)
                waiting << (current >= 0 && p > current ? p - 1 : p);
        }
        std::sort(waiting.begin(), waiting.end());
        int target = targets.at(i).first;
        for (int p : std::as_const(waiting)) {
            if (p >= target)
                break;
            ++target;
        }
        if (current == target) {
            replaceHeld(current, row, key);
        } else if (current >= 0) {
            moveHeld(current, target, row, key);
        } else if (target <= m_count) {
            addRow(target, &row, key);
        } else {
            refresh();
            return;
        }
    }
}

void TAVTableModel::onRowsChanged(const QString &table, const QList<qint64> &keys, QObject *origin)
{
    if (origin == this || !m_active)
        return;
    if (table == m_tableName) {
        refreshRows(keys);
        return;
    }
    if (!m_useView || m_viewName.isEmpty())
        return;
    for (const QString &column : m_dependencies.values(table)) {
        QStringList list;
        for (qint64 k : keys)
            list << QString::number(k);
        TAVDbError error;
        TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %3 = ANY($1::bigint[])")
                                                 .arg(column, table, TAVCatalogue::primaryKey(table)),
                                         {QVariant(QLatin1Char('{') + list.join(QLatin1Char(',')) + QLatin1Char('}'))},
                                         &error);
        QList<qint64> mine;
        for (int i = 0; r && i < PQntuples(r.get()); ++i) {
            if (!PQgetisnull(r.get(), i, 0))
                mine << QByteArray(PQgetvalue(r.get(), i, 0)).toLongLong();
        }
        refreshRows(mine);
    }
    const QStringList columns = TAVCatalogue::foreignColumns(m_tableName).value(table);
    if (columns.isEmpty())
        return;
    // Rows held that show something of the changed rows.
    QSet<qint64> changed(keys.cbegin(), keys.cend());
    QSet<qint64> affected;
    for (const QString &column : columns) {
        const int cell = m_fetchedOf.value(fieldIndex(column), -1);
        if (cell < 0)
            continue;
        for (const auto &segment : m_cache.segments()) {
            for (int pos = segment.first; pos < segment.first + segment.second; ++pos) {
                bool isNull = false;
                const QByteArray v = cellBytes(*m_cache.row(pos), cell, &isNull);
                if (!isNull && changed.contains(v.toLongLong()))
                    affected.insert(m_cache.key(pos));
            }
        }
    }
    // Read together: a tool's history holds many rows that show it.
    refreshRows(QList<qint64>(affected.cbegin(), affected.cend()));
}

void TAVTableModel::onTableChanged(const QString &table)
{
    if (!m_active)
        return;
    if (table.isEmpty() || table == m_tableName || (m_useView && !m_viewName.isEmpty() && TAVCatalogue::foreignColumns(m_tableName).contains(table)))
        refresh();
}

QSqlRelationalTableModel *TAVTableModel::sqlModel() const
{
    // Built on demand and read whole with the filter and order of the moment.
    if (!m_compat) {
        m_compat = new QSqlRelationalTableModel(const_cast<TAVTableModel *>(this), TAVDb::database());
        m_compat->setEditStrategy(QSqlTableModel::OnManualSubmit);
        m_compat->setJoinMode(QSqlRelationalTableModel::LeftJoin);
        m_compat->setTable(sourceName());
    }
    m_compat->setFilter(m_filter);
    m_compat->setSort(m_orderColumn, m_sortOrder);
    if (m_compat->select()) {
        while (m_compat->canFetchMore())
            m_compat->fetchMore();
    }
    return m_compat;
}
