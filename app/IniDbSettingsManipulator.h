#pragma once

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

// Owns dbsettings.ini, the per-user list of named connection profiles.
// The only code that reads or writes that file.
class IniDbSettingsManipulator : public QObject
{
    Q_OBJECT

public:
    IniDbSettingsManipulator(const QString &fileName, const QString &directoryPath,
                             QObject *parent = nullptr);
    ~IniDbSettingsManipulator() override;

    QString directory() const;
    QString fileName() const;

    bool isEmpty() const;
    void createDefault();

    // (profile name, hint) in the settings layer's order (sorted by name).
    QList<QPair<QString, QString>> connections() const;
    bool contains(const QString &name) const;

    void saveConnection(const QString &name, const QString &host, int port,
                        const QString &user, const QString &password, const QString &hint);
    void removeConnection(const QString &name);

    QVariant value(const QString &name, const QString &key) const;
    QString host(const QString &name) const;
    int port(const QString &name) const;
    QString dbUser(const QString &name) const;
    QString hint(const QString &name) const;
    QString dbUserPassword(const QString &name, const QString &fileVersion) const;
    void setDbUserPassword(const QString &name, const QString &password);
    // Encryption of the connection (libpq's sslmode) and the CA file that
    // checks the server's certificate. A profile written before these
    // existed connects as it always did: encrypted when the server offers it.
    QString sslMode(const QString &name) const;
    QString sslRootCert(const QString &name) const;
    void setSsl(const QString &name, const QString &mode, const QString &caFile);
    // Further servers of the same database ("host:port, host") and whether
    // the profile only reads. A profile without them has no such keys and
    // connects to its one server as before.
    QString standbys(const QString &name) const;
    bool readOnly(const QString &name) const;
    void setStandbys(const QString &name, const QString &servers, bool readOnly);

    // Writes pending changes; false when the file did not take them.
    bool sync();

    // File formats: the current one and the older one with plain passwords.
    static QString currentFileVersion();
    static QString plainPasswordFileVersion();

private:
    void openSettings();
    bool looksDamaged(const QString &path) const;
    void upgrade();

    std::unique_ptr<QSettings> m_settings;
    QString m_directoryPath;
    QString m_fileName;
};
