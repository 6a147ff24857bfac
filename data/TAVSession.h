#pragma once

#include <QList>
#include <QString>

// What the framework needs to know of the signed-in user. The application
// object implements it; the data layer never reaches for the application.
class TAVSession
{
public:
    virtual ~TAVSession();

    virtual QString login() const = 0;
    virtual qint32 uztId() const = 0;
    // Both cached for the session; painting and policies ask them often.
    virtual bool isAdmin() = 0;
    virtual QList<qint32> managedWarehouses() = 0;
    // Whether the signed-in account still exists and is active; asked
    // before every command, as an administrator may have closed it.
    virtual bool accountActive() { return true; }
    // The ids of the warehouses a user manages, joined by ", ", read now.
    virtual QString uprMgzAsString(qint32 uztId) const = 0;
    // How users sign in to this database: "wspolna" (the shared role),
    // "migracja" (moving to accounts of their own) or "serwer" (every user
    // with a server account; the server enforces the rights).
    virtual QString rightsMode() const { return QStringLiteral("wspolna"); }
    // Whether this session signed in with the user's own server account.
    virtual bool serverAccount() const { return false; }

    static TAVSession *current();
    static void setCurrent(TAVSession *session);

    // The signed-in user's id, 0 without a session.
    static qint32 currentUserId();
    // SHA-1 of the UTF-8 password as 40 lower-case hex digits.
    static QString passwordDigest(const QString &password);
    // What a new password is written to the user table as: once users have
    // server accounts, the SCRAM verifier that the server moves to the
    // account (the clear password never leaves the workstation); before,
    // the digest. Empty when the verifier cannot be made.
    static QString passwordToStore(const QString &login, const QString &password);
    // The SCRAM-SHA-256 verifier of a password, made by libpq on the open
    // connection.
    static QString scramVerifier(const QString &login, const QString &password);
    // The server account of a login.
    static QString accountRole(const QString &login);
};
