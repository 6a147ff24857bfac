#include "IniDbSettingsManipulator.h"

#include "OVApplication.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {
const QString kMain = QStringLiteral("main");
const QString kConnections = QStringLiteral("connections");

QByteArray encodePassword(const QString &password)
{
    return password.toUtf8().toBase64();
}
} // namespace

IniDbSettingsManipulator::IniDbSettingsManipulator(const QString &fileName,
                                                   const QString &directoryPath,
                                                   QObject *parent)
    : QObject(parent), m_directoryPath(directoryPath), m_fileName(fileName)
{
    openSettings();
    if (m_settings)
        upgrade();
}

IniDbSettingsManipulator::~IniDbSettingsManipulator()
{
    if (m_settings)
        m_settings->sync();
}

QString IniDbSettingsManipulator::currentFileVersion() { return QStringLiteral("1.0.0.0"); }
QString IniDbSettingsManipulator::plainPasswordFileVersion() { return QStringLiteral("0.9.0.0"); }

bool IniDbSettingsManipulator::looksDamaged(const QString &path) const
{
    if (m_settings->status() == QSettings::FormatError)
        return true;
    // Anything that does not read back as profiles (random bytes, a
    // picture) is damaged, not empty: an empty file has no bytes at all.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    // A settings file is text; a zero byte or broken UTF-8 means it is not.
    if (bytes.contains('\0') || QString::fromUtf8(bytes).contains(QChar::ReplacementCharacter))
        return true;
    const QStringList keys = m_settings->allKeys();
    if (keys.isEmpty())
        return !bytes.trimmed().isEmpty();
    for (const QString &key : keys) {
        if (key.startsWith(QLatin1String("main/")) || key.startsWith(QLatin1String("connections/")))
            return false;
    }
    return true;
}

void IniDbSettingsManipulator::openSettings()
{
    const QString path = m_directoryPath + QLatin1Char('/') + m_fileName;
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (!looksDamaged(path))
        return;

    // A damaged file is kept aside for support staff rather than silently
    // overwritten; the program then starts as on an empty file.
    const QString aside = path + QStringLiteral(".uszkodzony-")
            + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    m_settings.reset();
    const bool moved = QFile::rename(path, aside);
    qDebug() << "IniDbSettingsManipulator::openSettings()";
    qDebug() << "   unreadable file:" << path;
    qDebug() << "   moved aside to:" << (moved ? aside : QStringLiteral("(failed)"));
    m_settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    if (m_settings->status() == QSettings::FormatError)
        m_settings.reset();
}

void IniDbSettingsManipulator::upgrade()
{
    const QString version = m_settings->value(kMain + QStringLiteral("/fileversion")).toString();
    if (version != plainPasswordFileVersion())
        return;
    m_settings->setValue(kMain + QStringLiteral("/fileversion"), currentFileVersion());
    const auto profiles = connections();
    for (const auto &profile : profiles)
        setDbUserPassword(profile.first, dbUserPassword(profile.first, plainPasswordFileVersion()));
}

QString IniDbSettingsManipulator::directory() const { return m_directoryPath; }
QString IniDbSettingsManipulator::fileName() const { return m_fileName; }

bool IniDbSettingsManipulator::isEmpty() const
{
    return !m_settings || m_settings->allKeys().isEmpty();
}

void IniDbSettingsManipulator::createDefault()
{
    if (!m_settings)
        return;
    m_settings->beginGroup(kMain);
    m_settings->setValue(QStringLiteral("company"), QCoreApplication::organizationName());
    m_settings->setValue(QStringLiteral("domain"), QCoreApplication::organizationDomain());
    m_settings->setValue(QStringLiteral("name"), QCoreApplication::applicationName());
    m_settings->setValue(QStringLiteral("fileversion"), OVApplication::programVersion());
    m_settings->endGroup();

    saveConnection(QStringLiteral("domyślne"), OVApplication::defaultHostName(),
                   OVApplication::defaultPort(), OVApplication::defaultDbUserName(),
                   OVApplication::defaultDbUserPassword(),
                   QStringLiteral("Domyślne połączenie, prawidłowe jeśli program jest "
                                  "uruchamiany na tym samym komputerze co baza danych."));
    m_settings->sync();
}

QList<QPair<QString, QString>> IniDbSettingsManipulator::connections() const
{
    QList<QPair<QString, QString>> result;
    if (!m_settings)
        return result;
    m_settings->beginGroup(kConnections);
    const QStringList names = m_settings->childGroups();
    m_settings->endGroup();
    for (const QString &name : names)
        result.append(qMakePair(name, hint(name)));
    return result;
}

bool IniDbSettingsManipulator::contains(const QString &name) const
{
    if (!m_settings)
        return false;
    m_settings->beginGroup(kConnections);
    const QStringList names = m_settings->childGroups();
    m_settings->endGroup();
    return names.contains(name, Qt::CaseSensitive);
}

void IniDbSettingsManipulator::saveConnection(const QString &name, const QString &host, int port,
                                              const QString &user, const QString &password,
                                              const QString &hint)
{
    if (!m_settings)
        return;
    m_settings->beginGroup(kConnections);
    m_settings->beginGroup(name);
    m_settings->setValue(QStringLiteral("host"), host);
    m_settings->setValue(QStringLiteral("port"), port);
    m_settings->setValue(QStringLiteral("db_user"), user);
    m_settings->setValue(QStringLiteral("db_user_password"), QString::fromLatin1(encodePassword(password)));
    m_settings->setValue(QStringLiteral("hint"), hint);
    m_settings->endGroup();
    m_settings->endGroup();
}

QString IniDbSettingsManipulator::sslMode(const QString &name) const
{
    const QString mode = value(name, QStringLiteral("sslmode")).toString();
    return mode.isEmpty() ? QStringLiteral("prefer") : mode;
}

QString IniDbSettingsManipulator::sslRootCert(const QString &name) const
{
    return value(name, QStringLiteral("sslrootcert")).toString();
}

void IniDbSettingsManipulator::setSsl(const QString &name, const QString &mode, const QString &caFile)
{
    if (!m_settings)
        return;
    m_settings->beginGroup(kConnections);
    m_settings->beginGroup(name);
    m_settings->setValue(QStringLiteral("sslmode"), mode);
    if (caFile.isEmpty())
        m_settings->remove(QStringLiteral("sslrootcert"));
    else
        m_settings->setValue(QStringLiteral("sslrootcert"), caFile);
    m_settings->endGroup();
    m_settings->endGroup();
}

void IniDbSettingsManipulator::removeConnection(const QString &name)
{
    if (!m_settings)
        return;
    m_settings->beginGroup(kConnections);
    m_settings->remove(name);
    m_settings->endGroup();
}

QVariant IniDbSettingsManipulator::value(const QString &name, const QString &key) const
{
    if (!m_settings)
        return QVariant();
    m_settings->beginGroup(kConnections);
    m_settings->beginGroup(name);
    const QVariant v = m_settings->value(key);
    m_settings->endGroup();
    m_settings->endGroup();
    return v;
}

QString IniDbSettingsManipulator::host(const QString &name) const
{
    return value(name, QStringLiteral("host")).toString();
}

int IniDbSettingsManipulator::port(const QString &name) const
{
    bool ok = false;
    const int p = value(name, QStringLiteral("port")).toInt(&ok);
    return ok ? p : 0;
}

QString IniDbSettingsManipulator::dbUser(const QString &name) const
{
    return value(name, QStringLiteral("db_user")).toString();
}

QString IniDbSettingsManipulator::hint(const QString &name) const
{
    return value(name, QStringLiteral("hint")).toString();
}

QString IniDbSettingsManipulator::dbUserPassword(const QString &name, const QString &fileVersion) const
{
    const QVariant stored = value(name, QStringLiteral("db_user_password"));
    if (fileVersion == plainPasswordFileVersion())
        return stored.toString();
    const QByteArray decoded = QByteArray::fromBase64(stored.toString().toLatin1());
    // Read up to the first zero byte, as a C string would.
    return QString::fromUtf8(decoded.constData());
}

void IniDbSettingsManipulator::setDbUserPassword(const QString &name, const QString &password)
{
    if (!m_settings)
        return;
    m_settings->beginGroup(kConnections);
    m_settings->beginGroup(name);
    m_settings->setValue(QStringLiteral("db_user_password"), QString::fromLatin1(encodePassword(password)));
    m_settings->endGroup();
    m_settings->endGroup();
}

bool IniDbSettingsManipulator::sync()
{
    if (!m_settings)
        return false;
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString IniDbSettingsManipulator::standbys(const QString &name) const
{
    return value(name, QStringLiteral("zapasowe_serwery")).toString();
}

bool IniDbSettingsManipulator::readOnly(const QString &name) const
{
    return value(name, QStringLiteral("tylko_odczyt")).toBool();
}

void IniDbSettingsManipulator::setStandbys(const QString &name, const QString &servers, bool readOnly)
{
    if (!m_settings)
        return;
    m_settings->beginGroup(kConnections);
    m_settings->beginGroup(name);
    if (servers.trimmed().isEmpty())
        m_settings->remove(QStringLiteral("zapasowe_serwery"));
    else
        m_settings->setValue(QStringLiteral("zapasowe_serwery"), servers.trimmed());
    if (readOnly)
        m_settings->setValue(QStringLiteral("tylko_odczyt"), true);
    else
        m_settings->remove(QStringLiteral("tylko_odczyt"));
    m_settings->endGroup();
    m_settings->endGroup();
}
