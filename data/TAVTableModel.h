#pragma once

#include "TAVDb.h"
#include "TAVRowCache.h"
#include "TAVRowReader.h"
#include "TAVRowWriter.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QMap>
#include <QList>
#include <QPair>
#include <QSet>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QSqlRelation>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>

class QAbstractItemDelegate;
class QAction;
class QWidget;
class QSqlRelationalTableModel;
class TAVItemDelegateDisplayTextStrategy;
class TAVItemDelegatePaintStrategy;

// The generic model of every register: a subclass only declares its table,
// headers, commands and looks; reading, filtering, sorting and the written
// INSERT/UPDATE/DELETE with audit columns and system-row protection are
// done here once.
//
// Rows are read a page at a time straight from the server (the first page
// and the row count in one round trip, further pages as the view needs
// them), kept packed as the server sent them and converted only when
// shown. Sorting and filtering are the server's. After a write only the
// written row is read back and put in its place.
class TAVTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Header role that gives the column's field name.
    static constexpr int FieldNameRole = Qt::UserRole + 1;
    // ConditionSearch: a choice whose items stand for SQL conditions.
    enum SearchKind { TextSearch = 0, ChoiceSearch = 1, StatusSearch = 2, ConditionSearch = 3 };
    enum SystemRows { SystemRowsFree = 0, SystemRowsNoEdit = 1, SystemRowsNoDelete = 2, SystemRowsLocked = 3 };
    // How a flag column colours its row.
    // SameAsRow: the column takes the row's painter without being one of
    // the fields it watches (a repair's type beside its status).
    enum class FlagPaint { None, GreyWhenFalse, OpenGreenDoneGrey, SameAsRow };

    explicit TAVTableModel(QObject *parent = nullptr);
    ~TAVTableModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    void sort(int _column, Qt::SortOrder _order = Qt::AscendingOrder) override;

    virtual TAVTableModel *createInstance() = 0;
    virtual QSqlRecord defaultRecord();
    virtual void setSort(int _column, Qt::SortOrder _order);
    virtual void setSort(const QString &column, Qt::SortOrder order);
    virtual void sort(const QString &column, Qt::SortOrder order);
    virtual void initialize();
    virtual QVector<int> hiddenColumns(QString context);
    // A condition the register adds to its base filter in this context
    // (a register shown under several others tells their rows apart).
    virtual QString contextCondition() const { return QString(); }
    virtual void setNames() = 0;
    virtual void setHeaders() = 0;
    virtual void createActions();
    virtual void setActions(QString _context);
    virtual void generateSelectStatement();
    virtual void prepareEmptyNullValues(QSqlRecord &_rec);
    virtual void createRowDelegate();
    virtual void createColumnDelegates();
    TAVItemDelegatePaintStrategy *flagPainter() const;
    virtual void createColumnsOrder();
    virtual void createSearchFields();

    // Reading.
    // A plain SQL model of the same rows, for callers that want one; the
    // registers never use it, and it is built (and read whole) on demand.
    QSqlRelationalTableModel *sqlModel() const;
    bool select();
    bool isSelected() const { return m_active; }
    void setFilter(const QString &_filter);
    QString filter() const { return m_filter; }
    // The whole query the register shows: filter and order, no page limit.
    QString queryText() const;

    QSqlRecord record(int row) const;
    QSqlRecord record() const { return m_columns; }
    // The fields of a record that carry a value (a write touches only those).
    static QSqlRecord givenFields(const QSqlRecord &rec);
    // Whether the model is a register of exactly class T, not of one derived
    // from it (commands and policies act differently in different registers).
    template <class T>
    static bool is(const TAVTableModel *model)
    {
        return model && model->metaObject() == &T::staticMetaObject;
    }
    QSqlRecord emptyRecord() const { return m_emptyRecord; }
    int fieldIndex(const QString &name) const;
    QSqlRelation relation(int column) const { return m_relations.value(column); }
    // One cell without building a record; heavy columns are not at hand.
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &column) const { return value(row, fieldIndex(column)); }
    // The row holding this key, reading pages as needed; -1 when the key
    // is not among the rows the filter gives.
    int rowOfKey(const QVariant &key);
    QString sortColumnName() const;
    // The order the register shows, for a print over its table or view
    // (ending in ", " so the print's own key order follows); empty when the
    // sort column is the view's own, which the table lacks.
    QString printOrder() const;
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    QString tableName() const { return m_tableName; }
    QString viewName() const { return m_viewName; }
    QString sourceName() const;
    QString recordReportName() const { return m_recordReportName; }
    QString tableReportName() const { return m_tableReportName; }
    QList<QPair<QString, QString>> detailReports() const { return m_detailReports; }
    QVariant lastId() const { return m_lastId; }
    // Counts this model's successful writes, so that a register knows
    // whether a command wrote through it at all.
    int writeCount() const { return m_writeCount; }
    int systemRowMode() const { return m_systemRowMode; }
    bool useView() const { return m_useView; }
    QString context() const { return m_context; }
    QString selectStatement() const { return m_selectStatement; }
    QSqlIndex primaryIndex() const { return m_primaryIndex; }
    QString primaryKeyName() const;
    // Header labels by column name, for messages that name a field.
    QHash<QString, QString> fieldLabels() const;

    QList<QAction *> actions() const { return m_actions; }

    QAbstractItemDelegate *rowDelegate();
    QVector<QPair<int, QAbstractItemDelegate *>> columnDelegates();
    QVector<QPair<QString, int>> columnsOrder();
    QVector<QPair<QString, int>> searchFields();
    // A condition choice of the search panel: its caption and its items
    // (caption, SQL condition; an empty condition adds nothing).
    QString searchChoiceLabel(const QString &name) const { return m_searchChoices.value(name).first; }
    QList<QPair<QString, QString>> searchChoiceItems(const QString &name) const
    {
        return m_searchChoices.value(name).second;
    }
    // Columns a scanned code is looked up in (a "Skanuj" field on the
    // register's toolbar); none: no such field.
    QStringList scanColumns() const { return m_scanColumns; }
    // The keys of the rows, among those the filter gives, that hold exactly
    // this text in one of the scan columns (rows found by earlier columns
    // first, at most `limit`); empty when none does. A bar code names a
    // product, so two tools may share one.
    QVariantList scanKeys(const QString &text, const QString &filter, int limit = 50) const;
    QVariant scanKey(const QString &text, const QString &filter) const
    {
        const QVariantList keys = scanKeys(text, filter, 1);
        return keys.isEmpty() ? QVariant() : keys.first();
    }
    // The statement scanKeys() runs, the text as $1.
    QString scanStatement(const QString &filter, int limit) const;
    // A register that records each scan instead of looking the code up
    // (a stocktake's scans under its parent row): what came of one code,
    // the line the scan field shows and the row to select. Not found: no
    // such register, the code is looked up as usual.
    struct ScanRecord
    {
        bool recorded = false;
        QString text;
        bool fine = true;
        QVariant key;
    };
    virtual ScanRecord recordScan(const QString &code, int parentKey, QWidget *parent)
    {
        Q_UNUSED(code)
        Q_UNUSED(parentKey)
        Q_UNUSED(parent)
        return {};
    }
    // A register shown under another is told the key of the row it now
    // belongs to (0: none); nothing by default.
    virtual void parentKeyChanged(int key) { Q_UNUSED(key) }
    // One widget of the register's own before its scan field (a choice the
    // scans depend on); none by default.
    virtual QWidget *toolBarWidget(QWidget *parent)
    {
        Q_UNUSED(parent)
        return nullptr;
    }

    void setUseView(bool use);

    // Writing. A failed write shows its box unless errors are kept quiet
    // (a movement command shows its own message instead); the error stays
    // readable either way.
    bool insert(const QSqlRecord &_rec, const QModelIndex _modelIndex);
    bool update(const QSqlRecord &_rec, const QModelIndex _modelIndex);
    bool remove(const QSqlRecord &_rec, const QModelIndex _modelIndex);
    void setShowErrors(bool show) { m_showErrors = show; }
    // The row's version as the database keeps it; the next update writes
    // only when the row still has the version given (a dialog that stayed
    // open while another workstation saved the row says so instead).
    QString rowVersion(const QVariant &key) const;
    void expectVersion(const QString &version) { m_expectedVersion = version; }
    bool showErrors() const { return m_showErrors; }
    TAVDbError lastError() const { return m_lastError; }
    QString lastSqlState() const { return m_lastError.sqlState; }
    QString lastErrorCause() const;

    // Reads these rows again and puts them where they now belong.
    void refreshRows(const QList<qint64> &keys);
    // Reads the count and the rows again, keeping what the view shows.
    void refresh();

    // For tests and support: what is cached, and the page sizes.
    const TAVRowCache &cache() const { return m_cache; }
    void setPageSizes(int first, int max);
    // Rows kept at most; far ones are read again when needed.
    void setCacheLimit(int rows) { m_cache.setMaxRows(qMax(rows, m_maxPage)); }
    // Registers with more rows than this count in the background (tests
    // lower it to see a large register with a few thousand rows).
    void setExactLimit(int rows) { m_exactLimit = rows; }
    // Whether the row count is the server's exact count yet.
    bool countIsExact() const { return m_countExact; }
    bool isLarge() const { return m_large; }

public Q_SLOTS:
    // Left for registers whose commands follow a later change of context.
    virtual void setCommands();

Q_SIGNALS:
    // A read failed; the view keeps what it had.
    void readFailed();

protected:
    void setSystemRowMode(int mode) { m_systemRowMode = mode; }
    void setTableName(const QString &name) { m_tableName = name; }
    // Rows too private for the log (passwords): no query, filter or error
    // text of the register is written there.
    void setUnlogged() { m_unlogged = true; }
    void setViewName(const QString &name) { m_viewName = name; }
    void setRecordReportName(const QString &name) { m_recordReportName = name; }
    void setTableReportName(const QString &name) { m_tableReportName = name; }
    void addDetailReport(const QString &reportName, const QString &column)
    {
        m_detailReports.append(qMakePair(reportName, column));
    }
    void setRelation(const QString &column, const QSqlRelation &relation);
    // The rows show something of another table whose rows point at them
    // through `column`: a change there reads the pointed-at rows again.
    void addDependency(const QString &table, const QString &column) { m_dependencies.insert(table, column); }
    // A value every new record starts with.
    void setDefaultValue(const QString &column, const QVariant &value) { m_defaults.insert(column, value); }

    void setHeader(const QString &column, const QString &label, const QString &toolTip = QString());
    // The audit columns labelled with their own upper-case names.
    void setAuditHeaders();
    // Indexes of the five audit columns.
    QVector<int> auditColumns() const;
    // Columns hidden besides the key and the audit columns.
    void hideColumns(const QStringList &columns) { m_hiddenNames += columns; }
    // Heavy columns (a photo): never read for the table, only for record().
    void addLazyColumn(const QString &column) { m_lazyNames << column; }
    // A non-empty context takes every command away (pick lists).
    void setContextClearsActions(bool clears) { m_contextClearsActions = clears; }
    // The column that tells rows apart when the view repeats the table's key.
    void setRowKeyColumn(const QString &column) { m_rowKeyName = column; }
    // Rows whose identity is not the table's key are read again whole.
    void setRefreshWholeOnChange(bool whole) { m_refreshWhole = whole; }

    void addAction(const QString &commandName, const QString &text, const QString &toolTip = QString(),
                   const QString &whatsThis = QString(), bool needsRow = true);
    void clearActions();
    void setRowDelegate(QAbstractItemDelegate *delegate);
    void addColumnDelegate(const QString &column, QAbstractItemDelegate *delegate);
    void addColumnOrder(const QString &column, int position);
    void addColumnOrderLast(const QString &column);
    void addSearchField(const QString &column, int kind);
    void addSearchFields(const QStringList &columns, int kind = TextSearch);
    // A choice in the search panel whose items add their own conditions.
    void addSearchChoice(const QString &name, const QString &label, const QList<QPair<QString, QString>> &items);
    void setScanColumns(const QStringList &columns) { m_scanColumns = columns; }
    // A flag shown as words, colouring its row: the row delegate and the
    // column delegate are made from this one declaration.
    template <typename Words>
    void addFlagColumn(const QString &column, FlagPaint paint)
    {
        m_flags.append({column, paint, [] { return static_cast<TAVItemDelegateDisplayTextStrategy *>(new Words); }});
    }

private:
    using WriteOp = TAVRowWriter::Op;
    struct Flag
    {
        QString column;
        FlagPaint paint;
        std::function<TAVItemDelegateDisplayTextStrategy *()> words;
    };
    using Page = TAVRowReader::Page;

    bool write(WriteOp op, const QSqlRecord &rec, const QModelIndex &index);
    void reportWriteError(WriteOp op, const QString &statement);
    void applyOwnWrite(WriteOp op, qint64 key, int knownRow);
    void onRowsChanged(const QString &table, const QList<qint64> &keys, QObject *origin);
    void onTableChanged(const QString &table);
    void placeRow(qint64 key, int oldRow, const QByteArray *fresh);

    void setUpColumns();
    QString fetchedColumnList() const;
    // The reader of the rows as the model shows them now.
    TAVRowReader reader() const;
    QString whereClause(const QString &extra = QString()) const;
    QString orderClause(bool ascending) const;
    bool displayAscending() const { return m_sortOrder == Qt::AscendingOrder; }
    bool ensureRow(int row) const;
    void readEmptyRecord();
    // The name of the key among the fetched cells.
    QString keyColumnName() const { return m_columns.fieldName(m_columnOf.value(m_keyCell)); }
    // The cached row at a position, its page read first when missing.
    const QByteArray *cachedRow(int row) const;
    bool fetchPage(int row) const;
    bool fetchAround(int row) const;
    int countBefore(const QByteArray &row) const;
    int sortCell() const;
    int keyCell() const { return m_keyCell; }
    QByteArray readOne(qint64 key, bool *found) const;
    void readFailedNow(const TAVDbError &error) const;
    // Large registers: rows counted or found missing while reading are
    // added or taken away once the view is not asking for data.
    void endsAt(int end) const;
    void resizeLater(int pos, int delta) const;
    void flushResizes();
    void resizeNow(int pos, int delta);
    int readAroundRow(qint64 key, const QByteArray &row);
    void placeAmongHeld(qint64 key, int oldRow, const QByteArray *fresh, bool isNew);
    // Changes of rows told to the view, the cache changed alongside.
    // samePlace: a held row and its fresh copy sort to the same place.
    bool samePlace(const QByteArray &held, const QByteArray &fresh) const;
    void replaceHeld(int pos, const QByteArray &row, qint64 key);
    void moveHeld(int from, int to, const QByteArray &row, qint64 key);
    void removeHeld(int pos);
    // A row appears at pos: held when given and next to held rows, else a gap.
    void addRow(int pos, const QByteArray *row, qint64 key);
    void resizeRows(int pos, int delta, bool shiftCache);
    void requestCount();
    void recountLater();
    void countArrived(qint64 exact);
    bool isSystemRow(const QModelIndex &index) const;

    // What the model shows.
    QString m_tableName;
    QString m_viewName;
    QString m_recordReportName;
    QList<QPair<QString, QString>> m_detailReports;
    QString m_tableReportName;
    QList<QAction *> m_actions;
    QString m_selectStatement;
    QSqlIndex m_primaryIndex;
    QSqlRecord m_emptyRecord;
    QSqlRecord m_columns;             // the source's fields as the driver types them
    QVector<int> m_fetchedOf;         // model column -> cell in a cached row, -1 for heavy columns
    QVector<QMetaType> m_columnTypes; // model column -> its type (data() runs per cell)
    QVector<int> m_columnOf;          // cell -> model column
    QVector<QHash<int, QVariant>> m_headers;
    QHash<int, QSqlRelation> m_relations;
    QHash<QString, QSqlRelation> m_relationNames;   // as declared, before the columns are known
    QHash<QString, int> m_nameIndex;
    QStringList m_hiddenNames;
    QStringList m_lazyNames;
    QString m_rowKeyName;
    int m_keyCell = 0;
    bool m_refreshWhole = false;
    QString m_context;
    bool m_contextClearsActions = false;
    QList<Flag> m_flags;
    QMap<QString, QVariant> m_defaults;
    QMultiHash<QString, QString> m_dependencies;

    // Reading state.
    QString m_filter;
    int m_sortColumn = -1;            // the sort the user asked for, -1 until then
    int m_orderColumn = 0;            // the column rows are ordered by
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_active = false;
    int m_count = 0;
    mutable TAVRowCache m_cache;
    mutable TAVRowReader::CellTypes m_types;
    // Beyond this many rows the count and the positions away from the rows
    // held are estimates, kept right where reads meet the first or last row
    // and by a count made in the background.
    int m_exactLimit = 100000;
    bool m_large = false;
    bool m_countExact = true;
    int m_generation = 0;
    int m_changeSerial = 0;
    mutable int m_knownCount = 0;
    mutable QList<QPair<int, int>> m_resizes;
    mutable int m_forwardSize = 0;
    int m_firstPage = 256;
    int m_maxPage = 8192;

    // Writing state.
    QVariant m_lastId;
    int m_writeCount = 0;
    TAVDbError m_lastError;
    bool m_showErrors = true;
    QString m_expectedVersion;
    int m_systemRowMode = SystemRowsNoDelete;
    bool m_useView = true;

    QAbstractItemDelegate *m_rowDelegate = nullptr;
    bool m_unlogged = false;
    QVector<QPair<int, QAbstractItemDelegate *>> m_columnDelegates;
    QVector<QPair<QString, int>> m_columnsOrder;
    QVector<QPair<QString, int>> m_searchFields;
    QHash<QString, QPair<QString, QList<QPair<QString, QString>>>> m_searchChoices;
    QStringList m_scanColumns;
    mutable QSqlRelationalTableModel *m_compat = nullptr;
};

// The base of a register's model: makes new instances of the register's
// own class for the model factory.
template <typename Derived, typename Base = TAVTableModel>
class TAVModel : public Base
{
public:
    using Base::Base;
    TAVTableModel *createInstance() override { return new Derived; }
};
