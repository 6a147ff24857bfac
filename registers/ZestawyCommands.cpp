#include "ZestawyCommands.h"
#include "ui_WydanieZestawuDialog.h"

#include "Factories.h"
#include "TAVPickBinding.h"
#include "TAVSession.h"

#include "ListaWyboruCommands.h"
#include "TAVDb.h"
#include "TAVTransaction.h"
#include "TAVMessages.h"
#include "TAVTableModel.h"

#include <QCheckBox>
#include <QDate>

namespace {
const QString kTitle = QStringLiteral("Zestawy narzędzi");

bool setKit(TAVTableModel *model, qint64 tool, const QVariant &kit, const QString &failed)
{
    TAVDbError error;
    if (!TAVDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_zst = $1 WHERE nrz_id = $2"), {kit, tool}, &error)) {
        TAVMessages::warning(kTitle, failed, TAVDb::causeSentence(error));
        return false;
    }
    TAVChangeBus::instance()->announce(QStringLiteral("narzedzia"), {tool}, model);
    model->select();
    return true;
}
} // namespace

ZestawyCmdDodajNarzedzie::ZestawyCmdDodajNarzedzie(TAVPermissionPolicy *policy) : TAVCommand(policy)
{
    setName(QStringLiteral("ZestawyCmdDodajNarzedzie"));
}

bool ZestawyCmdDodajNarzedzie::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                           QPair<QString, int> *_refField)
{
    const int kit = _refField ? _refField->second : 0;
    if (!_model || kit <= 0)
        return false;
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT zst_fk_mgz FROM zestawy WHERE zst_id = $1"), {kit}, &error);
    if (!r || PQntuples(r.get()) < 1)
        return false;
    const QString warehouse = QString::fromLatin1(PQgetvalue(r.get(), 0, 0));
    NarzedziaListaWyboruCommand pick;
    pick.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz narzędzie do zestawu"));
    pick.setParameter(QStringLiteral("filter"),
                      QStringLiteral("nrz_fk_zst IS NULL AND NOT nrz_zlikwidowano AND nrz_fk_mgz = %1").arg(warehouse));
    QPair<QString, int> chosen(QStringLiteral("nrz_id"), 0);
    if (!pick.operacja(_model, _modelIndex, &chosen) || chosen.second <= 0)
        return false;
    return setKit(_model, chosen.second, kit, QStringLiteral("Nie udało się dodać narzędzia do zestawu."));
}

ZestawyCmdUsunNarzedzie::ZestawyCmdUsunNarzedzie(TAVPermissionPolicy *policy) : TAVCommand(policy)
{
    setName(QStringLiteral("ZestawyCmdUsunNarzedzie"));
}

bool ZestawyCmdUsunNarzedzie::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *)
{
    if (!_model || !_modelIndex.isValid())
        return false;
    const qint64 tool = _model->value(_modelIndex.row(), QStringLiteral("nrz_id")).toLongLong();
    return setKit(_model, tool, QVariant(QMetaType::fromType<int>()), QStringLiteral("Nie udało się wyjąć narzędzia z zestawu."));
}

WydanieZestawuDialog::WydanieZestawuDialog(TAVTableModel *issues, const QString &kit, QWidget *parent)
    : TAVDialog(issues, QModelIndex(), parent), ui(new Ui::WydanieZestawuDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    ui->laZestaw->setText(kit);
    ui->dtDataWydanie->setDate(QDate::currentDate());
    bind(ui->dtDataWydanie, QStringLiteral("pnp_data_wydanie"));
    bind(ui->txUwagi, QStringLiteral("pnp_uwagi_wydanie"));
    bindPick(ui->lwFkPrc, QStringLiteral("pnp_fk_prc"), new PracownicyListaWyboruCommand, QStringLiteral("Pracownik"));
    bindPick(ui->lwFkMuz, QStringLiteral("pnp_fk_muz"), new MiejscaUzytkowaniaListaWyboruCommand,
             QStringLiteral("Miejsce użytkowania"))
            .title(QStringLiteral("Wybierz miejsce użytkowania zestawu"));
    ui->dtPlanowanyZwrot->setDate(QDate::currentDate().addDays(7));
    ui->dtPlanowanyZwrot->setEnabled(false);
    connect(ui->ckPlanowanyZwrot, &QCheckBox::toggled, ui->dtPlanowanyZwrot, &QWidget::setEnabled);
    loadRow();
    fixSize();
}

WydanieZestawuDialog::~WydanieZestawuDialog() = default;

QSqlRecord WydanieZestawuDialog::getRecord()
{
    QSqlRecord rec = TAVDialog::getRecord();
    rec.setValue(QStringLiteral("pnp_planowany_zwrot"), ui->ckPlanowanyZwrot->isChecked()
                                                            ? QVariant(ui->dtPlanowanyZwrot->date())
                                                            : QVariant(QMetaType::fromType<QDate>()));
    return rec;
}

ZestawyCmdWydajPracownikowi::ZestawyCmdWydajPracownikowi(TAVPermissionPolicy *policy) : TAVCommand(policy)
{
    setName(QStringLiteral("ZestawyCmdWydajPracownikowi"));
}

bool ZestawyCmdWydajPracownikowi::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                             QPair<QString, int> *)
{
    if (!_model || !_modelIndex.isValid())
        return false;
    const QSqlRecord kit = _model->record(_modelIndex.row());
    const int kitId = kit.value(QStringLiteral("zst_id")).toInt();
    const QString name = QStringLiteral("%1 – %2").arg(kit.value(QStringLiteral("zst_kod")).toString(),
                                                      kit.value(QStringLiteral("zst_nazwa")).toString());
    std::unique_ptr<TAVTableModel> issues(
            SFModels::instance()->create(QStringLiteral("PrzypisaneNarzedziaPracownikomModel"), QString()));
    if (!issues)
        return false;
    issues->setFilter(QStringLiteral("pnp_id = -1"));
    issues->select();
    WydanieZestawuDialog dialog(issues.get(), QStringLiteral("Zestaw %1").arg(name));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QSqlRecord rec = dialog.getRecord();

    const QString failed = QStringLiteral("Zestawu %1 nie wydano.").arg(name);
    TAVTransaction transaction;
    TAVDbError error;
    // The kit's tools locked: a second workstation issuing them waits and then reads the outcome.
    if (!transaction.ok()) {
        TAVMessages::warning(kTitle, failed, TAVDb::causeSentence(transaction.error()));
        return false;
    }
    TAVDb::ResultPtr tools = TAVDb::exec(
            QStringLiteral("SELECT nrz_id, nrz_fk_stn FROM narzedzia WHERE nrz_fk_zst = $1 ORDER BY nrz_id FOR UPDATE"), {kitId},
            &error);
    if (!tools || PQntuples(tools.get()) == 0) {
        transaction.rollback();
        TAVMessages::warning(kTitle, failed, tools ? QStringLiteral("Zestaw nie ma narzędzi.") : TAVDb::causeSentence(error));
        return false;
    }
    TAVDb::ResultPtr problems = TAVDb::exec(QStringLiteral("SELECT f_zestaw_przeszkody($1, true)"), {kitId}, &error);
    if (!problems || !PQgetisnull(problems.get(), 0, 0)) {
        transaction.rollback();
        TAVMessages::warning(kTitle, failed,
                             problems ? QStringLiteral("Nie można wydać narzędzi: %1.").arg(QString::fromUtf8(PQgetvalue(problems.get(), 0, 0)))
                                      : TAVDb::causeSentence(error));
        return false;
    }
    TAVDb::ResultPtr group = TAVDb::exec(QStringLiteral("SELECT nextval('seq_grupa_ruchow')"), {}, &error);
    bool ok = group != nullptr;
    QList<qint64> moved;
    for (int i = 0; ok && i < PQntuples(tools.get()); ++i) {
        const qint64 tool = QByteArray(PQgetvalue(tools.get(), i, 0)).toLongLong();
        ok = TAVDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_przyjete_na_stan = false WHERE nrz_id = $1"), {tool}, &error)
             && TAVDb::exec(QStringLiteral("INSERT INTO przypisane_narzedzia_pracownikom (pnp_fk_nrz, pnp_fk_prc, pnp_fk_mgz, "
                                           "pnp_fk_muz, pnp_fk_uzt_wyd, pnp_data_wydanie, pnp_planowany_zwrot, pnp_fk_stn_wydanie, "
                                           "pnp_uwagi_wydanie, pnp_grupa) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10)"),
                            {tool, rec.value(QStringLiteral("pnp_fk_prc")), kit.value(QStringLiteral("zst_fk_mgz")),
                             rec.value(QStringLiteral("pnp_fk_muz")), TAVSession::currentUserId(),
                             rec.value(QStringLiteral("pnp_data_wydanie")), rec.value(QStringLiteral("pnp_planowany_zwrot")),
                             QByteArray(PQgetvalue(tools.get(), i, 1)).toInt(), rec.value(QStringLiteral("pnp_uwagi_wydanie")),
                             QByteArray(PQgetvalue(group.get(), 0, 0)).toLongLong()},
                            &error);
        moved << tool;
    }
    if (!ok || !transaction.commit()) {
        const QString cause = TAVDb::causeSentence(ok ? transaction.error() : error);
        transaction.rollback();
        TAVMessages::warning(kTitle, failed, cause);
        return false;
    }
    TAVChangeBus::instance()->announce(QStringLiteral("narzedzia"), moved, _model);
    TAVChangeBus::instance()->announceTable(QStringLiteral("przypisane_narzedzia_pracownikom"));
    _model->select();
    TAVMessages::information(kTitle, QStringLiteral("Wydano zestaw %1: narzędzi %2.").arg(name).arg(moved.size()));
    return true;
}
