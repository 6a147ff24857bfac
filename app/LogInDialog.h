#pragma once

#include <QDialog>

#include <memory>

class IniDbSettingsManipulator;
class LogInDbSettingsDialog;

namespace Ui {
class LogInDialog;
}

// Asks for login, password and connection profile, and manages the
// profiles. Connecting and checking the user is the caller's work.
class LogInDialog : public QDialog
{
    Q_OBJECT

public:
    LogInDialog(IniDbSettingsManipulator *settings, QWidget *parent = nullptr);
    ~LogInDialog() override;

    QString hostName() const { return m_hostName; }
    int port() const { return m_port; }
    QString dbUserName() const { return m_dbUserName; }
    QString dbUserPassword() const { return m_dbUserPassword; }
    QString sslMode() const { return m_sslMode; }
    QString caFile() const { return m_caFile; }
    QString standbys() const { return m_standbys; }
    bool readOnly() const { return m_readOnly; }
    QString login() const;
    QString password() const;
    // Shown again after "Wyloguj": the next user types a password of his own.
    void clearPassword();

    static QString placeholderName();

public Q_SLOTS:
    void setComboItems(QString select);
    void setComboItems();
    void setComboToolTip(int index);
    void setConnectionParameters(QString name);
    void addConnection();
    void editConnection();
    void delConnection();
    void openDbSettingsFolder();
    void oProgramie();
    void setCapsLockMessage();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Tells the user when the profiles file did not take a change.
    void reportUnsaved(bool saved);
    // Why the edited profile cannot be stored, or an empty text.
    QString refusal(const LogInDbSettingsDialog &editor, const QString &oldName) const;

    std::unique_ptr<Ui::LogInDialog> ui;
    IniDbSettingsManipulator *m_settings;
    QString m_hostName;
    int m_port = 0;
    QString m_sslMode = QStringLiteral("prefer");
    QString m_caFile;
    QString m_standbys;
    bool m_readOnly = false;
    QString m_dbUserName;
    QString m_dbUserPassword;
};
