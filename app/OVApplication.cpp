#include "OVApplication.h"

#include <QDebug>
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
}

OVApplication::~OVApplication()
{
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
