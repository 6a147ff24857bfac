#include "TAVSession.h"

#include "TAVDb.h"

#include <QCryptographicHash>

namespace {
TAVSession *s_session = nullptr;
}

TAVSession::~TAVSession()
{
    if (s_session == this)
        s_session = nullptr;
}

TAVSession *TAVSession::current()
{
    return s_session;
}

void TAVSession::setCurrent(TAVSession *session)
{
    s_session = session;
}

qint32 TAVSession::currentUserId()
{
    return s_session ? s_session->uztId() : 0;
}

QString TAVSession::passwordDigest(const QString &password)
{
    return QString::fromLatin1(QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Sha1).toHex());
}

QString TAVSession::passwordToStore(const QString &login, const QString &password)
{
    if (s_session && s_session->rightsMode() != QLatin1String("wspolna"))
        return scramVerifier(login, password);
    return passwordDigest(password);
}

QString TAVSession::scramVerifier(const QString &login, const QString &password)
{
    PGconn *c = TAVDb::connection(false);
    if (!c)
        return QString();
    char *v = PQencryptPasswordConn(c, password.toUtf8().constData(), accountRole(login).toUtf8().constData(),
                                    "scram-sha-256");
    if (!v)
        return QString();
    const QString out = QString::fromUtf8(v);
    PQfreemem(v);
    return out;
}

QString TAVSession::accountRole(const QString &login)
{
    return QStringLiteral("tav_orv.") + login;
}
