#include "TAVSession.h"

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
