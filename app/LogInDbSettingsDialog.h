#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class LogInDbSettingsDialog;
}

// Editor of one connection profile; the caller checks and stores it.
class LogInDbSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    LogInDbSettingsDialog(const QString &connection, const QString &host, int port,
                          const QString &user, const QString &password, const QString &hint,
                          QWidget *parent = nullptr);
    ~LogInDbSettingsDialog() override;

    QString connectionName() const;
    QString hostName() const;
    int port() const;
    QString dbUserName() const;
    QString dbUserPassword() const;
    QString hint() const;
    // The libpq sslmode ("disable", "prefer", "require", "verify-full")
    // and the CA file that verify-full checks the server's certificate by.
    void setSsl(const QString &mode, const QString &caFile);
    QString sslMode() const;
    QString caFile() const;
    // Further servers of the same database ("host:port, host"), and whether
    // the profile only reads (prints from a standby when one runs).
    void setStandbys(const QString &servers, bool readOnly);
    QString standbys() const;
    bool readOnly() const;

private:
    std::unique_ptr<Ui::LogInDbSettingsDialog> ui;
};
