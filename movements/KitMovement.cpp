#include "KitMovement.h"

#include "Movement.h"
#include "TAVDb.h"
#include "TAVTransaction.h"

namespace KitMovement {

namespace {

// The statements of one act, run in order until one fails; the cause of
// the failure (or of a failed commit) in a sentence.
class Statements
{
public:
    explicit Statements(QString *cause) : m_cause(cause)
    {
        if (!m_transaction.ok())
            fail(TAVDb::causeSentence(m_transaction.error()));
    }
    bool ok() const { return m_ok; }
    TAVDb::ResultPtr run(const QString &sql, const QVector<QVariant> &params = {})
    {
        if (!m_ok)
            return TAVDb::ResultPtr(nullptr, PQclear);
        TAVDbError error;
        TAVDb::ResultPtr r = TAVDb::exec(sql, params, &error);
        if (!r)
            fail(TAVDb::causeSentence(error));
        return r;
    }
    bool fail(const QString &cause)
    {
        if (m_ok && m_cause)
            *m_cause = cause;
        m_ok = false;
        return false;
    }
    bool commit()
    {
        if (m_ok && !m_transaction.commit())
            fail(TAVDb::causeSentence(m_transaction.error()));
        if (!m_ok)
            m_transaction.rollback();
        return m_ok;
    }

private:
    TAVTransaction m_transaction;
    QString *m_cause;
    bool m_ok = true;
};

QString idArray(const QList<qint64> &ids)
{
    QStringList items;
    for (qint64 id : ids)
        items << QString::number(id);
    return QStringLiteral("{%1}").arg(items.join(QLatin1Char(',')));
}

} // namespace

int send(Kind kind, int kit, const Act &act, QString *cause)
{
    Statements run(cause);
    // Locked in the order of their keys: two workstations cannot deadlock.
    TAVDb::ResultPtr members = run.run(
            QStringLiteral("SELECT nrz_id FROM narzedzia WHERE nrz_fk_zst = $1 ORDER BY nrz_id FOR UPDATE"), {kit});
    if (!run.ok())
        return 0;
    QList<qint64> ids;
    for (int i = 0; i < PQntuples(members.get()); ++i)
        ids << TAVDb::cellNumber(members, i, 0);
    if (ids.isEmpty()) {
        run.fail(QStringLiteral("Zestaw nie ma narzędzi."));
        return 0;
    }
    TAVDb::ResultPtr problems = run.run(QStringLiteral("SELECT f_zestaw_przeszkody($1, $2)"), {kit, kind == Kind::Employee});
    if (!run.ok())
        return 0;
    if (!PQgetisnull(problems.get(), 0, 0)) {
        run.fail(QStringLiteral("Nie można wydać narzędzi: %1.").arg(TAVDb::cellText(problems, 0, 0)));
        return 0;
    }
    if (kind == Kind::Employee && act.lateConfirmed)
        run.run(QStringLiteral("SELECT set_config('orv.potwierdzenie_po_terminie', 'tak', true)"));
    TAVDb::ResultPtr group = run.run(QStringLiteral("SELECT nextval('seq_grupa_ruchow')"));
    if (!run.ok())
        return 0;
    const qint64 key = TAVDb::cellNumber(group, 0, 0);
    const QString tools = idArray(ids);
    const QVariant user = Movement::currentUser();
    run.run(QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = ANY($1::integer[])"), {tools});
    switch (kind) {
    case Kind::Employee:
        run.run(QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, pnp_fk_muz, "
                               "pnp_fk_uzt_wyd, pnp_data_wydanie, pnp_planowany_zwrot, pnp_fk_stn_wydanie, pnp_uwagi_wydanie, "
                               "pnp_grupa, fk_uzt_stworzono, fk_uzt_zmodyfikowano) "
                               "SELECT nrz_id, $2, nrz_fk_mgz, $3, $4, $5, $6, nrz_fk_stn, nullif($7, ''), $8, $4, $4 "
                               "FROM narzedzia WHERE nrz_id = ANY($1::integer[]) ORDER BY nrz_id"),
                {tools, act.employee, act.place, user, act.date, act.plannedReturn, act.remarks, key});
        break;
    case Kind::Transfer:
        run.run(QStringLiteral("INSERT INTO przesuniecia_mm (psnmm_fk_nrz, psnmm_fk_mgz_src, psnmm_fk_mgz_dst, psnmm_fk_uzt_src, "
                               "psnmm_data_wydanie, psnmm_uwagi_wydanie, psnmm_grupa, fk_uzt_stworzono, fk_uzt_zmodyfikowano) "
                               "SELECT nrz_id, nrz_fk_mgz, $2, $3, $4, nullif($5, ''), $6, $3, $3 "
                               "FROM narzedzia WHERE nrz_id = ANY($1::integer[]) ORDER BY nrz_id"),
                {tools, act.destination, user, act.date, act.remarks, key});
        break;
    case Kind::Repair:
    case Kind::Inspection: {
        // The state it left in, then the state of a tool away: as for one tool.
        const int type = kind == Kind::Repair ? 0 : 1;
        run.run(QStringLiteral("INSERT INTO naprawy_przeglady (np_typ, np_fk_nrz, np_fk_mgz, np_fk_uzt_wyd, np_data_wyd, "
                               "np_fk_stn_wyd, np_uwagi_wyd, np_grupa, fk_uzt_stworzono, fk_uzt_zmodyfikowano) "
                               "SELECT $2, nrz_id, nrz_fk_mgz, $3, $4, nrz_fk_stn, nullif($5, ''), $6, $3, $3 "
                               "FROM narzedzia WHERE nrz_id = ANY($1::integer[]) ORDER BY nrz_id"),
                {tools, type, user, act.date, act.remarks, key});
        run.run(QStringLiteral("UPDATE narzedzia SET nrz_fk_stn = $2 WHERE nrz_id = ANY($1::integer[])"),
                {tools, type == 0 ? 2 : 3});
        break;
    }
    }
    if (!run.commit())
        return 0;
    TAVChangeBus::instance()->announce(QStringLiteral("narzedzia"), ids);
    TAVChangeBus::instance()->announceTable(kind == Kind::Employee   ? QStringLiteral("przypisane_narzedzia_pracownikom")
                                            : kind == Kind::Transfer ? QStringLiteral("przesuniecia_mm")
                                                                     : QStringLiteral("naprawy_przeglady"));
    return int(ids.size());
}

OpenIssue openIssue(int kit)
{
    OpenIssue open;
    TAVDbError error;
    // A kit goes out only whole, so its tools still out share one group.
    TAVDb::ResultPtr r = TAVDb::exec(
            QStringLiteral("SELECT p.pnp_id, n.nrz_id, n.nrz_kod, n.nrz_nazwa, "
                           "concat_ws(E'\\n', n.nrz_kod, n.nrz_kod_kreskowy, n.nrz_nr_ewidencyjny, n.nrz_nr_seryjny), "
                           "coalesce(p.pnp_fk_stn_wydanie, n.nrz_fk_stn), p.pnp_grupa, "
                           "concat_ws(' ', r.prc_imie, r.prc_nazwisko), p.pnp_data_wydanie "
                           "FROM przypisane_narzedzia_pracownikom p "
                           "JOIN narzedzia n ON n.nrz_id = p.pnp_fk_nrz "
                           "JOIN pracownicy r ON r.prc_id = p.pnp_fk_prc "
                           "WHERE n.nrz_fk_zst = $1 AND NOT p.pnp_status AND p.pnp_grupa IS NOT NULL "
                           "ORDER BY p.pnp_grupa DESC, n.nrz_kod"),
            {kit}, &error);
    if (!r)
        return open;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
        const qint64 group = TAVDb::cellNumber(r, i, 6);
        if (open.group != 0 && group != open.group)
            break;
        open.group = group;
        open.employee = TAVDb::cellText(r, i, 7);
        open.issued = QDate::fromString(TAVDb::cellText(r, i, 8), Qt::ISODate);
        Member m;
        m.issue = TAVDb::cellNumber(r, i, 0);
        m.tool = TAVDb::cellNumber(r, i, 1);
        m.code = TAVDb::cellText(r, i, 2);
        m.name = TAVDb::cellText(r, i, 3);
        m.codes = TAVDb::cellText(r, i, 4).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        m.state = int(TAVDb::cellNumber(r, i, 5));
        open.members << m;
    }
    return open;
}

bool takeBack(const QList<Returned> &tools, const QDate &date, const QString &remarks, QString *cause)
{
    Statements run(cause);
    const QVariant user = Movement::currentUser();
    QList<qint64> ids;
    for (const Returned &t : tools) {
        // Still out, locked: a second workstation taking it back meanwhile wins.
        TAVDb::ResultPtr open = run.run(
                QStringLiteral("SELECT 1 FROM przypisane_narzedzia_pracownikom WHERE pnp_id = $1 AND NOT pnp_status FOR UPDATE"),
                {t.issue});
        if (!run.ok())
            return false;
        if (PQntuples(open.get()) == 0)
            return run.fail(QStringLiteral("Część narzędzi zestawu została już zwrócona na innym stanowisku. "
                                           "Otwórz zwrot zestawu ponownie."));
        run.run(QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_stn = $2 WHERE nrz_id = $1"),
                {t.tool, t.state});
        run.run(QStringLiteral("UPDATE przypisane_narzedzia_pracownikom SET pnp_status = true, pnp_data_przyjecie = $2, "
                               "pnp_fk_stn_przyjecie = $3, pnp_fk_uzt_prz = $4, pnp_uwagi_przyjecie = nullif($5, ''), "
                               "fk_uzt_zmodyfikowano = $4 WHERE pnp_id = $1"),
                {t.issue, date, t.state, user, remarks});
        ids << t.tool;
    }
    if (!run.commit())
        return false;
    TAVChangeBus::instance()->announce(QStringLiteral("narzedzia"), ids);
    TAVChangeBus::instance()->announceTable(QStringLiteral("przypisane_narzedzia_pracownikom"));
    return true;
}

qint64 transferGroup(qint64 transfer, int *inTransit)
{
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT t.psnmm_grupa, (SELECT count(*) FROM przesuniecia_mm g "
                                                    "WHERE g.psnmm_grupa = t.psnmm_grupa AND NOT g.psnmm_status) "
                                                    "FROM przesuniecia_mm t WHERE t.psnmm_id = $1 AND t.psnmm_grupa IS NOT NULL"),
                                     {transfer}, &error);
    if (!r || PQntuples(r.get()) == 0)
        return 0;
    if (inTransit)
        *inTransit = int(TAVDb::cellNumber(r, 0, 1));
    return TAVDb::cellNumber(r, 0, 0);
}

bool receiveTransfer(qint64 group, const QDate &date, const QString &remarks, QString *cause)
{
    Statements run(cause);
    TAVDb::ResultPtr open = run.run(QStringLiteral("SELECT psnmm_id, psnmm_fk_nrz, psnmm_fk_mgz_dst FROM przesuniecia_mm "
                                                   "WHERE psnmm_grupa = $1 AND NOT psnmm_status ORDER BY psnmm_fk_nrz FOR UPDATE"),
                                    {group});
    if (!run.ok())
        return false;
    if (PQntuples(open.get()) == 0)
        return run.fail(QStringLiteral("Przesunięcie zestawu zostało już przyjęte lub anulowane na innym stanowisku."));
    const qint64 destination = TAVDb::cellNumber(open, 0, 2);
    QList<qint64> ids;
    for (int i = 0; i < PQntuples(open.get()); ++i)
        ids << TAVDb::cellNumber(open, i, 1);
    const QString tools = idArray(ids);
    const QVariant user = Movement::currentUser();
    // The kit first, while its transfers are open: the receiving manager may move it.
    run.run(QStringLiteral("UPDATE zestawy SET zst_fk_mgz = $2, fk_uzt_zmodyfikowano = $3 WHERE zst_id IN "
                           "(SELECT nrz_fk_zst FROM narzedzia WHERE nrz_id = ANY($1::integer[]) AND nrz_fk_zst IS NOT NULL) "
                           "AND zst_fk_mgz <> $2"),
            {tools, destination, user});
    run.run(QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true, nrz_fk_mgz = $2 WHERE nrz_id = ANY($1::integer[])"),
            {tools, destination});
    run.run(QStringLiteral("UPDATE przesuniecia_mm SET psnmm_status = true, psnmm_data_przyjecie = $2, psnmm_fk_uzt_dst = $3, "
                           "psnmm_uwagi_przyjecie = nullif($4, ''), fk_uzt_zmodyfikowano = $3 "
                           "WHERE psnmm_grupa = $1 AND NOT psnmm_status"),
            {group, date, user, remarks});
    if (!run.commit())
        return false;
    TAVChangeBus::instance()->announce(QStringLiteral("narzedzia"), ids);
    TAVChangeBus::instance()->announceTable(QStringLiteral("przesuniecia_mm"));
    TAVChangeBus::instance()->announceTable(QStringLiteral("zestawy"));
    return true;
}

bool cancelTransfer(qint64 group, QString *cause)
{
    Statements run(cause);
    TAVDb::ResultPtr open = run.run(QStringLiteral("SELECT psnmm_fk_nrz FROM przesuniecia_mm WHERE psnmm_grupa = $1 "
                                                   "AND NOT psnmm_status ORDER BY psnmm_fk_nrz FOR UPDATE"),
                                    {group});
    if (!run.ok())
        return false;
    if (PQntuples(open.get()) == 0)
        return run.fail(QStringLiteral("Przesunięcie zestawu zostało już przyjęte lub anulowane na innym stanowisku."));
    QList<qint64> ids;
    for (int i = 0; i < PQntuples(open.get()); ++i)
        ids << TAVDb::cellNumber(open, i, 0);
    run.run(QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = true WHERE nrz_id = ANY($1::integer[])"),
            {idArray(ids)});
    run.run(QStringLiteral("DELETE FROM przesuniecia_mm WHERE psnmm_grupa = $1 AND NOT psnmm_status"), {group});
    if (!run.commit())
        return false;
    TAVChangeBus::instance()->announce(QStringLiteral("narzedzia"), ids);
    TAVChangeBus::instance()->announceTable(QStringLiteral("przesuniecia_mm"));
    return true;
}

} // namespace KitMovement
