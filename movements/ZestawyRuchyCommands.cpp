#include "ZestawyRuchyCommands.h"
#include "ui_WydanieZestawuDialog.h"
#include "ui_ZwrotZestawuDialog.h"

#include "Factories.h"
#include "ListaWyboruCommands.h"
#include "Movement.h"
#include "MovementForm.h"
#include "NaprawyPrzegladyModel.h"
#include "OrvReports.h"
#include "PrzesunieciaMMModel.h"
#include "PrzypisaneNarzedziaPracownikomCommand.h"
#include "PrzypisaneNarzedziaPracownikomModel.h"
#include "TAVDb.h"
#include "TAVFormat.h"
#include "TAVMessages.h"
#include "TAVPickBinding.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>

using KitMovement::Kind;

namespace {
const QString kTitle = QStringLiteral("Zestawy narzędzi");

QString modelOf(Kind kind)
{
    switch (kind) {
    case Kind::Employee:
        return modelNameOf<PrzypisaneNarzedziaPracownikomModel>();
    case Kind::Transfer:
        return modelNameOf<PrzesunieciaMMModel>();
    default:
        return modelNameOf<NaprawyPrzegladyModel>();
    }
}

QString keyOf(Kind kind)
{
    return kind == Kind::Employee ? QStringLiteral("pnp_id")
           : kind == Kind::Transfer ? QStringLiteral("psnmm_id") : QStringLiteral("np_id");
}
} // namespace

WydanieZestawuDialog::WydanieZestawuDialog(TAVTableModel *movements, Kind kind, int kit, const QString &caption,
                                           int warehouse, QWidget *parent)
    : TAVDialog(movements, QModelIndex(), parent), ui(new Ui::WydanieZestawuDialog), m_kind(kind), m_warehouse(warehouse)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    ui->laZestaw->setText(QStringLiteral("Zestaw %1").arg(caption));
    ui->dtDataWydanie->setDate(QDate::currentDate());
    const bool employee = kind == Kind::Employee;
    ui->formLayout->setRowVisible(ui->lwFkMgzDst, kind == Kind::Transfer);
    ui->formLayout->setRowVisible(ui->lwFkPrc, employee);
    ui->formLayout->setRowVisible(ui->lwFkMuz, employee);
    ui->formLayout->setRowVisible(ui->planLayout, employee);
    switch (kind) {
    case Kind::Employee: {
        setWindowTitle(QStringLiteral("Wydanie zestawu pracownikowi"));
        bind(ui->dtDataWydanie, QStringLiteral("pnp_data_wydanie"));
        bind(ui->txUwagi, QStringLiteral("pnp_uwagi_wydanie"));
        bindPick(ui->lwFkPrc, QStringLiteral("pnp_fk_prc"), new PracownicyListaWyboruCommand, QStringLiteral("Pracownik"));
        bindPick(ui->lwFkMuz, QStringLiteral("pnp_fk_muz"), new MiejscaUzytkowaniaListaWyboruCommand,
                 QStringLiteral("Miejsce użytkowania"))
                .title(QStringLiteral("Wybierz miejsce użytkowania zestawu"));
        // The shortest lending period of its tools' categories; none: no planned day.
        TAVDbError error;
        TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT min(k.ktr_nrz_okres_wypozyczenia) FROM narzedzia n "
                                                        "JOIN kategorie_narzedzi k ON k.ktr_nrz_id = n.nrz_fk_ktr_nrz "
                                                        "WHERE n.nrz_fk_zst = $1"),
                                         {kit}, &error);
        const bool lent = r && PQntuples(r.get()) > 0 && !PQgetisnull(r.get(), 0, 0);
        ui->ckPlanowanyZwrot->setChecked(lent);
        ui->dtPlanowanyZwrot->setDate(QDate::currentDate().addDays(lent ? int(TAVDb::cellNumber(r, 0, 0)) : 7));
        ui->dtPlanowanyZwrot->setEnabled(lent);
        connect(ui->ckPlanowanyZwrot, &QCheckBox::toggled, ui->dtPlanowanyZwrot, &QWidget::setEnabled);
        break;
    }
    case Kind::Transfer:
        setWindowTitle(QStringLiteral("Wydanie zestawu na inny magazyn"));
        bind(ui->dtDataWydanie, QStringLiteral("psnmm_data_wydanie"));
        bind(ui->txUwagi, QStringLiteral("psnmm_uwagi_wydanie"));
        bindPick(ui->lwFkMgzDst, QStringLiteral("psnmm_fk_mgz_dst"), new MagazynyListaWyboruCommand,
                 QStringLiteral("Magazyn docelowy"))
                .title(QStringLiteral("Wybierz magazyn docelowy zestawu"))
                // A closed warehouse takes no transfers.
                .parameter(QStringLiteral("onlyActive"), true);
        break;
    case Kind::Repair:
    case Kind::Inspection:
        setWindowTitle(kind == Kind::Repair ? QStringLiteral("Wysłanie zestawu do naprawy")
                                            : QStringLiteral("Wysłanie zestawu do przeglądu"));
        bind(ui->dtDataWydanie, QStringLiteral("np_data_wyd"));
        bind(ui->txUwagi, QStringLiteral("np_uwagi_wyd"));
        break;
    }
    loadRow();
    ui->dtDataWydanie->setDate(QDate::currentDate());
    fixSize();
}

WydanieZestawuDialog::~WydanieZestawuDialog() = default;

KitMovement::Act WydanieZestawuDialog::act() const
{
    KitMovement::Act act;
    act.employee = ui->lwFkPrc->key();
    act.place = ui->lwFkMuz->key();
    act.destination = ui->lwFkMgzDst->key();
    act.date = ui->dtDataWydanie->date();
    act.plannedReturn = m_kind == Kind::Employee && ui->ckPlanowanyZwrot->isChecked()
                                ? QVariant(ui->dtPlanowanyZwrot->date())
                                : QVariant(QMetaType::fromType<QDate>());
    act.remarks = ui->txUwagi->toPlainText().trimmed();
    return act;
}

void WydanieZestawuDialog::addChecks(ValidationMessages &messages)
{
    if (ui->dtDataWydanie->date() > QDate::currentDate())
        messages.add(QStringLiteral("Data nie może być późniejsza niż dzisiejsza."), ui->dtDataWydanie);
    if (m_kind == Kind::Employee && ui->ckPlanowanyZwrot->isChecked()
        && ui->dtPlanowanyZwrot->date() < ui->dtDataWydanie->date())
        messages.add(QStringLiteral("Planowany zwrot nie może być wcześniejszy niż data wydania."), ui->dtPlanowanyZwrot);
    if (m_kind == Kind::Transfer && ui->lwFkMgzDst->key().toInt() == m_warehouse)
        messages.add(QStringLiteral("Magazyn docelowy musi być inny niż magazyn zestawu."), ui->lwFkMgzDst);
}

ZwrotZestawuDialog::ZwrotZestawuDialog(const QString &caption, const KitMovement::OpenIssue &open, QWidget *parent)
    : QDialog(parent), ui(new Ui::ZwrotZestawuDialog), m_open(open)
{
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter belongs to the scanner, not to the OK button.
    for (QAbstractButton *b : ui->buttonBox->buttons()) {
        if (auto *push = qobject_cast<QPushButton *>(b)) {
            push->setAutoDefault(false);
            push->setDefault(false);
        }
    }
    ui->leKod->installEventFilter(this);
    ui->laZestaw->setText(QStringLiteral("Zestaw %1, wydany %2 pracownikowi %3. Zeskanuj kody zwracanych narzędzi.")
                                  .arg(caption, TAVFormat::date(open.issued), open.employee));
    ui->dtDataPrzyjecie->setDate(QDate::currentDate());
    ui->twNarzedzia->setRowCount(int(open.members.size()));
    for (int row = 0; row < open.members.size(); ++row) {
        const KitMovement::Member &m = open.members.at(row);
        auto *tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        tick->setCheckState(Qt::Unchecked);
        ui->twNarzedzia->setItem(row, 0, tick);
        for (int column : {1, 2}) {
            auto *item = new QTableWidgetItem(column == 1 ? m.code : m.name);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            ui->twNarzedzia->setItem(row, column, item);
        }
        auto *state = new QComboBox;
        MovementForm::fillStates(state);
        MovementForm::selectState(state, m.state);
        state->setEnabled(false);
        ui->twNarzedzia->setCellWidget(row, 3, state);
    }
    ui->twNarzedzia->resizeColumnsToContents();
    connect(ui->twNarzedzia, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (item->column() != 0)
            return;
        stateBox(item->row())->setEnabled(item->checkState() == Qt::Checked);
        countReturned();
    });
    countReturned();
    ui->leKod->setFocus();
}

ZwrotZestawuDialog::~ZwrotZestawuDialog() = default;

QComboBox *ZwrotZestawuDialog::stateBox(int row) const
{
    return qobject_cast<QComboBox *>(ui->twNarzedzia->cellWidget(row, 3));
}

bool ZwrotZestawuDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->leKod && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            scan();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ZwrotZestawuDialog::scan()
{
    const QString code = ui->leKod->text().trimmed();
    ui->leKod->clear();
    if (code.isEmpty())
        return;
    for (int row = 0; row < m_open.members.size(); ++row) {
        const KitMovement::Member &m = m_open.members.at(row);
        if (!m.codes.contains(code, Qt::CaseInsensitive))
            continue;
        ui->twNarzedzia->selectRow(row);
        QTableWidgetItem *tick = ui->twNarzedzia->item(row, 0);
        if (tick->checkState() == Qt::Checked) {
            showNote(QStringLiteral("Narzędzie %1 już zeskanowano – pominięto.").arg(m.code), true);
        } else {
            tick->setCheckState(Qt::Checked);
            showNote(QStringLiteral("Zwrócono: %1 – %2.").arg(m.code, m.name), true);
        }
        return;
    }
    showNote(QStringLiteral("Kod „%1” nie należy do narzędzi tego zestawu wydanych pracownikowi – nie przyjęto.").arg(code),
             false);
}

void ZwrotZestawuDialog::showNote(const QString &text, bool fine)
{
    ui->laKomunikat->setText(text);
    ui->laKomunikat->setStyleSheet(fine ? QString() : QStringLiteral("color: #b00020; font-weight: bold;"));
}

void ZwrotZestawuDialog::countReturned()
{
    ui->laLicznik->setText(QStringLiteral("Zwrócono %1 z %2 narzędzi.").arg(returned().size()).arg(m_open.members.size()));
}

QList<KitMovement::Returned> ZwrotZestawuDialog::returned() const
{
    QList<KitMovement::Returned> list;
    for (int row = 0; row < m_open.members.size(); ++row) {
        if (ui->twNarzedzia->item(row, 0)->checkState() != Qt::Checked)
            continue;
        const KitMovement::Member &m = m_open.members.at(row);
        list.append({m.issue, m.tool, MovementForm::stateOf(stateBox(row)).toInt()});
    }
    return list;
}

QDate ZwrotZestawuDialog::date() const
{
    return ui->dtDataPrzyjecie->date();
}

QString ZwrotZestawuDialog::remarks() const
{
    return ui->txUwagi->toPlainText().trimmed();
}

void ZwrotZestawuDialog::accept()
{
    QString problem;
    if (returned().isEmpty())
        problem = QStringLiteral("Nie zeskanowano żadnego narzędzia zestawu.");
    else if (date() < m_open.issued)
        problem = QStringLiteral("Data zwrotu nie może być wcześniejsza niż data wydania.");
    else if (date() > QDate::currentDate())
        problem = QStringLiteral("Data zwrotu nie może być późniejsza niż dzisiejsza.");
    if (!problem.isEmpty()) {
        TAVMessages::warning(windowTitle(), problem);
        ui->leKod->setFocus();
        return;
    }
    QDialog::accept();
}

ZestawyRuchCommand::ZestawyRuchCommand(const QString &name, Kind kind, TAVPermissionPolicy *policy)
    : TAVCommand(policy), m_kind(kind)
{
    setName(name);
}

bool ZestawyRuchCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *)
{
    if (!_model || !_modelIndex.isValid())
        return false;
    const int kit = _model->value(_modelIndex.row(), QStringLiteral("zst_id")).toInt();
    std::unique_ptr<TAVTableModel> movements = Movement::fresh(modelOf(m_kind), keyOf(m_kind) + QStringLiteral(" = -1"));
    int warehouse = 0;
    const QString name = ZestawyRuchy::caption(kit, &warehouse);
    WydanieZestawuDialog dialog(movements.get(), m_kind, kit, name, warehouse);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const bool sent = ZestawyRuchy::send(m_kind, kit, dialog.act());
    if (sent)
        _model->select();
    return sent;
}

ZestawyZwrotCommand::ZestawyZwrotCommand(TAVPermissionPolicy *policy) : TAVCommand(policy)
{
    setName(QStringLiteral("ZestawyCmdPrzyjmijOdPracownika"));
}

bool ZestawyZwrotCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *)
{
    if (!_model || !_modelIndex.isValid())
        return false;
    const int kit = _model->value(_modelIndex.row(), QStringLiteral("zst_id")).toInt();
    const QString name = ZestawyRuchy::caption(kit);
    const KitMovement::OpenIssue open = KitMovement::openIssue(kit);
    if (open.group == 0) {
        TAVMessages::information(kTitle, QStringLiteral("Zestaw %1 nie jest wydany pracownikowi.").arg(name));
        return false;
    }
    ZwrotZestawuDialog dialog(name, open);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QList<KitMovement::Returned> back = dialog.returned();
    QString cause;
    if (!KitMovement::takeBack(back, dialog.date(), dialog.remarks(), &cause)) {
        TAVMessages::warning(kTitle, QStringLiteral("Zwrotu zestawu %1 nie zapisano.").arg(name), cause);
        return false;
    }
    _model->select();
    const qsizetype missing = open.members.size() - back.size();
    if (missing == 0) {
        TAVMessages::information(kTitle, QStringLiteral("Zwrócono cały zestaw %1.").arg(name));
        return true;
    }
    if (TAVMessages::question(kTitle, QStringLiteral("Zwrócono %1 z %2 narzędzi zestawu %3; brakujące pozostają wydane "
                                                     "pracownikowi. Wydrukować protokół braków?")
                                              .arg(back.size())
                                              .arg(open.members.size())
                                              .arg(name)))
        ZestawyRuchy::printShortageRecord(open.group);
    return true;
}

namespace ZestawyRuchy {

QString caption(int kit, int *warehouse)
{
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT zst_kod || ' – ' || zst_nazwa, zst_fk_mgz FROM zestawy "
                                                    "WHERE zst_id = $1"),
                                     {kit}, &error);
    if (!r || PQntuples(r.get()) == 0)
        return QString();
    if (warehouse)
        *warehouse = int(TAVDb::cellNumber(r, 0, 1));
    return TAVDb::cellText(r, 0, 0);
}

int byCode(const QString &code)
{
    TAVDbError error;
    TAVDb::ResultPtr r = TAVDb::exec(QStringLiteral("SELECT zst_id FROM zestawy WHERE lower(zst_kod) = lower($1)"),
                                     {code.trimmed()}, &error);
    return r && PQntuples(r.get()) > 0 ? int(TAVDb::cellNumber(r, 0, 0)) : 0;
}

bool send(Kind kind, int kit, KitMovement::Act act)
{
    const QString name = caption(kit);
    if (kind == Kind::Employee
        && !PrzypisaneNarzedziaPracownikomCommand::mayIssueTo(act.employee.toInt(), &act.lateConfirmed))
        return false;
    QString cause;
    const int count = KitMovement::send(kind, kit, act, &cause);
    if (count == 0) {
        TAVMessages::warning(kTitle,
                             (kind == Kind::Repair || kind == Kind::Inspection ? QStringLiteral("Zestawu %1 nie wysłano.")
                                                                               : QStringLiteral("Zestawu %1 nie wydano."))
                                     .arg(name),
                             cause);
        return false;
    }
    QString done;
    switch (kind) {
    case Kind::Employee:
        done = QStringLiteral("Wydano zestaw %1: narzędzi %2.");
        break;
    case Kind::Transfer:
        done = QStringLiteral("Wydano zestaw %1 na inny magazyn: narzędzi %2. Magazyn docelowy przyjmuje cały zestaw.");
        break;
    case Kind::Repair:
        done = QStringLiteral("Wysłano zestaw %1 do naprawy: narzędzi %2.");
        break;
    case Kind::Inspection:
        done = QStringLiteral("Wysłano zestaw %1 do przeglądu: narzędzi %2.");
        break;
    }
    TAVMessages::information(kTitle, done.arg(name).arg(count));
    return true;
}

void printShortageRecord(qint64 group)
{
    ParameterList params;
    params.append(QStringLiteral("TAV_ID"), group);
    OrvReports::printReport(nullptr, QStringLiteral("protokol_brakow"), params, {}, OrvReports::OutputMode::Preview);
}

} // namespace ZestawyRuchy
