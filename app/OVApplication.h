#pragma once

#include "TAVSession.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <QStringList>
#include <QString>
#include <QUrl>
#include <QVariant>

class QNetworkReply;

// The one application object: default connection parameters, program
// version, the single database connection and the session facts.
class OVApplication : public QApplication, public TAVSession
{
    Q_OBJECT

public:
    OVApplication(int &argc, char **argv);
    ~OVApplication() override;

    static OVApplication *instance();

    QString hostName() const { return m_hostName; }
    int port() const { return m_port; }
    QString databaseName() const { return m_databaseName; }
    QString dbUserName() const { return m_dbUserName; }
    QString dbUserPassword() const { return m_dbUserPassword; }
    QString version() const { return m_version; }

    QString login() const override { return m_login; }
    void setLogin(const QString &login) { m_login = login; }
    qint32 uztId() const override { return m_uztId; }
    // The rights caches belong to the user id they were read for. The
    // database is told who signed in, for the history it keeps.
    void setUztId(qint32 uztId);

    // Sign-in and the session's rights; the no-argument forms are cached
    // for the whole session.
    bool loginToApp(QString _login, QString _password, qint32 &outUztId) const;

    // The whole sign-in against a profile: the shared role while the
    // database uses it (moving the user to an account of their own while
    // the database moves), else the user's own server account. A profile
    // without a database password goes to the account at once.
    enum class SignIn { SignedIn, ConnectionFailed, WrongPassword };
    SignIn signIn(const QString &host, int port, const QString &dbUser, const QString &dbPassword,
                  const QString &login, const QString &password, qint32 &outUztId);
    QString rightsMode() const override { return m_rightsMode; }
    bool serverAccount() const override { return m_serverAccount; }
    // Whether the last sign-in tried the user's own account.
    bool accountTried() const { return m_accountTried; }
    // The mode as the database says now ("wspolna" before it knew modes).
    QString readRightsMode() const;
    bool isAdmin() override;
    bool isAdmin(qint32 uztId) const;
    // The managed warehouses as cached for the session, without a log line:
    // painting and policies ask it for every cell.
    QList<qint32> managedWarehouses() override;
    bool accountActive() override;
    QList<qint32> uprMgz() const;
    QList<qint32> uprMgz(qint32 _uztId) const;
    QStringList uprMgzSymbols(qint32 uztId) const;
    QString uprMgzAsString(qint32 uztId) const override;

    // SHA-1 of the UTF-8 password as 40 lower-case hex digits.
    static QString passwordDigest(const QString &password);

    // How the next connection is encrypted (libpq's sslmode, "prefer" until
    // told) and the CA file verify-full checks the server's certificate by.
    void setConnectionSecurity(const QString &sslMode, const QString &caFile);
    // Further servers of the same database ("host:port, host"): the
    // connection tries them in turn and keeps to the one that takes writes
    // (a read-only profile prefers a standby).
    void setServers(const QString &standbys, bool readOnly);
    // "host:port" of the server the session uses now.
    static QString currentServer();
    // Why the last connection failed, in one Polish sentence; empty when
    // the usual "check the parameters" says it.
    QString connectFailureCause() const { return m_connectFailure; }
    // Whether the open connection is encrypted.
    static bool connectionEncrypted();
    bool connectDatabase(const QString &_hostName, const int _port, const QString &_databaseName,
                         const QString &_dbUserName, const QString &_dbUserPassword);

    // Defaults and constants, also for code that runs before or without
    // the application object (the profiles file seeds itself from them).
    static QString programVersion();           // "1.0.0.0"
    static QString expectedSchemaVersion();    // "01.11.0016"
    static QString defaultHostName();
    static int defaultPort();
    static QString defaultDatabaseName();
    static QString defaultDbUserName();
    static QString defaultDbUserPassword();
    static QString organizationNameValue();
    static QString organizationDomainValue();

    // Schema version, update check and help.
    bool checkDatabaseVersion(QString &message);
    // The update document's address is compiled in; tests point it at a
    // server of their own.
    QUrl updateUrl() const;
    void setUpdateUrl(const QUrl &url) { m_updateUrl = url; }
    int updateTimeout() const { return m_updateTimeout; }
    void setUpdateTimeout(int msecs) { m_updateTimeout = msecs; }
    // The manual next to the executable.
    static QString helpFilePath();
    // The manual at a section ("narzedzia"; empty: its beginning); when the
    // desktop cannot open it, a viewer of the program's own shows it.
    void openHelpAt(const QString &section);
    // The manual's section for the register or dialog in this window.
    QString helpSectionFor(QWidget *window);
    QWidget *helpViewer() const { return m_helpViewer; }
    bool notify(QObject *receiver, QEvent *event) override;

public Q_SLOTS:
    void checkForUpdate();
    void openHelp();

private Q_SLOTS:
    void checkForUpdateFinished(QNetworkReply *reply);

private:
    void showHelpViewer(const QUrl &url);
    bool helpKey(QObject *watched, QEvent *event);
    QList<qint32> readUprMgz(qint32 uztId, bool *ok) const;
    bool readAdmin(qint32 uztId, bool *ok) const;

    QString m_login;
    qint32 m_uztId = 0;
    QVariant m_adminCache;
    mutable QList<qint32> m_uprMgzCache;
    mutable bool m_uprMgzFilled = false;
    QString m_hostName;
    int m_port;
    QString m_databaseName;
    QString m_dbUserName;
    QString m_dbUserPassword;
    QString m_sslMode = QStringLiteral("prefer");
    QString m_caFile;
    QString m_standbys;
    bool m_readOnly = false;
    QString m_connectFailure;
    QString m_connectError;
    QString m_rightsMode = QStringLiteral("wspolna");
    bool m_serverAccount = false;
    bool m_accountTried = false;
    QString m_version;
    QUrl m_updateUrl;
    // A server that never answers must not leave the check pending for good.
    int m_updateTimeout = 20000;
    QPointer<QWidget> m_helpViewer;
};
