#include "MovementForm.h"

#include "TAVFormat.h"

#include "TAVListaWyboru.h"
#include "TAVValidator.h"

#include <QComboBox>
#include <QDateEdit>
#include <QSqlQuery>

namespace {
QVariant one(const QString &sql, const QString &placeholder, const QVariant &value)
{
    QSqlQuery q;
    q.prepare(sql);
    q.bindValue(placeholder, value);
    return q.exec() && q.next() ? q.value(0) : QVariant();
}
} // namespace

namespace MovementForm {

QString userName(int id)
{
    if (id == 0)
        return QString();
    return one(QStringLiteral("SELECT uzt_imie || ' ' || uzt_nazwisko FROM uzytkownicy WHERE uzt_id = :uzt_id"),
               QStringLiteral(":uzt_id"), id)
            .toString();
}

QVariant keyOrNull(int key)
{
    return key != 0 ? QVariant(key) : QVariant(QMetaType::fromType<int>());
}

void fillStates(QComboBox *combo)
{
    QSqlQuery q;
    if (!q.exec(QStringLiteral("SELECT stn_id, stn_nazwa FROM stan_techniczny_narzedzi")))
        return;
    while (q.next()) {
        if (!q.value(0).isNull() && !q.value(1).isNull())
            combo->addItem(q.value(1).toString(), q.value(0));
    }
    combo->setCurrentIndex(-1);
}

void selectState(QComboBox *combo, const QVariant &key)
{
    if (!key.isValid() || key.isNull()) {
        combo->setCurrentIndex(-1);
        return;
    }
    int pos = combo->findText(key.toString(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (pos < 0)
        pos = combo->findData(key.toInt());
    combo->setCurrentIndex(pos);
}

QVariant stateOf(const QComboBox *combo)
{
    const QVariant data = combo->currentIndex() >= 0 ? combo->currentData() : QVariant();
    return data.isValid() ? QVariant(data.toInt()) : QVariant(QMetaType::fromType<int>());
}

void userHeaders(const std::function<void(const QString &, const QString &, const QString &)> &set,
                 const QString &issuing, const QString &receiving)
{
    for (const QString &side : {issuing, receiving}) {
        const bool out = side == issuing;
        const QString who = out ? QStringLiteral("Wydający") : QStringLiteral("Przyjmujący");
        const QString user = out ? QStringLiteral("Użytkownik wydający") : QStringLiteral("Użytkownik przyjmujący");
        for (const auto &part : {qMakePair("imie", "imię"), qMakePair("nazwisko", "nazwisko"), qMakePair("login", "login")})
            set(QStringLiteral("uzt_%1_%2").arg(side, QLatin1String(part.first)),
                QStringLiteral("%1 - %2").arg(who, QString::fromUtf8(part.second)),
                QStringLiteral("%1 - %2").arg(user, QString::fromUtf8(part.second)));
    }
}

void checkReturn(ValidationMessages &messages, QDateEdit *issued, QDateEdit *returned, QComboBox *state)
{
    // Today on the server's clock: the workstation's own may be wrong.
    QSqlQuery q;
    const QDate today = q.exec(QStringLiteral("SELECT current_date")) && q.next() ? q.value(0).toDate() : QDate::currentDate();
    for (const auto &date : {qMakePair(issued, "Wydania"), qMakePair(returned, "Przyjęcia")}) {
        if (date.first->isEnabled() && date.first->date() > today)
            messages.add(QStringLiteral("Data <b>%1</b> nie może być późniejsza od dzisiejszej (%2).")
                                 .arg(QString::fromUtf8(date.second), TAVFormat::date(today)),
                         date.first);
    }
    if (returned->isEnabled() && returned->date() < issued->date())
        messages.add(QStringLiteral("Data <b>Przyjęcia</b> nie może być wcześniejsza od daty <b>Wydania</b>."), returned);
    if (state && state->isEnabled() && state->currentIndex() < 0)
        messages.add(QStringLiteral("Pozycja <b>Stan narzędzia</b> nie może być pusta."), state);
}

ToolFacts toolFacts(int tool)
{
    ToolFacts facts;
    QSqlQuery q;
    q.prepare(QStringLiteral("SELECT n.nrz_fk_mgz, n.nrz_fk_stn, "
                             "coalesce(n.nrz_przeglad_miesiace, k.ktr_nrz_przeglad_miesiace, 12) "
                             "FROM narzedzia n LEFT JOIN kategorie_narzedzi k ON k.ktr_nrz_id = n.nrz_fk_ktr_nrz "
                             "WHERE n.nrz_id = :nrz_id"));
    q.bindValue(QStringLiteral(":nrz_id"), tool);
    if (q.exec() && q.next()) {
        facts.warehouse = q.value(0).toInt();
        facts.state = q.value(1);
        facts.inspectionMonths = q.value(2).toInt();
    }
    return facts;
}

ToolFacts followTool(const TAVListaWyboru *tool, TAVListaWyboru *warehouse, QComboBox *state)
{
    const ToolFacts facts = toolFacts(tool->data().toInt());
    if (facts.warehouse > 0)
        warehouse->setKey(facts.warehouse);
    if (state)
        selectState(state, facts.state);
    return facts;
}

} // namespace MovementForm
