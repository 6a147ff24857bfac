#include "TAVTableModel.h"

#include "OVApplication.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QDebug>
#include <QMessageBox>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRelationalTableModel>
#include <QSqlResult>

#include <libpq-fe.h>

namespace {
const char *kInsertSig = "TAVTableModel::insert( const QSqlRecord& _rec, const QModelIndex _modelIndex )";
const char *kUpdateSig = "TAVTableModel::update( const QSqlRecord& _rec, const QModelIndex _modelIndex )";
const char *kRemoveSig = "TAVTableModel::remove( const QSqlRecord& _rec, const QModelIndex _modelIndex )";
const char *kSelectSig = "TAVTableModel::select()";
const char *kPrepareSig = "TAVTableModel::prepareEmptyNullValues( QSqlRecord& _rec )";

const QString kUsersTable = QStringLiteral("uzytkownicy");

void box(QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox msg(icon, title, text, QMessageBox::Ok);
    msg.exec();
}

// A null of the field's own type, so the driver binds a typed NULL.
QVariant boundValue(const QSqlField &field)
{
    const QVariant v = field.value();
    if (v.isNull())
        return QVariant(field.metaType());
    return v;
}
} // namespace

TAVTableModel::TAVTableModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_sqlModel = new QSqlRelationalTableModel(this, QSqlDatabase::database());
    m_sqlModel->setEditStrategy(QSqlTableModel::OnManualSubmit);
    // Rows whose foreign key is null must stay visible.
    m_sqlModel->setJoinMode(QSqlRelationalTableModel::LeftJoin);
}

TAVTableModel::~TAVTableModel()
{
    delete m_query;
    delete m_rowDelegate;
    for (const auto &d : std::as_const(m_columnDelegates))
        delete d.second;
}

int TAVTableModel::rowCount(const QModelIndex &) const { return m_sqlModel->rowCount(QModelIndex()); }
int TAVTableModel::columnCount(const QModelIndex &) const { return m_sqlModel->columnCount(QModelIndex()); }

QVariant TAVTableModel::data(const QModelIndex &index, int role) const
{
    return m_sqlModel->data(m_sqlModel->index(index.row(), index.column()), role);
}

QVariant TAVTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_sqlModel->headerData(section, orientation, role);
}

bool TAVTableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    return m_sqlModel->setHeaderData(section, orientation, value, role);
}

void TAVTableModel::sort(int _column, Qt::SortOrder _order)
{
    qDebug() << "TAVTableModel::sort( int _column, Qt::SortOrder _order )";
    if (_column == m_sortColumn && _order == m_sortOrder)
        return;
    m_sortColumn = _column;
    m_sortOrder = _order;
    setSort(_column, _order);
    select();
}

void TAVTableModel::setSort(int _column, Qt::SortOrder _order)
{
    qDebug() << "TAVTableModel::setSort( int _column, Qt::SortOrder _order )";
    m_sqlModel->setSort(_column, _order);
}

void TAVTableModel::setSort(const QString &column, Qt::SortOrder order)
{
    setSort(fieldIndex(column), order);
}

void TAVTableModel::sort(const QString &column, Qt::SortOrder order)
{
    sort(fieldIndex(column), order);
}

void TAVTableModel::initialize()
{
    setNames();
    generateSelectStatement();
    pointInnerModel();
    m_emptyRecord = QSqlDatabase::database().record(m_tableName);
    // A field without a value is "not given"; the driver hands out typed nulls.
    for (int i = 0; i < m_emptyRecord.count(); ++i)
        m_emptyRecord.setValue(i, QVariant());
    setHeaders();
    createActions();
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    m_sqlModel->setSort(0, Qt::AscendingOrder);
}

void TAVTableModel::pointInnerModel()
{
    if (m_useView && !m_viewName.isEmpty())
        m_sqlModel->setTable(m_viewName);
    else
        m_sqlModel->setTable(m_tableName);
}

void TAVTableModel::setActions(QString) {}

void TAVTableModel::generateSelectStatement()
{
    QSqlDatabase db = QSqlDatabase::database();
    QSqlDriver *driver = db.driver();
    const QSqlRecord rec = driver->record(m_tableName);
    m_selectStatement = driver->sqlStatement(QSqlDriver::SelectStatement, m_tableName, rec, false);
    m_primaryIndex = driver->primaryIndex(m_tableName);
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

void TAVTableModel::createRowDelegate() {}
void TAVTableModel::createColumnDelegates() {}
void TAVTableModel::createColumnsOrder() {}
void TAVTableModel::createSearchFields() {}

bool TAVTableModel::select()
{
    const bool ok = m_sqlModel->select();
    qDebug() << kSelectSig;
    const bool users = m_sqlModel->tableName() == kUsersTable;
    if (users) {
        qDebug() << "   uzytkownicy - brak logowania ze wzgledow bezpieczenstwa";
    } else {
        qDebug() << "   filter:" << m_sqlModel->filter();
        qDebug() << "   select query:" << m_sqlModel->query().lastQuery();
    }
    if (ok)
        return true;
    const QSqlError err = m_sqlModel->lastError();
    qDebug() << kSelectSig;
    if (users) {
        // The driver's text may quote the login and password digest.
        qDebug() << "   error number:" << err.nativeErrorCode();
    } else {
        qDebug() << "   error text:" << err.text();
        qDebug() << "   error number:" << err.nativeErrorCode();
        qDebug() << "   error database text:" << err.databaseText();
    }
    return false;
}

void TAVTableModel::setFilter(const QString &_filter)
{
    m_sqlModel->setFilter(_filter);
    const QSqlError err = m_sqlModel->lastError();
    if (err.type() != QSqlError::NoError) {
        qCritical() << "TAVTableModel::setFilter( const QString& _filter )";
        if (m_sqlModel->tableName() == kUsersTable)
            qCritical() << "   invalid filter:" << err.nativeErrorCode();
        else
            qCritical() << "   invalid filter:" << err;
    }
}

QString TAVTableModel::filter() const { return m_sqlModel->filter(); }

QSqlRecord TAVTableModel::record(int row) const { return m_sqlModel->record(row); }

int TAVTableModel::fieldIndex(const QString &name) const
{
    return m_sqlModel->record().indexOf(name);
}

QSqlRelation TAVTableModel::relation(int column) const { return m_sqlModel->relation(column); }

QString TAVTableModel::primaryKeyName() const
{
    return m_primaryIndex.count() > 0 ? m_primaryIndex.fieldName(0) : QString();
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
    pointInnerModel();
    setHeaders();
}

void TAVTableModel::setHeader(const QString &column, const QString &label)
{
    const int idx = fieldIndex(column);
    if (idx >= 0)
        m_sqlModel->setHeaderData(idx, Qt::Horizontal, label, Qt::EditRole);
}

void TAVTableModel::setAuditHeaders()
{
    for (const char *name : {"SYSTEMOWY", "FK_UZT_STWORZONO", "FK_UZT_ZMODYFIKOWANO", "STWORZONO", "ZMODYFIKOWANO"})
        setHeader(QString::fromLatin1(name), QString::fromLatin1(name));
}

QVector<int> TAVTableModel::auditColumns() const
{
    QVector<int> cols;
    for (const char *name : {"SYSTEMOWY", "FK_UZT_STWORZONO", "FK_UZT_ZMODYFIKOWANO", "STWORZONO", "ZMODYFIKOWANO"}) {
        const int idx = fieldIndex(QString::fromLatin1(name));
        if (idx >= 0)
            cols << idx;
    }
    return cols;
}

void TAVTableModel::addAction(const QString &commandName, const QString &text,
                              const QString &toolTip, const QString &whatsThis)
{
    auto *action = new QAction(text, this);
    if (!toolTip.isEmpty())
        action->setToolTip(toolTip);
    if (!whatsThis.isEmpty())
        action->setWhatsThis(whatsThis);
    action->setProperty("commandName", commandName);
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

bool TAVTableModel::isSystemRow(const QModelIndex &index) const
{
    if (!index.isValid())
        return false;
    const QSqlRecord row = m_sqlModel->record(index.row());
    const int idx = row.indexOf(QStringLiteral("systemowy"));
    return idx >= 0 && row.value(idx).toBool();
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

void TAVTableModel::bindRecord(QSqlQuery &query, const QSqlRecord &rec) const
{
    for (int i = 0; i < rec.count(); ++i)
        query.addBindValue(boundValue(rec.field(i)));
}

void TAVTableModel::logQueryError(const char *signature, const char *queryLabel, const QString &statement,
                                  const QSqlQuery &query, bool withPrimaryIndex) const
{
    const QSqlError err = query.lastError();
    qDebug() << signature;
    qDebug() << queryLabel << statement;
    if (withPrimaryIndex)
        qDebug() << "   primaryIndex:" << m_primaryIndex;
    qDebug() << "   error - databaser text:" << err.databaseText();
    qDebug() << "   error - driver text:" << err.driverText();
    qDebug() << "   error - number:" << err.nativeErrorCode();
    qDebug() << "   error - type:" << err.type();
}

QString TAVTableModel::sqlStateOf(const QSqlQuery &query)
{
    const QSqlResult *result = query.result();
    const QVariant handle = result ? result->handle() : QVariant();
    if (handle.isValid() && qstrcmp(handle.typeName(), "PGresult*") == 0) {
        const PGresult *res = *static_cast<PGresult *const *>(handle.constData());
        if (res) {
            const char *code = PQresultErrorField(res, PG_DIAG_SQLSTATE);
            if (code)
                return QString::fromLatin1(code);
        }
    }
    // The driver has released its result: its error still knows the state.
    return query.lastError().nativeErrorCode();
}

bool TAVTableModel::insert(const QSqlRecord &_rec, const QModelIndex _modelIndex)
{
    Q_UNUSED(_modelIndex);
    QSqlRecord rec = _rec;
    prepareEmptyNullValues(rec);
    const qint32 uzt = OVApplication::instance() ? OVApplication::instance()->uztId() : 0;
    // 0 means no user yet; the audit key is then left empty rather than dangling.
    const QVariant user = uzt > 0 ? QVariant(uzt) : QVariant(QMetaType::fromType<int>());
    for (const char *name : {"fk_uzt_stworzono", "fk_uzt_zmodyfikowano"}) {
        const int idx = rec.indexOf(QString::fromLatin1(name));
        if (idx >= 0)
            rec.setValue(idx, user);
    }

    const QSqlRecord given = givenFields(rec);
    QSqlDatabase db = QSqlDatabase::database();
    const QString statement = db.driver()->sqlStatement(QSqlDriver::InsertStatement, m_tableName, given, true)
            + QStringLiteral(" RETURNING ") + primaryKeyName();

    m_query = new QSqlQuery(db);
    bool ok = false;
    if (!m_query->prepare(statement)) {
        qDebug() << kInsertSig;
        qDebug() << "   cannot prepare query:" << statement;
        box(QMessageBox::Warning, QStringLiteral("insert"), QStringLiteral("nieudane prepare"));
        m_lastId = QVariant();
    } else {
        bindRecord(*m_query, given);
        if (!m_query->exec()) {
            logQueryError(kInsertSig, "   insert query:", statement, *m_query, false);
            box(QMessageBox::Warning, QStringLiteral("insert"), QStringLiteral("nieudane insert"));
            m_lastId = QVariant();
        } else {
            if (m_query->next()) {
                qDebug() << "Last inserted PK:" << m_query->value(0).toString();
                m_lastId = m_query->value(0);
            }
            m_sqlModel->select();
            beginInsertRows(QModelIndex(), 0, 0);
            endInsertRows();
            ok = true;
        }
    }
    delete m_query;
    m_query = nullptr;
    return ok;
}

bool TAVTableModel::update(const QSqlRecord &_rec, const QModelIndex _modelIndex)
{
    if ((m_systemRowMode == 1 || m_systemRowMode == 3) && isSystemRow(_modelIndex)) {
        box(QMessageBox::Information, QStringLiteral("Edycja wpisu"),
            QStringLiteral("Wpis systemowy - nie można go edytować."));
        return false;
    }
    QSqlRecord rec = _rec;
    prepareEmptyNullValues(rec);
    if (givenFields(rec).isEmpty())
        return false;
    const qint32 uzt = OVApplication::instance() ? OVApplication::instance()->uztId() : 0;
    const int modIdx = rec.indexOf(QStringLiteral("fk_uzt_zmodyfikowano"));
    if (modIdx >= 0)
        rec.setValue(modIdx, uzt > 0 ? QVariant(uzt) : QVariant(QMetaType::fromType<int>()));

    const QString pk = primaryKeyName();
    QVariant key;
    if (_modelIndex.isValid())
        key = m_sqlModel->record(_modelIndex.row()).value(pk);
    else if (_rec.indexOf(pk) >= 0)
        key = _rec.value(pk);
    // Without a key the WHERE would match nothing (or, unbound, fail).
    if (!key.isValid() || key.isNull()) {
        qDebug() << kUpdateSig;
        qDebug() << "   no key of the row to update";
        m_lastId = QVariant();
        return false;
    }
    QSqlRecord where;
    QSqlField keyField = m_emptyRecord.field(pk);
    keyField.setValue(key);
    where.append(keyField);

    // The key is never rewritten by an edit.
    const int pkIdx = rec.indexOf(pk);
    if (pkIdx >= 0)
        rec.setValue(pkIdx, QVariant());
    const QSqlRecord given = givenFields(rec);

    QSqlDatabase db = QSqlDatabase::database();
    QSqlDriver *driver = db.driver();
    const QString statement = driver->sqlStatement(QSqlDriver::UpdateStatement, m_tableName, given, true)
            + QLatin1Char(' ') + driver->sqlStatement(QSqlDriver::WhereStatement, m_tableName, where, true);

    m_query = new QSqlQuery(db);
    bool ok = false;
    const bool prepared = m_query->prepare(statement);
    qDebug() << kUpdateSig;
    qDebug() << "   update query:" << statement;
    if (!prepared) {
        qDebug() << kUpdateSig;
        qDebug() << "   cannot prepare query:" << statement;
        box(QMessageBox::Warning, QStringLiteral("insert"), QStringLiteral("nieudane prepare"));
        m_lastId = QVariant();
    } else {
        bindRecord(*m_query, given);
        m_query->addBindValue(key);
        if (!m_query->exec()) {
            logQueryError(kUpdateSig, "   update query:", statement, *m_query, true);
            box(QMessageBox::Warning, QStringLiteral("insert"), QStringLiteral("nieudane insert"));
            m_lastId = QVariant();
        } else if (m_query->numRowsAffected() == 0) {
            // Another workstation deleted the row meanwhile: nothing was saved.
            m_sqlModel->select();
            box(QMessageBox::Warning, QStringLiteral("Edycja wpisu"),
                QStringLiteral("Wpis nie istnieje już w bazie danych. Mógł zostać usunięty na innym stanowisku."));
            m_lastId = QVariant();
        } else {
            m_sqlModel->select();
            Q_EMIT dataChanged(_modelIndex, _modelIndex);
            m_lastId = key;
            ok = true;
        }
    }
    delete m_query;
    m_query = nullptr;
    return ok;
}

bool TAVTableModel::remove(const QSqlRecord &_rec, const QModelIndex _modelIndex)
{
    if ((m_systemRowMode == 2 || m_systemRowMode == 3) && isSystemRow(_modelIndex)) {
        box(QMessageBox::Information, QStringLiteral("Usuwanie wpisu"),
            QStringLiteral("Wpis systemowy - nie można go usunąć."));
        return false;
    }
    const QString pk = primaryKeyName();
    QVariant key;
    QVariant above;
    if (_modelIndex.isValid()) {
        key = m_sqlModel->record(_modelIndex.row()).value(pk);
        if (_modelIndex.row() > 0)
            above = m_sqlModel->record(_modelIndex.row() - 1).value(pk);
    } else if (_rec.indexOf(pk) >= 0) {
        key = _rec.value(pk);
    }
    // Without a key the WHERE would match nothing (or, unbound, fail).
    if (!key.isValid() || key.isNull()) {
        qDebug() << kRemoveSig;
        qDebug() << "   no key of the row to delete";
        m_lastId = QVariant();
        return false;
    }
    QSqlRecord where;
    QSqlField keyField = m_emptyRecord.field(pk);
    keyField.setValue(key);
    where.append(keyField);

    QSqlDatabase db = QSqlDatabase::database();
    QSqlDriver *driver = db.driver();
    const QString statement = driver->sqlStatement(QSqlDriver::DeleteStatement, m_tableName, QSqlRecord(), true)
            + QLatin1Char(' ') + driver->sqlStatement(QSqlDriver::WhereStatement, m_tableName, where, true);

    m_query = new QSqlQuery(db);
    bool ok = false;
    if (!m_query->prepare(statement)) {
        qDebug() << kRemoveSig;
        qDebug() << "   cannot prepare query:" << statement;
        box(QMessageBox::Warning, QStringLiteral("delete"), QStringLiteral("nieudane prepare"));
        m_lastId = QVariant();
    } else {
        m_query->addBindValue(key);
        if (!m_query->exec()) {
            logQueryError(kRemoveSig, "   delete query:", statement, *m_query, true);
            QString message = QStringLiteral("Wystąpił błąd przy usuwaniu.");
            const QString state = sqlStateOf(*m_query);
            if (!state.isEmpty()) {
                qDebug() << kRemoveSig;
                qDebug() << "   PGresult error code:" << state;
                if (state == QLatin1String("23503"))
                    message = QStringLiteral("Nie można usunąć wpisu, ponieważ jest powiązany z innymi danymi.");
                else
                    message = QStringLiteral("Wystąpił błąd o numerze %1.").arg(state);
            }
            box(QMessageBox::Warning, QStringLiteral("Usuwanie wpisu"), message);
            m_lastId = QVariant();
        } else {
            m_sqlModel->select();
            beginRemoveRows(QModelIndex(), 0, 0);
            endRemoveRows();
            m_lastId = above;
            ok = true;
        }
    }
    delete m_query;
    m_query = nullptr;
    return ok;
}
