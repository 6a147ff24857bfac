#include "TAVDb.h"

#include "TAVCatalogue.h"

#include "TAVLiveUpdates.h"
#include "TAVMessages.h"
#include "TAVTransaction.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QSqlDriver>
#include <QSqlIndex>
#include <QTime>
#include <QTimer>

#include <cmath>

namespace {
bool s_readFailureShown = false;
QHash<QString, QString> s_stateSentences;

void clearResult(PGresult *r)
{
    if (r)
        PQclear(r);
}

QString field(const PGresult *r, int code)
{
    const char *v = r ? PQresultErrorField(r, code) : nullptr;
    return v ? QString::fromUtf8(v) : QString();
}

// "2026-12-07 18:40:54.123456+01" (or +05:30, or no zone) as the server
// writes it in ISO style.
QDateTime parseTimestamp(const char *text, int length)
{
    const QByteArray s = QByteArray::fromRawData(text, length);
    if (s.size() < 19)
        return QDateTime();
    const QDate date = QDate::fromString(QString::fromLatin1(s.left(10)), Qt::ISODate);
    int pos = 11;
    const int h = s.mid(pos, 2).toInt();
    const int m = s.mid(pos + 3, 2).toInt();
    const int sec = s.mid(pos + 6, 2).toInt();
    pos += 8;
    int ms = 0;
    if (pos < s.size() && s.at(pos) == '.') {
        int digits = 0;
        ++pos;
        while (pos < s.size() && s.at(pos) >= '0' && s.at(pos) <= '9') {
            if (digits < 3) {
                ms = ms * 10 + (s.at(pos) - '0');
                ++digits;
            }
            ++pos;
        }
        while (digits++ < 3)
            ms *= 10;
    }
    const QTime time(h, m, sec, ms);
    if (pos < s.size() && (s.at(pos) == '+' || s.at(pos) == '-')) {
        const int sign = s.at(pos) == '-' ? -1 : 1;
        const QList<QByteArray> parts = s.mid(pos + 1).split(':');
        int offset = parts.value(0).toInt() * 3600;
        if (parts.size() > 1)
            offset += parts.at(1).toInt() * 60;
        if (parts.size() > 2)
            offset += parts.at(2).toInt();
        return QDateTime(date, time, Qt::OffsetFromUTC, sign * offset).toLocalTime();
    }
    return QDateTime(date, time);
}

QString labelOf(const QString &column, const QHash<QString, QString> &labels)
{
    const QString label = labels.value(column);
    return QStringLiteral("„%1”").arg(label.isEmpty() ? column : label);
}
} // namespace

bool TAVDbError::connectionLost() const
{
    return sqlState.startsWith(QLatin1String("08")) || sqlState == QLatin1String("57P01")
            || sqlState == QLatin1String("57P02") || sqlState == QLatin1String("57P03");
}

namespace TAVDb {

namespace {
qint64 s_roundTrips = 0;
}

qint64 roundTrips()
{
    return s_roundTrips;
}

namespace {
// The server the session was last on. With several servers in the profile a
// reopened connection may be on another one (a standby promoted after the
// primary was lost): said once, and everything shown is read again. Looked
// at only where the connection is (re)opened, not at every statement.
QByteArray s_server;

void noteServer(PGconn *c, bool announce)
{
    if (!c || PQstatus(c) != CONNECTION_OK)
        return;
    const QByteArray now = QByteArray(PQhost(c)) + ':' + PQport(c);
    if (now == s_server)
        return;
    const bool changed = announce && !s_server.isEmpty();
    s_server = now;
    if (changed) {
        qDebug() << "TAVDb: now on server" << now;
        TAVChangeBus::instance()->announceServer(QString::fromUtf8(now));
    }
}
} // namespace

void rememberServer()
{
    noteServer(connection(false), false);
}

QSqlDatabase database()
{
    QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    // A lost connection is opened again, but not by every painted cell while
    // the server stays away: one attempt every few seconds.
    static QElapsedTimer lastAttempt;
    if (db.isValid() && !db.isOpen() && (!lastAttempt.isValid() || lastAttempt.elapsed() > 3000)) {
        lastAttempt.start();
        if (db.open()) {
            lastAttempt.invalidate();
            noteServer(connection(false), true);
        }
    }
    return db;
}


PGconn *connection(bool reopen)
{
    if (!QSqlDatabase::contains(QLatin1String(QSqlDatabase::defaultConnection)))
        return nullptr;
    QSqlDatabase db = reopen ? database() : QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (!db.isValid() || !db.driver())
        return nullptr;
    const QVariant h = db.driver()->handle();
    // Qt names the type by libpq's struct tag.
    if (!h.isValid() || (qstrcmp(h.typeName(), "PGconn*") != 0 && qstrcmp(h.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(h.constData());
}

PGconn *openSideConnection(const char *applicationName)
{
    const QSqlDatabase db = QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);
    if (!db.isValid())
        return nullptr;
    // As encrypted, as sure of the server and with the same list of servers
    // (and the wish for the one taking writes) as the main connection.
    QByteArray sslMode = "prefer", sslRootCert, host = db.hostName().toUtf8(),
               port = QByteArray::number(db.port() > 0 ? db.port() : 5432), attrs = "any";
    if (PGconn *main = connection(false)) {
        PQconninfoOption *options = PQconninfo(main);
        for (PQconninfoOption *o = options; o && o->keyword; ++o) {
            if (!o->val)
                continue;
            if (qstrcmp(o->keyword, "sslmode") == 0)
                sslMode = o->val;
            else if (qstrcmp(o->keyword, "sslrootcert") == 0)
                sslRootCert = o->val;
            else if (qstrcmp(o->keyword, "host") == 0)
                host = o->val;
            else if (qstrcmp(o->keyword, "port") == 0)
                port = o->val;
            else if (qstrcmp(o->keyword, "target_session_attrs") == 0)
                attrs = o->val;
        }
        PQconninfoFree(options);
    }
    const char *keys[] = {"host", "port", "dbname", "user", "password", "connect_timeout", "application_name",
                          "sslmode", "target_session_attrs", sslRootCert.isEmpty() ? nullptr : "sslrootcert", nullptr};
    const QByteArray name = db.databaseName().toUtf8();
    const QByteArray user = db.userName().toUtf8();
    const QByteArray password = db.password().toUtf8();
    const char *values[] = {host.constData(), port.constData(), name.constData(), user.constData(),
                            password.constData(), "5", applicationName, sslMode.constData(), attrs.constData(),
                            sslRootCert.constData(), nullptr};
    PGconn *c = PQconnectdbParams(keys, values, 0);
    if (PQstatus(c) != CONNECTION_OK) {
        PQfinish(c);
        return nullptr;
    }
    return c;
}

bool inTransaction()
{
    PGconn *c = connection(false);
    return c && PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_INTRANS;
}

QString quote(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    PGconn *c = connection(true);
    if (c && PQstatus(c) == CONNECTION_OK) {
        QByteArray out(utf8.size() * 2 + 1, '\0');
        int err = 0;
        const size_t n = PQescapeStringConn(c, out.data(), utf8.constData(), size_t(utf8.size()), &err);
        if (!err) {
            out.resize(int(n));
            return QLatin1Char('\'') + QString::fromUtf8(out) + QLatin1Char('\'');
        }
    }
    // Without a live connection nothing is sent anyway; be conservative.
    QString t = text;
    t.replace(QLatin1Char('\''), QLatin1String("''"));
    if (t.contains(QLatin1Char('\\')))
        return QStringLiteral("E'") + t.replace(QLatin1Char('\\'), QLatin1String("\\\\")) + QLatin1Char('\'');
    return QLatin1Char('\'') + t + QLatin1Char('\'');
}

QString likeContains(const QString &text)
{
    QString pattern;
    pattern.reserve(text.size() + 4);
    for (const QChar ch : text) {
        if (ch == QLatin1Char('\\') || ch == QLatin1Char('%') || ch == QLatin1Char('_'))
            pattern += QLatin1Char('\\');
        pattern += ch;
    }
    return quote(QLatin1Char('%') + pattern + QLatin1Char('%'));
}

TAVDbError connectionError()
{
    TAVDbError e;
    e.sqlState = QStringLiteral("08006");
    PGconn *c = connection(false);
    e.message = c ? QString::fromUtf8(PQerrorMessage(c)).trimmed() : QStringLiteral("no connection");
    return e;
}

TAVDbError errorOf(const PGresult *r)
{
    TAVDbError e;
    e.sqlState = field(r, PG_DIAG_SQLSTATE);
    e.message = field(r, PG_DIAG_MESSAGE_PRIMARY);
    e.detail = field(r, PG_DIAG_MESSAGE_DETAIL);
    e.constraint = field(r, PG_DIAG_CONSTRAINT_NAME);
    e.table = field(r, PG_DIAG_TABLE_NAME);
    e.column = field(r, PG_DIAG_COLUMN_NAME);
    PGconn *c = connection(false);
    if (e.sqlState.isEmpty()) {
        // No SQLSTATE: the statement never got an answer.
        if (!c || PQstatus(c) != CONNECTION_OK)
            return connectionError();
        e.sqlState = QStringLiteral("XX000");
        if (e.message.isEmpty() && r)
            e.message = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
    }
    return e;
}

QByteArray paramText(const QVariant &value, bool *isNull)
{
    *isNull = !value.isValid() || value.isNull();
    if (*isNull)
        return QByteArray();
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QByteArrayLiteral("t") : QByteArrayLiteral("f");
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
        return QByteArray::number(value.toInt());
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (std::isnan(d))
            return QByteArrayLiteral("NaN");
        if (std::isinf(d))
            return d > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
        return QByteArray::number(d, 'g', 15);
    }
    case QMetaType::QDate: {
        const QDate d = value.toDate();
        if (!d.isValid()) {
            *isNull = true;
            return QByteArray();
        }
        return d.toString(Qt::ISODate).toLatin1();
    }
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss.zzz")).toLatin1();
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid()) {
            *isNull = true;
            return QByteArray();
        }
        return dt.toUTC().toString(Qt::ISODateWithMs).toLatin1();
    }
    case QMetaType::QByteArray:
        return value.toByteArray();
    default:
        return value.toString().toUtf8();
    }
}

QVariant fromText(const char *text, int length, QMetaType type)
{
    const QByteArray raw = QByteArray::fromRawData(text, length);
    switch (type.id()) {
    case QMetaType::Bool:
        return QVariant(length > 0 && text[0] == 't');
    case QMetaType::Int:
        return QVariant(raw.toInt());
    case QMetaType::UInt:
        return QVariant(raw.toUInt());
    case QMetaType::LongLong:
        return QVariant(raw.toLongLong());
    case QMetaType::Double:
        return QVariant(raw.toDouble());
    case QMetaType::QDate:
        return QVariant(QDate::fromString(QString::fromLatin1(raw), Qt::ISODate));
    case QMetaType::QTime:
        return QVariant(QTime::fromString(QString::fromLatin1(raw.left(12)), Qt::ISODateWithMs));
    case QMetaType::QDateTime:
        return QVariant(parseTimestamp(text, length));
    case QMetaType::QByteArray:
        if (raw.startsWith("\\x"))
            return QVariant(QByteArray::fromHex(raw.mid(2)));
        return QVariant(QByteArray(text, length));
    default:
        return QVariant(QString::fromUtf8(text, length));
    }
}

namespace {
// After a server restart the connection still looks open until a statement
// fails on it. Outside a transaction nothing is lost by connecting again
// before the failure is reported; while the server stays away, once every
// two seconds at most.
bool reconnect(PGconn *c)
{
    static QElapsedTimer lastFailure;
    if (!c || TAVTransaction::active() || (lastFailure.isValid() && lastFailure.elapsed() < 2000))
        return false;
    qDebug() << "TAVDb::reconnect()";
    PQreset(c);
    if (PQstatus(c) == CONNECTION_OK) {
        lastFailure.invalidate();
        noteServer(c, true);
        return true;
    }
    qDebug() << "   failed:" << QString::fromUtf8(PQerrorMessage(c)).trimmed();
    lastFailure.start();
    return false;
}

bool lostNow(PGconn *c, const TAVDbError &error)
{
    return error.connectionLost() || PQstatus(c) != CONNECTION_OK;
}
} // namespace

ResultPtr exec(const QString &sql, const QVector<QVariant> &params, TAVDbError *error, const QVector<Oid> &types)
{
    ResultPtr none(nullptr, clearResult);
    PGconn *c = connection(true);
    if (c && PQstatus(c) != CONNECTION_OK)
        reconnect(c);
    if (!c || PQstatus(c) != CONNECTION_OK) {
        if (error)
            *error = connectionError();
        return none;
    }
    const QByteArray statement = sql.toUtf8();
    std::vector<QByteArray> texts(size_t(params.size()));
    std::vector<const char *> values(size_t(params.size()), nullptr);
    for (int i = 0; i < params.size(); ++i) {
        bool isNull = false;
        texts[size_t(i)] = paramText(params.at(i), &isNull);
        values[size_t(i)] = isNull ? nullptr : texts[size_t(i)].constData();
    }
    for (int attempt = 0;; ++attempt) {
        ++s_roundTrips;
        PGresult *r = PQexecParams(c, statement.constData(), int(params.size()),
                                   types.size() == params.size() && !types.isEmpty() ? types.constData() : nullptr,
                                   values.empty() ? nullptr : values.data(), nullptr, nullptr, 0);
        const ExecStatusType st = r ? PQresultStatus(r) : PGRES_FATAL_ERROR;
        if (st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK)
            return ResultPtr(r, clearResult);
        const TAVDbError e = r ? errorOf(r) : connectionError();
        clearResult(r);
        if (attempt == 0 && lostNow(c, e) && reconnect(c))
            continue;
        if (error)
            *error = e;
        return none;
    }
}

QString cellText(const PGresult *r, int row, int column)
{
    return QString::fromUtf8(PQgetvalue(r, row, column));
}

qint64 cellNumber(const PGresult *r, int row, int column)
{
    return QByteArray(PQgetvalue(r, row, column)).toLongLong();
}

bool execBatch(const QString &sql, std::vector<ResultPtr> *results, TAVDbError *error)
{
    PGconn *c = connection(true);
    if (c && PQstatus(c) != CONNECTION_OK)
        reconnect(c);
    if (!c || PQstatus(c) != CONNECTION_OK) {
        if (error)
            *error = connectionError();
        return false;
    }
    for (int attempt = 0;; ++attempt) {
        ++s_roundTrips;
        TAVDbError e;
        const bool sent = PQsendQuery(c, sql.toUtf8().constData());
        bool ok = sent;
        if (!sent)
            e = connectionError();
        while (PGresult *r = sent ? PQgetResult(c) : nullptr) {
            const ExecStatusType st = PQresultStatus(r);
            if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
                if (ok)
                    e = errorOf(r);
                ok = false;
            }
            results->emplace_back(r, clearResult);
        }
        if (ok && PQstatus(c) != CONNECTION_OK) {
            e = connectionError();
            ok = false;
        }
        if (ok)
            return true;
        if (attempt == 0 && lostNow(c, e) && reconnect(c)) {
            results->clear();
            continue;
        }
        if (error)
            *error = e;
        return false;
    }
}

void setStateSentence(const QString &sqlState, const QString &sentence)
{
    s_stateSentences.insert(sqlState, sentence);
}

QString causeSentence(const TAVDbError &e, const QHash<QString, QString> &labels)
{
    if (!e.isError())
        return QString();
    if (e.sqlState == QLatin1String("08007"))
        return QStringLiteral("Nie zapisano – połączenie z serwerem bazy danych przerwało się w chwili zatwierdzania "
                              "zmian. Sprawdź, czy operacja się wykonała, i w razie potrzeby ją powtórz.");
    if (e.connectionLost())
        return QStringLiteral("Połączenie z serwerem bazy danych zostało przerwane. Zmiany nie zostały zapisane; "
                              "spróbuj ponownie, gdy połączenie wróci.");
    if (e.isOwnRule())
        return e.message;
    const QString own = e.constraint.isEmpty() ? QString() : TAVCatalogue::constraintMessage(e.constraint);
    QStringList columns = e.constraint.isEmpty() ? QStringList() : TAVCatalogue::constraintColumns(e.constraint);
    if (columns.isEmpty() && !e.column.isEmpty())
        columns << e.column;
    QStringList named;
    for (const QString &c : std::as_const(columns))
        named << labelOf(c, labels);
    const QString state = e.sqlState;
    if (state == QLatin1String("23505")) {
        if (named.size() == 1)
            return QStringLiteral("Wartość pola %1 już istnieje w bazie danych; wprowadź inną.").arg(named.first());
        if (named.size() > 1)
            return QStringLiteral("Takie połączenie wartości pól %1 już istnieje w bazie danych.")
                    .arg(named.join(QStringLiteral(", ")));
        return QStringLiteral("Taka wartość już istnieje w bazie danych; wprowadź inną.");
    }
    if (state == QLatin1String("23503"))
        return QStringLiteral("Wskazany wpis powiązany nie istnieje już w bazie danych; mógł zostać usunięty "
                              "na innym stanowisku.");
    if (state == QLatin1String("23502"))
        return named.isEmpty() ? QStringLiteral("Wymagane pole nie zostało wypełnione.")
                               : QStringLiteral("Pole %1 nie może być puste.").arg(named.first());
    if (s_stateSentences.contains(state))
        return s_stateSentences.value(state);
    if (state == QLatin1String("40001") || state == QLatin1String("40P01"))
        return QStringLiteral("Operacja kolidowała z równoczesną zmianą na innym stanowisku. Spróbuj ponownie.");
    if (state == QLatin1String("42501")) {
        // The server's own rights checks say what is missing in Polish.
        for (const char *own : {"Operacja wymaga", "Konto „", "Na prawa serwera"}) {
            if (e.message.startsWith(QString::fromUtf8(own)))
                return e.message;
        }
        return QStringLiteral("Konto bazy danych nie ma uprawnień do tej operacji.");
    }
    if (state == QLatin1String("23514") || state.startsWith(QLatin1String("22"))) {
        if (!own.isEmpty())
            return own;
        if (state == QLatin1String("22001"))
            return named.isEmpty() ? QStringLiteral("Wprowadzony tekst jest za długi.")
                                   : QStringLiteral("Tekst w polu %1 jest za długi.").arg(named.first());
        if (state == QLatin1String("22003"))
            return QStringLiteral("Wprowadzona liczba jest poza dopuszczalnym zakresem.");
        if (!named.isEmpty())
            return QStringLiteral("Wartość pola %1 nie spełnia reguł bazy danych.").arg(named.join(QStringLiteral(", ")));
        return QStringLiteral("Wprowadzona wartość nie spełnia reguł bazy danych.");
    }
    return QStringLiteral("Szczegóły błędu zapisano w dzienniku programu.");
}

void reportReadFailure(const TAVDbError &error)
{
    qDebug() << "TAVDb::reportReadFailure()";
    qDebug() << "   error:" << error.sqlState << error.message;
    if (s_readFailureShown || !qobject_cast<QApplication *>(QCoreApplication::instance())
        || TAVLiveUpdates::instance()->isReadingNews())
        return;
    s_readFailureShown = true;
    const bool lost = error.connectionLost();
    // Never from inside a paint or a model signal: the box waits for the loop.
    QTimer::singleShot(0, qApp, [lost] {
        TAVMessages::warning(QStringLiteral("Brak danych z bazy"),
                             lost ? QStringLiteral("Nie można odczytać danych: połączenie z serwerem bazy danych "
                                                   "zostało przerwane. Gdy serwer będzie znów dostępny, odśwież "
                                                   "widok klawiszem F5.")
                                  : QStringLiteral("Nie można odczytać danych z bazy danych. Szczegóły zapisano w "
                                                   "dzienniku programu."));
    });
}

void readSucceeded()
{
    s_readFailureShown = false;
}

} // namespace TAVDb
