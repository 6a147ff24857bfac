#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QPair>
#include <QSqlIndex>
#include <QSqlRecord>
#include <QSqlRelation>
#include <QVariant>
#include <QVector>

class QAbstractItemDelegate;
class QAction;
class QSqlQuery;
class QSqlRelationalTableModel;

// The generic model of every register: a subclass only fills the hooks;
// reading, filtering, sorting and the generated INSERT/UPDATE/DELETE with
// audit columns and system-row protection are done here once.
class TAVTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
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
    virtual QSqlRecord defaultRecord() = 0;
    virtual void setSort(int _column, Qt::SortOrder _order);
    virtual void setSort(const QString &column, Qt::SortOrder order);
    virtual void sort(const QString &column, Qt::SortOrder order);
    virtual void initialize();
    virtual QVector<int> hiddenColumns(QString context) = 0;
    virtual void setNames() = 0;
    virtual void setHeaders() = 0;
    virtual void createActions() = 0;
    virtual void setActions(QString _context);
    virtual void setCommands() = 0;
    virtual void generateSelectStatement();
    virtual void prepareEmptyNullValues(QSqlRecord &_rec);
    virtual void createRowDelegate();
    virtual void createColumnDelegates();
    virtual void createColumnsOrder();
    virtual void createSearchFields();

    QSqlRelationalTableModel *sqlModel() const { return m_sqlModel; }
    bool select();
    void setFilter(const QString &_filter);
    QString filter() const;

    QSqlRecord record(int row) const;
    QSqlRecord emptyRecord() const { return m_emptyRecord; }
    int fieldIndex(const QString &name) const;
    QSqlRelation relation(int column) const;

    QString tableName() const { return m_tableName; }
    QString viewName() const { return m_viewName; }
    QString recordReportName() const { return m_recordReportName; }
    QString tableReportName() const { return m_tableReportName; }
    QList<QPair<QString, QString>> detailReports() const { return m_detailReports; }
    QVariant lastId() const { return m_lastId; }
    int systemRowMode() const { return m_systemRowMode; }
    bool useView() const { return m_useView; }
    QString selectStatement() const { return m_selectStatement; }
    QSqlIndex primaryIndex() const { return m_primaryIndex; }
    QString primaryKeyName() const;

    QList<QAction *> actions() const { return m_actions; }

    QAbstractItemDelegate *rowDelegate();
    QVector<QPair<int, QAbstractItemDelegate *>> columnDelegates();
    QVector<QPair<QString, int>> columnsOrder();
    QVector<QPair<QString, int>> searchFields();

    void setUseView(bool use);

    bool insert(const QSqlRecord &_rec, const QModelIndex _modelIndex);
    bool update(const QSqlRecord &_rec, const QModelIndex _modelIndex);
    bool remove(const QSqlRecord &_rec, const QModelIndex _modelIndex);

protected:
    void setSystemRowMode(int mode) { m_systemRowMode = mode; }
    void setTableName(const QString &name) { m_tableName = name; }
    void setViewName(const QString &name) { m_viewName = name; }
    void setRecordReportName(const QString &name) { m_recordReportName = name; }
    void setTableReportName(const QString &name) { m_tableReportName = name; }
    void addDetailReport(const QString &reportName, const QString &column)
    {
        m_detailReports.append(qMakePair(reportName, column));
    }

    // Sets the header label of a column found by name (any letter case).
    void setHeader(const QString &column, const QString &label);
    // The audit columns labelled with their own upper-case names.
    void setAuditHeaders();
    // Indexes of the key column and the five audit columns.
    QVector<int> auditColumns() const;

    void addAction(const QString &commandName, const QString &text,
                   const QString &toolTip = QString(), const QString &whatsThis = QString());
    void clearActions();
    void setRowDelegate(QAbstractItemDelegate *delegate);
    void addColumnDelegate(const QString &column, QAbstractItemDelegate *delegate);
    void addColumnOrder(const QString &column, int position);
    void addColumnOrderLast(const QString &column);
    void addSearchField(const QString &column, int kind);

private:
    void pointInnerModel();
    bool isSystemRow(const QModelIndex &index) const;
    void bindRecord(QSqlQuery &query, const QSqlRecord &rec) const;
    void logQueryError(const char *signature, const char *queryLabel, const QString &statement,
                       const QSqlQuery &query, bool withPrimaryIndex) const;
    static QString sqlStateOf(const QSqlQuery &query);
    static QSqlRecord givenFields(const QSqlRecord &rec);

    QSqlRelationalTableModel *m_sqlModel = nullptr;
    QSqlQuery *m_query = nullptr;
    QString m_tableName;
    QString m_viewName;
    QString m_recordReportName;
    QList<QPair<QString, QString>> m_detailReports;
    QString m_tableReportName;
    QList<QAction *> m_actions;
    QString m_selectStatement;
    QSqlIndex m_primaryIndex;
    QSqlRecord m_emptyRecord;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QVariant m_lastId;
    int m_systemRowMode = 2;
    bool m_useView = true;
    QAbstractItemDelegate *m_rowDelegate = nullptr;
    QVector<QPair<int, QAbstractItemDelegate *>> m_columnDelegates;
    QVector<QPair<QString, int>> m_columnsOrder;
    QVector<QPair<QString, int>> m_searchFields;
};
