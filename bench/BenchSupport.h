#pragma once

// What the benchmark programs share: the server from the environment,
// raw libpq access, the memory and CPU time of the process, and a user
// answering the program's dialogs.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWindow>

#include <libpq-fe.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace bench {

inline long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// User and system CPU time of the process so far, in milliseconds.
inline double cpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
            + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

inline double msSince(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

// The value below which `share` of the values lie (0.5: the median).
inline double percentile(QVector<double> values, double share)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    return values.at(qMin(values.size() - 1, int(share * values.size())));
}

// Ready when the platform shows the window, as the user waits for it.
inline bool waitExposed(QWidget &w)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (w.windowHandle() && w.windowHandle()->isExposed())
            return true;
    }
    return false;
}

inline QString env(const char *name, const char *fallback)
{
    const QString v = qEnvironmentVariable(name);
    return v.isEmpty() ? QString::fromLatin1(fallback) : v;
}

// The resident memory now, in KiB.
inline long currentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts.at(1).toLong() * 4 : 0;
}

// The program's own connection, as a signed-in workstation has it.
template <typename App>
inline bool connectApp(App &app)
{
    return app.connectDatabase(env("PGHOST", "127.0.0.1"), env("PGPORT", "5432").toInt(), app.databaseName(),
                               env("PGUSER", "tav_orv_user"), env("PGPASSWORD", "MOB_tae"));
}

// Signed in as the demo's administrator, as the measured steps run.
template <typename App>
inline bool connectAsAdmin(App &app)
{
    if (!connectApp(app))
        return false;
    app.setLogin(QStringLiteral("admin"));
    app.setUztId(1);
    return true;
}

// The same server through libpq; null (reported) when it cannot connect.
inline PGconn *connectRaw()
{
    const QByteArray info = QStringLiteral("host=%1 port=%2 user=%3 password=%4 dbname=TAV_ORV")
                                    .arg(env("PGHOST", "127.0.0.1"), env("PGPORT", "5432"),
                                         env("PGUSER", "tav_orv_user"), env("PGPASSWORD", "MOB_tae"))
                                    .toUtf8();
    PGconn *c = PQconnectdb(info.constData());
    if (PQstatus(c) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(c));
        PQfinish(c);
        return nullptr;
    }
    return c;
}

// Runs a statement that returns no rows on a connection of its own; prints
// how many rows it touched.
inline bool runCommand(const QString &sql)
{
    PGconn *c = connectRaw();
    if (!c)
        return false;
    PGresult *r = PQexec(c, sql.toUtf8().constData());
    const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
    if (!ok)
        std::fprintf(stderr, "%s", PQresultErrorMessage(r));
    else
        std::printf("fill  added=%s\n", PQcmdTuples(r));
    PQclear(r);
    PQfinish(c);
    return ok;
}

// One statement with its values as text (a null one for NULL); the result,
// which the caller clears; errors are printed.
inline PGresult *execParams(PGconn *c, const char *sql, const QList<QByteArray> &values)
{
    QVector<const char *> params;
    for (const QByteArray &v : values)
        params << (v.isNull() ? nullptr : v.constData());
    PGresult *r = PQexecParams(c, sql, int(params.size()), nullptr, params.constData(), nullptr, nullptr, 0);
    const ExecStatusType s = PQresultStatus(r);
    if (s != PGRES_TUPLES_OK && s != PGRES_COMMAND_OK)
        std::fprintf(stderr, "%s", PQresultErrorMessage(r));
    return r;
}

// The value of a "--name=value" argument, or the fallback.
inline QString argument(int argc, char **argv, const char *name, const QString &fallback = QString())
{
    const QString prefix = QStringLiteral("--%1=").arg(QLatin1String(name));
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a.startsWith(prefix))
            return a.mid(prefix.size());
    }
    return fallback;
}

// The first value of a statement's result (empty when none); errors are printed.
inline QByteArray one(PGconn *c, const QString &sql)
{
    PGresult *r = PQexec(c, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(r);
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK)
        std::fprintf(stderr, "%s", PQresultErrorMessage(r));
    const QByteArray value = status == PGRES_TUPLES_OK && PQntuples(r) > 0 ? QByteArray(PQgetvalue(r, 0, 0)) : QByteArray();
    PQclear(r);
    return value;
}

// Answers the modal dialogs and message boxes of the program as a user
// would, as soon as each is shown: each by the next queued handler. One that
// comes with nothing queued, or stays open, is reported and cancelled.
class Answers : public QObject
{
public:
    using Handler = std::function<void(QDialog *)>;
    Answers() { qApp->installEventFilter(this); }
    ~Answers() override { qApp->removeEventFilter(this); }
    void then(Handler handler) { m_queue.append(std::move(handler)); }
    // Every queued answer given and nothing unexpected came; starts afresh.
    bool clean()
    {
        const bool ok = m_queue.isEmpty() && !m_unexpected;
        m_queue.clear();
        m_unexpected = false;
        return ok;
    }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::Show)
            return false;
        auto *dialog = qobject_cast<QDialog *>(o);
        if (!dialog || !dialog->isModal())
            return false;
        const bool expected = !m_queue.isEmpty();
        const Handler handler = expected ? m_queue.takeFirst() : Handler(cancel);
        if (!expected) {
            m_unexpected = true;
            auto *box = qobject_cast<QMessageBox *>(dialog);
            std::fprintf(stderr, "unexpected dialog \"%s\" %s\n", qPrintable(dialog->windowTitle()),
                         box ? qPrintable(box->text() + QLatin1Char(' ') + box->informativeText()) : "");
        }
        QPointer<QDialog> target(dialog);
        QTimer::singleShot(0, this, [target, handler] {
            if (target)
                handler(target);
        });
        // An answer that did not close it (a refused OK) must not hang the run.
        QTimer::singleShot(20000, this, [this, target] {
            if (target && target->isVisible()) {
                std::fprintf(stderr, "dialog \"%s\" left open\n", qPrintable(target->windowTitle()));
                m_unexpected = true;
                cancel(target);
            }
        });
        return false;
    }

private:
    static void cancel(QDialog *dialog)
    {
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            box->done(QMessageBox::No);
        else
            dialog->reject();
    }

    QList<Handler> m_queue;
    bool m_unexpected = false;
};

// Reads every value of a result, as a view would. The result is the
// caller's to clear, so that it chooses whether freeing it is timed.
inline PGresult *readAll(PGconn *c, const QString &query, int *rows, int *cols, qint64 *bytes)
{
    PGresult *r = PQexec(c, query.toUtf8().constData());
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
        std::fprintf(stderr, "%s", PQresultErrorMessage(r));
        PQclear(r);
        return nullptr;
    }
    *rows = PQntuples(r);
    *cols = PQnfields(r);
    *bytes = 0;
    for (int i = 0; i < *rows; ++i)
        for (int j = 0; j < *cols; ++j)
            *bytes += PQgetlength(r, i, j);
    return r;
}

} // namespace bench
