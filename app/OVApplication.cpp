#include "OVApplication.h"

#include "CommandRegistration.h"

#include "Factories.h"
#include "ModelRegistration.h"
#include "TAVValidator.h"

#include "TAVTableModel.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QSqlQuery>
#include <QSqlRecord>

#include <memory>
#include <QSqlDatabase>
#include <QSqlError>

static void initCompiledResources()
{
    Q_INIT_RESOURCE(orvalo);
}

namespace {
OVApplication *s_instance = nullptr;
}

QString OVApplication::programVersion() { return QStringLiteral("1.0.0.0"); }
QString OVApplication::expectedSchemaVersion() { return QStringLiteral("01.11.0000"); }
QString OVApplication::defaultHostName() { return QStringLiteral("localhost"); }
int OVApplication::defaultPort() { return 5432; }
QString OVApplication::defaultDatabaseName() { return QStringLiteral("TAV_ORV"); }
QString OVApplication::defaultDbUserName() { return QStringLiteral("tav_orv_user"); }
QString OVApplication::defaultDbUserPassword() { return QStringLiteral("MOB_tae"); }
QString OVApplication::organizationNameValue() { return QStringLiteral("TAV"); }
QString OVApplication::organizationDomainValue() { return QStringLiteral("tav.com.pl"); }

OVApplication::OVApplication(int &argc, char **argv)
    : QApplication(argc, argv),
      m_hostName(defaultHostName()),
      m_port(defaultPort()),
      m_databaseName(defaultDatabaseName()),
      m_dbUserName(defaultDbUserName()),
      m_dbUserPassword(defaultDbUserPassword()),
      m_version(programVersion())
{
    // Qt 6 reads every byte string and translation as UTF-8 already.
    setOrganizationName(organizationNameValue());
    setOrganizationDomain(organizationDomainValue());
    setApplicationName(QStringLiteral("Orvalo"));
    setApplicationVersion(m_version);
    s_instance = this;
    initCompiledResources();
    registerCommands();
    registerModels();
}

void OVApplication::registerCommands()
{
    // Commands join here as their registers land.
    registerMasterDataCommands();
}

void OVApplication::registerModels()
{
    registerMasterDataModels();
}

OVApplication::~OVApplication()
{
    SFCommands::destroy();
    SFModels::destroy();
    TAVValidatorManager::destroy();
    {
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
        if (db.isValid())
            db.close();
    }
    if (QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection)))
        QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    if (s_instance == this)
        s_instance = nullptr;
}

OVApplication *OVApplication::instance()
{
    return s_instance;
}

bool OVApplication::connectDatabase(const QString &_hostName, const int _port,
                                    const QString &_databaseName, const QString &_dbUserName,
                                    const QString &_dbUserPassword)
{
    // A profile carries no database name: the program's own is always opened.
    Q_UNUSED(_databaseName);

    // A retry replaces the earlier attempt under the same default name.
    if (QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection))) {
        {
            QSqlDatabase old = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
            old.close();
        }
        QSqlDatabase::removeDatabase(QLatin1String(QSqlDatabase::defaultConnection));
    }

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
    db.setHostName(_hostName);
    db.setPort(_port);
    db.setDatabaseName(m_databaseName);
    db.setUserName(_dbUserName);
    db.setPassword(_dbUserPassword);
    // An unreachable server must not leave the login dialog frozen for minutes.
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    if (!db.open()) {
        qDebug() << "OVApplication::connectDatabase( const QString& _hostName, const int _port, "
                    "const QString& _databaseName, const QString& _dbUserName, "
                    "const QString& _dbUserPassword )";
        qDebug() << "   Connection faild:" << db.lastError().text();
        return false;
    }
    return true;
}

QString OVApplication::passwordDigest(const QString &password)
{
    return QString::fromLatin1(QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha1).toHex());
}

namespace {
// Doubles apostrophes so that a value placed in a filter literal stays a value.
QString sqlLiteralText(const QString &text)
{
    QString out = text;
    return out.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString joinIds(const QList<qint32> &ids)
{
    QStringList parts;
    for (qint32 id : ids)
        parts << QString::number(id);
    return parts.join(QStringLiteral(", "));
}
} // namespace

bool OVApplication::loginToApp(QString _login, QString _password, qint32 &outUztId) const
{
    const QString digest = passwordDigest(_password);
    std::unique_ptr<TAVTableModel> model(SFModels::instance()->create(QStringLiteral("UzytkownicyModel"), QString()));
    if (!model)
        return false;
    model->setFilter(QStringLiteral("uzt_login = '%1' AND uzt_haslo = '%2'")
                             .arg(sqlLiteralText(_login), sqlLiteralText(digest)));
    model->select();
    const int rows = model->rowCount();
    qDebug() << "OVApplication::loginToApp( QString _login, QString _password, qint32& outUztId ) const";
    qDebug() << "   Row count is:" << rows;
    if (rows != 1)
        return false;
    const qint32 id = model->record(0).value(QStringLiteral("uzt_id")).toInt();
    qDebug() << "   UztId is:" << id;
    if (id <= 0)
        return false;
    outUztId = id;
    return true;
}

bool OVApplication::isAdmin()
{
    if (!m_adminCache.isValid())
        m_adminCache = isAdmin(m_uztId);
    return m_adminCache.toBool();
}

bool OVApplication::isAdmin(qint32 uztId) const
{
    std::unique_ptr<TAVTableModel> model(SFModels::instance()->create(QStringLiteral("OvUprawnieniaAdminModel"), QString()));
    if (!model)
        return false;
    model->setFilter(QStringLiteral("ovupradm_fk_uzt = %1").arg(uztId));
    model->select();
    return model->rowCount() == 1;
}

QList<qint32> OVApplication::uprMgz(qint32 _uztId) const
{
    QList<qint32> ids;
    std::unique_ptr<TAVTableModel> model(SFModels::instance()->create(QStringLiteral("OvUprawnieniaMgzModel"), QString()));
    if (model) {
        model->setFilter(QStringLiteral("ovuprmgz_fk_uzt = %1").arg(_uztId));
        model->select();
        while (model->sqlModel()->canFetchMore())
            model->sqlModel()->fetchMore();
        for (int i = 0; i < model->rowCount(); ++i)
            ids << model->record(i).value(QStringLiteral("ovuprmgz_fk_mgz")).toInt();
    }
    qDebug() << "OVApplication::uprMgz( qint32 _uztId ) const";
    qDebug() << "   ov_uprawnienia_mgz for uzt_id =" << _uztId << ids;
    return ids;
}

QList<qint32> OVApplication::uprMgz() const
{
    if (m_uprMgzCache.isEmpty())
        m_uprMgzCache = uprMgz(m_uztId);
    qDebug() << "OVApplication::uprMgz() const";
    qDebug() << "   ov_uprawnienia_mgz for current user =" << m_uprMgzCache;
    return m_uprMgzCache;
}

QStringList OVApplication::uprMgzSymbols(qint32 uztId) const
{
    const QList<qint32> ids = uprMgz(uztId);
    QStringList symbols;
    if (ids.isEmpty())
        return symbols;
    QSqlQuery query(QSqlDatabase::database());
    if (query.exec(QStringLiteral("SELECT mgz_symbol FROM magazyny WHERE mgz_id IN( %1 ) ORDER BY mgz_symbol;").arg(joinIds(ids)))) {
        while (query.next())
            symbols << query.value(0).toString();
    }
    return symbols;
}

QString OVApplication::uprMgzAsString(qint32 uztId) const
{
    return joinIds(uprMgz(uztId));
}
