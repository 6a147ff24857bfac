#include "OVApplication.h"

#include "Registers.h"

#include "Factories.h"
#include "OvUprawnieniaAdminModel.h"
#include "OvUprawnieniaMgzModel.h"
#include "UzytkownicyModel.h"
#include "MovementRegisters.h"
#include "TAVValidator.h"

#include "TAVDb.h"
#include "TAVTableModel.h"
#include "TAVUiState.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QLocale>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>

#include <memory>
#include <QSqlDatabase>
#include <QSqlError>

static void initCompiledResources()
{
    Q_INIT_RESOURCE(orvalo);
}

namespace {
// What a failed encrypted connection means to the person signing in.
QString sslFailureSentence(const QString &error)
{
    if (error.contains(QLatin1String("does not support SSL")) || error.contains(QLatin1String("SSL off")))
        return QStringLiteral("Serwer bazy danych nie obsługuje połączeń szyfrowanych, a profil połączenia ich "
                              "wymaga. Zmień szyfrowanie w ustawieniach połączenia albo włącz SSL na serwerze.");
    if (error.contains(QLatin1String("certificate")) || error.contains(QLatin1String("root cert"))
        || error.contains(QLatin1String("server name")))
        return QStringLiteral("Nie można potwierdzić tożsamości serwera bazy danych: jego certyfikat nie zgadza się "
                              "z plikiem CA wskazanym w ustawieniach połączenia.");
    return QString();
}

OVApplication *s_instance = nullptr;
}

QString OVApplication::programVersion() { return QStringLiteral("1.0.0.0"); }
// Raised with every schema step (schema/steps): the newest one this program needs.
QString OVApplication::expectedSchemaVersion() { return QStringLiteral("01.11.0016"); }
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
    // Dates, numbers and calendars speak the language of the rest of the
    // program, whatever locale the workstation was set up with.
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    // The desktop's own file dialogs follow the workstation's language; Qt's
    // follow the program's (Polish names, dates and sizes).
    setAttribute(Qt::AA_DontUseNativeDialogs);
    TAVUiState::installMessageBoxTitleFit();
    s_instance = this;
    TAVSession::setCurrent(this);
    initCompiledResources();
    declareMasterDataRegisters();
    declareMovementRegisters();
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
    if (TAVSession::current() == this)
        TAVSession::setCurrent(nullptr);
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
    // Several servers: libpq's list of hosts and ports, tried in turn.
    QStringList hosts{_hostName}, ports{QString::number(_port)};
    for (const QString &server : m_standbys.split(QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts)) {
        const int colon = server.lastIndexOf(QLatin1Char(':'));
        hosts << (colon > 0 ? server.left(colon) : server);
        ports << (colon > 0 ? server.mid(colon + 1) : QString::number(_port));
    }
    db.setHostName(hosts.join(QLatin1Char(',')));
    db.setPort(hosts.size() > 1 ? -1 : _port);
    db.setDatabaseName(m_databaseName);
    db.setUserName(_dbUserName);
    db.setPassword(_dbUserPassword);
    // An unreachable server must not leave the login dialog frozen for
    // minutes; the server's list of sessions names the program, its release
    // and the workstation.
    QString name = QStringLiteral("Orvalo %1 %2").arg(m_version, QSysInfo::machineHostName());
    name.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    QString options = QStringLiteral("connect_timeout=10;application_name='%1';sslmode=%2").arg(name, m_sslMode);
    if (!m_caFile.isEmpty()) {
        QString ca = m_caFile;
        ca.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
        options += QStringLiteral(";sslrootcert='%1'").arg(ca);
    }
    if (hosts.size() > 1 || m_readOnly)
        options += QStringLiteral(";port=%1;target_session_attrs=%2")
                           .arg(ports.join(QLatin1Char(',')),
                                m_readOnly ? QStringLiteral("prefer-standby") : QStringLiteral("read-write"));
    db.setConnectOptions(options);
    m_connectFailure.clear();
    m_connectError.clear();
    if (!db.open()) {
        m_connectError = db.lastError().databaseText() + QLatin1Char(' ') + db.lastError().driverText();
        m_connectFailure = sslFailureSentence(m_connectError);
        qDebug() << "OVApplication::connectDatabase( const QString& _hostName, const int _port, "
                    "const QString& _databaseName, const QString& _dbUserName, "
                    "const QString& _dbUserPassword )";
        qDebug() << "   Connection faild:" << db.lastError().text();
        return false;
    }
    TAVDb::rememberServer();
    return true;
}

void OVApplication::setConnectionSecurity(const QString &sslMode, const QString &caFile)
{
    m_sslMode = sslMode.isEmpty() ? QStringLiteral("prefer") : sslMode;
    m_caFile = caFile;
}

void OVApplication::setServers(const QString &standbys, bool readOnly)
{
    m_standbys = standbys;
    m_readOnly = readOnly;
}

QString OVApplication::currentServer()
{
    PGconn *c = TAVDb::connection(false);
    return c && PQstatus(c) == CONNECTION_OK ? QStringLiteral("%1:%2").arg(QString::fromUtf8(PQhost(c)),
                                                                          QString::fromUtf8(PQport(c)))
                                             : QString();
}

bool OVApplication::connectionEncrypted()
{
    PGconn *c = TAVDb::connection(false);
    return c && PQsslInUse(c);
}

QString OVApplication::passwordDigest(const QString &password)
{
    return TAVSession::passwordDigest(password);
}

namespace {

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
    std::unique_ptr<TAVTableModel> model(SFModels::instance()->create<UzytkownicyModel>());
    if (!model)
        return false;
    // Escaped by libpq for the live connection, whatever its
    // standard_conforming_strings says: a login cannot end the literal.
    model->setFilter(QStringLiteral("uzt_login = %1 AND uzt_haslo = %2")
                             .arg(TAVDb::quote(_login), TAVDb::quote(digest)));
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

void OVApplication::setUztId(qint32 uztId)
{
    if (uztId != m_uztId) {
        m_adminCache = QVariant();
        m_uprMgzCache.clear();
        m_uprMgzFilled = false;
    }
    m_uztId = uztId;
    // With the shared role the server cannot tell users apart: the program
    // states its user for the history (marked as stated, not proven), also
    // for the connections it reopens.
    QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (!db.isValid())
        return;
    QString options = db.connectOptions();
    options.remove(QRegularExpression(QStringLiteral(";options='-c orv\\.uzytkownik=\\d*'")));
    if (uztId > 0)
        options += QStringLiteral(";options='-c orv.uzytkownik=%1'").arg(uztId);
    db.setConnectOptions(options);
    if (db.isOpen()) {
        TAVDbError error;
        TAVDb::exec(QStringLiteral("SELECT set_config('orv.uzytkownik', $1, false)"),
                    {uztId > 0 ? QString::number(uztId) : QString()}, &error);
    }
}

QString OVApplication::readRightsMode() const
{
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT otp_tryb FROM orv_tryb_praw"), {}, &error);
    if (!r || PQntuples(r.get()) < 1)
        return QStringLiteral("wspolna");
    return QString::fromUtf8(PQgetvalue(r.get(), 0, 0));
}

namespace {
// Whether a server answers at that address at all, whoever may sign in.
bool serverAnswers(const QString &host, int port, const QString &database)
{
    const QByteArray h = host.toUtf8(), p = QByteArray::number(port), d = database.toUtf8();
    const char *keys[] = {"host", "port", "dbname", "connect_timeout", nullptr};
    const char *values[] = {h.constData(), p.constData(), d.constData(), "10", nullptr};
    return PQpingParams(keys, values, 0) == PQPING_OK;
}

// The shared role was refused for its password: the profile is wrong, as
// before. Any other refusal may mean the database has left the shared role.
bool profilePasswordRefused(const QString &error)
{
    return error.contains(QLatin1String("password authentication failed"), Qt::CaseInsensitive)
        || error.contains(QLatin1String("uwierzytelnienie hasłem"), Qt::CaseInsensitive);
}
} // namespace

OVApplication::SignIn OVApplication::signIn(const QString &host, int port, const QString &dbUser,
                                            const QString &dbPassword, const QString &login,
                                            const QString &password, qint32 &outUztId)
{
    m_rightsMode = QStringLiteral("wspolna");
    m_serverAccount = false;
    m_accountTried = false;
    const bool shared = !dbUser.isEmpty() || !dbPassword.isEmpty();
    if (shared) {
        if (connectDatabase(host, port, m_databaseName, dbUser, dbPassword)) {
            m_rightsMode = readRightsMode();
            if (m_rightsMode == QLatin1String("wspolna"))
                return loginToApp(login, password, outUztId) ? SignIn::SignedIn : SignIn::WrongPassword;
            if (m_rightsMode == QLatin1String("migracja")) {
                // The server compares the digest itself; a user whose
                // password matches leaves with an account of their own.
                const QString verifier = scramVerifier(login, password);
                TAVDbError error;
                TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT f_konto_przenies($1, $2, $3)"),
                                                 {login, passwordDigest(password), verifier}, &error);
                qDebug() << "OVApplication::signIn()";
                qDebug() << "   account moved:" << (r && PQntuples(r.get()) > 0 && *PQgetvalue(r.get(), 0, 0) == 't');
            }
        } else if (!m_connectFailure.isEmpty() || profilePasswordRefused(m_connectError)
                   || !serverAnswers(host, port, m_databaseName)) {
            return SignIn::ConnectionFailed;
        }
    }
    m_accountTried = true;
    if (!connectDatabase(host, port, m_databaseName, accountRole(login), password)) {
        if (!m_connectFailure.isEmpty() || !serverAnswers(host, port, m_databaseName))
            return SignIn::ConnectionFailed;
        return SignIn::WrongPassword;
    }
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT uzt_id FROM uzytkownicy WHERE uzt_login = $1 AND uzt_zatrudniony"),
                                     {login}, &error);
    const qint32 id = r && PQntuples(r.get()) == 1 ? QByteArray(PQgetvalue(r.get(), 0, 0)).toInt() : 0;
    if (id <= 0)
        return SignIn::WrongPassword;
    m_serverAccount = true;
    m_rightsMode = readRightsMode();
    TAVDb::exec(QStringLiteral("SELECT f_konto_moje_grupy()"), {}, &error);
    outUztId = id;
    return SignIn::SignedIn;
}

bool OVApplication::isAdmin()
{
    if (!m_adminCache.isValid()) {
        bool ok = false;
        const bool admin = readAdmin(m_uztId, &ok);
        // A failed read is no answer: asked again next time.
        if (!ok)
            return false;
        m_adminCache = admin;
    }
    return m_adminCache.toBool();
}

bool OVApplication::isAdmin(qint32 uztId) const
{
    bool ok = false;
    return readAdmin(uztId, &ok);
}

bool OVApplication::readAdmin(qint32 uztId, bool *ok) const
{
    *ok = false;
    std::unique_ptr<TAVTableModel> model(SFModels::instance()->create<OvUprawnieniaAdminModel>());
    if (!model)
        return false;
    model->setFilter(QStringLiteral("ovupradm_fk_uzt = %1").arg(uztId));
    if (!model->select()) {
        qDebug() << "OVApplication::isAdmin( qint32 uztId ) const";
        qDebug() << "   rights not read:" << model->lastSqlState();
        return false;
    }
    *ok = true;
    return model->rowCount() == 1;
}

QList<qint32> OVApplication::uprMgz(qint32 _uztId) const
{
    bool ok = false;
    const QList<qint32> ids = readUprMgz(_uztId, &ok);
    qDebug() << "OVApplication::uprMgz( qint32 _uztId ) const";
    qDebug() << "   ov_uprawnienia_mgz for uzt_id =" << _uztId << ids;
    return ids;
}

QList<qint32> OVApplication::readUprMgz(qint32 uztId, bool *ok) const
{
    QList<qint32> ids;
    *ok = false;
    std::unique_ptr<TAVTableModel> model(SFModels::instance()->create<OvUprawnieniaMgzModel>());
    if (!model)
        return ids;
    model->setFilter(QStringLiteral("ovuprmgz_fk_uzt = %1").arg(uztId));
    if (!model->select())
        return ids;
    for (int i = 0; i < model->rowCount(); ++i)
        ids << model->value(i, QStringLiteral("ovuprmgz_fk_mgz")).toInt();
    *ok = true;
    return ids;
}

QList<qint32> OVApplication::uprMgz() const
{
    // Filled once, also when the user manages nothing; a failed read is
    // not taken for "no warehouses" and is tried again at the next call.
    if (!m_uprMgzFilled) {
        bool ok = false;
        m_uprMgzCache = readUprMgz(m_uztId, &ok);
        m_uprMgzFilled = ok;
        qDebug() << "OVApplication::uprMgz() const";
        qDebug() << "   ov_uprawnienia_mgz for current user =" << m_uprMgzCache;
    }
    return m_uprMgzCache;
}

QList<qint32> OVApplication::managedWarehouses()
{
    return uprMgz();
}

bool OVApplication::accountActive()
{
    if (m_uztId <= 0)
        return true;
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT uzt_zatrudniony FROM uzytkownicy WHERE uzt_id = $1"),
                                     {m_uztId}, &error);
    // A failed read blocks nothing: the command itself will meet the fault.
    if (!r)
        return true;
    return PQntuples(r.get()) == 1 && PQgetvalue(r.get(), 0, 0)[0] == 't';
}

QStringList OVApplication::uprMgzSymbols(qint32 uztId) const
{
    QStringList symbols;
    bool ok = false;
    const QList<qint32> ids = readUprMgz(uztId, &ok);
    if (!ok)
        return {QStringLiteral("(nie można odczytać uprawnień)")};
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
