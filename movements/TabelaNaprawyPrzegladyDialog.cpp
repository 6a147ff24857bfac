#include "TabelaNaprawyPrzegladyDialog.h"
#include "ui_TabelaNaprawyPrzegladyDialog.h"

#include "ListaWyboruCommands.h"
#include "MovementForm.h"
#include "TAVListaWyboru.h"
#include "TAVPickBinding.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"

#include <QButtonGroup>
#include <QEvent>

using namespace MovementForm;

TabelaNaprawyPrzegladyDialog::TabelaNaprawyPrzegladyDialog(TAVTableModel *model, const QModelIndex &index,
                                                           const QSqlRecord &record, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaNaprawyPrzegladyDialog)
{
    ui->setupUi(this);
    connectButtons(ui->buttonBox);
    m_type = new QButtonGroup(this);
    m_type->addButton(ui->rb0_Npr, 0);
    m_type->addButton(ui->rb1_Prz, 1);
    ui->rb0_Npr->setChecked(true);
    ui->dtDataWyd->setDate(QDate::currentDate());
    ui->dtDataPrz->setDate(QDate::currentDate());
    bind(ui->dtDataWyd, QStringLiteral("np_data_wyd"));
    bind(ui->dtDataPrz, QStringLiteral("np_data_prz"));
    bind(ui->txUwagiWyd, QStringLiteral("np_uwagi_wyd"));
    bind(ui->txUwagiPrz, QStringLiteral("np_uwagi_prz"));
    // The state when sent is the tool's own, never typed in.
    ui->cbFkStnWyd->setEnabled(false);
    fillStates(ui->cbFkStnWyd);
    fillStates(ui->cbFkStnPrz);
    bindPick(ui->lwFkMgz, QStringLiteral("np_fk_mgz"), new MagazynyListaWyboruCommand, QStringLiteral("Magazyn"));
    bindPick(ui->lwFkNrz, QStringLiteral("np_fk_nrz"), new NarzedziaListaWyboruCommand, QStringLiteral("Narzędzie"))
            .parameter(QStringLiteral("filter"), QStringLiteral("nrz_przyjete_na_stan = true AND nrz_zlikwidowano = false"))
            .prepare([this](TAVListaWyboruCommand &list, TAVPickBinding::Pair &) {
                list.setParameter(QStringLiteral("windowTitle"),
                                  QStringLiteral("Wybierz narzędzie do %1")
                                          .arg(ui->rb0_Npr->isChecked() ? QStringLiteral("naprawy")
                                                                        : QStringLiteral("przeglądu")));
                return true;
            })
            .onChosen([this] { toolChosen(); });

    const QSqlRecord source = loadRow(record);
    if (QAbstractButton *type = m_type->button(source.value(QStringLiteral("np_typ")).toInt()))
        type->setChecked(true);
    selectState(ui->cbFkStnWyd, source.value(QStringLiteral("np_fk_stn_wyd")));
    selectState(ui->cbFkStnPrz, source.value(QStringLiteral("np_fk_stn_prz")));
    m_uztWyd = source.value(QStringLiteral("np_fk_uzt_wyd")).toInt();
    m_uztPrz = source.value(QStringLiteral("np_fk_uzt_prz")).toInt();
    ui->lbFkUztWyd->setText(userName(m_uztWyd));
    ui->lbFkUztPrz->setText(userName(m_uztPrz));
    // A new trip takes the warehouse and the state at sending from its tool;
    // a stored one shows what it holds, whatever the tool became since.
    const int tool = ui->lwFkNrz->data().toInt();
    if (tool != 0 && source.value(QStringLiteral("np_id")).toInt() > 0)
        m_inspectionMonths = toolFacts(tool).inspectionMonths;
    else if (tool != 0)
        toolChosen();
    ui->laNastepnyPrzeglad->hide();
    ui->dtNastepnyPrzeglad->hide();
    proposeNextInspection();
    connect(ui->dtDataPrz, &QDateEdit::dateChanged, this, &TabelaNaprawyPrzegladyDialog::proposeNextInspection);
}

TabelaNaprawyPrzegladyDialog::~TabelaNaprawyPrzegladyDialog() = default;

void TabelaNaprawyPrzegladyDialog::toolChosen()
{
    m_inspectionMonths =
            followTool(ui->lwFkNrz, ui->lwFkMgz, ui->gbWydanie->isEnabled() ? ui->cbFkStnWyd : nullptr).inspectionMonths;
    proposeNextInspection();
}

void TabelaNaprawyPrzegladyDialog::proposeNextInspection()
{
    ui->dtNastepnyPrzeglad->setDate(ui->dtDataPrz->date().addMonths(m_inspectionMonths));
}

void TabelaNaprawyPrzegladyDialog::setWydanieMode()
{
    ui->gbTyp->setEnabled(false);
    ui->lwFkMgz->setEnabled(false);
    ui->gbPrzyjecie->setEnabled(false);
}

void TabelaNaprawyPrzegladyDialog::setPrzyjecieMode()
{
    ui->gbTyp->setEnabled(false);
    ui->gbPodstawowe->setEnabled(false);
    ui->gbWydanie->setEnabled(false);
    const bool inspection = m_type->checkedId() == 1;
    ui->laNastepnyPrzeglad->setVisible(inspection);
    ui->dtNastepnyPrzeglad->setVisible(inspection);
}

QDate TabelaNaprawyPrzegladyDialog::nextInspection() const
{
    return ui->dtNastepnyPrzeglad->isVisibleTo(const_cast<TabelaNaprawyPrzegladyDialog *>(this))
                    && ui->gbPrzyjecie->isEnabled()
            ? ui->dtNastepnyPrzeglad->date()
            : QDate();
}

void TabelaNaprawyPrzegladyDialog::addChecks(ValidationMessages &messages)
{
    checkReturn(messages, ui->dtDataWyd, ui->dtDataPrz, ui->cbFkStnPrz);
}

QSqlRecord TabelaNaprawyPrzegladyDialog::getRecord()
{
    QSqlRecord rec = TAVDialog::getRecord();
    rec.setValue(QStringLiteral("np_fk_uzt_wyd"), keyOrNull(m_uztWyd));
    rec.setValue(QStringLiteral("np_fk_uzt_prz"), keyOrNull(m_uztPrz));
    if (ui->gbWydanie->isEnabled())
        rec.setValue(QStringLiteral("np_fk_stn_wyd"), stateOf(ui->cbFkStnWyd));
    rec.setValue(QStringLiteral("np_fk_stn_prz"),
                 ui->cbFkStnPrz->isEnabled() ? stateOf(ui->cbFkStnPrz) : QVariant(QMetaType::fromType<int>()));
    if (!ui->dtDataPrz->isEnabled())
        rec.setValue(QStringLiteral("np_data_prz"), QVariant(QMetaType::fromType<QDate>()));
    rec.setValue(QStringLiteral("np_typ"), m_type->checkedId());
    return rec;
}

void TabelaNaprawyPrzegladyDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    TAVDialog::changeEvent(event);
}
