#include "KontaSerweraDialog.h"
#include "ui_KontaSerweraDialog.h"

#include "ChangePasswordDialog.h"
#include "TAVDb.h"
#include "TAVMessages.h"
#include "TAVSession.h"

#include <QHeaderView>
#include <QPushButton>

namespace {
const QString kTitle = QStringLiteral("Konta serwera bazy danych");
} // namespace

KontaSerweraDialog::KontaSerweraDialog(QWidget *parent) : QDialog(parent), ui(new Ui::KontaSerweraDialog)
{
    ui->setupUi(this);
    ui->twKonta->setColumnCount(4);
    ui->twKonta->setHorizontalHeaderLabels({QStringLiteral("Login"), QStringLiteral("Imię i nazwisko"),
                                            QStringLiteral("Zatrudniony"), QStringLiteral("Konto serwera")});
    ui->twKonta->horizontalHeader()->setStretchLastSection(true);
    ui->twKonta->verticalHeader()->hide();
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->btRozpocznij, &QPushButton::clicked, this, &KontaSerweraDialog::start);
    connect(ui->btHaslo, &QPushButton::clicked, this, &KontaSerweraDialog::setPassword);
    connect(ui->btPrzelacz, &QPushButton::clicked, this, &KontaSerweraDialog::switchOver);
    connect(ui->twKonta, &QTableWidget::itemSelectionChanged, this, [this] {
        ui->btHaslo->setEnabled(m_mode != QLatin1String("wspolna") && ui->twKonta->currentRow() >= 0);
    });
    refresh();
}

KontaSerweraDialog::~KontaSerweraDialog() = default;

void KontaSerweraDialog::refresh()
{
    TAVDbError error;
    TAVDb::ResultPtr mode = TAVDb::exec(QStringLiteral("SELECT otp_tryb FROM orv_tryb_praw"), {}, &error);
    m_mode = mode && PQntuples(mode.get()) > 0 ? TAVDb::cellText(mode, 0, 0) : QStringLiteral("wspolna");
    if (m_mode == QLatin1String("wspolna"))
        ui->laTryb->setText(QStringLiteral(
                "Wszystkie stanowiska logują się do bazy wspólną rolą, a prawa użytkowników pilnuje tylko program. "
                "Po rozpoczęciu przechodzenia każdy użytkownik dostaje własne konto serwera bazy danych, a hasło "
                "konta przy najbliższym logowaniu (albo od administratora)."));
    else if (m_mode == QLatin1String("migracja"))
        ui->laTryb->setText(QStringLiteral(
                "Trwa przechodzenie na konta serwera: użytkownik, który się zaloguje, dostaje hasło konta równe "
                "swojemu hasłu. Gdy wszyscy (albo wszyscy potrzebni) mają konta z hasłem, przełącz bazę na prawa "
                "serwera: wspólna rola i zapisane skróty haseł znikną, a pozostałym użytkownikom hasło ustawi "
                "administrator."));
    else
        ui->laTryb->setText(QStringLiteral(
                "Prawa pilnuje serwer bazy danych: każdy użytkownik loguje się własnym kontem, a wspólna rola "
                "nie ma dostępu do bazy."));

    TAVDb::ResultPtr rows = TAVDb::exec(
            QStringLiteral("SELECT uzt_id, uzt_login, uzt_imie || ' ' || uzt_nazwisko, uzt_zatrudniony, "
                           "okt_rola IS NOT NULL, okt_przeniesione FROM v_konta_serwera ORDER BY uzt_login"),
            {}, &error);
    const int n = rows ? PQntuples(rows.get()) : 0;
    ui->twKonta->setRowCount(n);
    for (int i = 0; i < n; ++i) {
        const bool account = TAVDb::cellText(rows, i, 4) == QLatin1String("t");
        const bool moved = TAVDb::cellText(rows, i, 5) == QLatin1String("t");
        const QStringList cells{TAVDb::cellText(rows, i, 1), TAVDb::cellText(rows, i, 2),
                                TAVDb::cellText(rows, i, 3) == QLatin1String("t") ? QStringLiteral("tak") : QStringLiteral("nie"),
                                moved ? QStringLiteral("hasło ustawione")
                                      : account ? QStringLiteral("bez hasła: czeka na logowanie albo administratora")
                                                : QStringLiteral("brak")};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells.at(c));
            item->setData(Qt::UserRole, TAVDb::cellText(rows, i, 0).toInt());
            ui->twKonta->setItem(i, c, item);
        }
    }
    ui->twKonta->resizeColumnsToContents();
    ui->btRozpocznij->setEnabled(m_mode == QLatin1String("wspolna"));
    ui->btPrzelacz->setEnabled(m_mode == QLatin1String("migracja"));
    ui->btHaslo->setEnabled(m_mode != QLatin1String("wspolna") && ui->twKonta->currentRow() >= 0);
}

void KontaSerweraDialog::start()
{
    if (!TAVMessages::question(kTitle, QStringLiteral("Rozpocząć przechodzenie na konta serwera bazy danych? "
                                                      "Każdy użytkownik dostanie własne konto; do przełączenia "
                                                      "bazy stanowiska logują się jak dotąd.")))
        return;
    TAVDbError error;
    if (!TAVDb::exec(QStringLiteral("SELECT f_prawa_rozpocznij_przejscie()"), {}, &error))
        TAVMessages::warning(kTitle, QStringLiteral("Nie rozpoczęto przechodzenia na konta serwera."),
                             TAVDb::causeSentence(error));
    refresh();
}

void KontaSerweraDialog::setPassword()
{
    const int row = ui->twKonta->currentRow();
    if (row < 0)
        return;
    const int id = ui->twKonta->item(row, 0)->data(Qt::UserRole).toInt();
    const QString login = ui->twKonta->item(row, 0)->text();
    ChangePasswordDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The server moves the verifier to the account and keeps nothing in
    // the row; a clear password never leaves this workstation.
    const QString verifier = TAVSession::scramVerifier(login, dialog.newPassword());
    TAVDbError error;
    if (verifier.isEmpty()
        || !TAVDb::exec(QStringLiteral("UPDATE uzytkownicy SET uzt_haslo = $1 WHERE uzt_id = $2"), {verifier, id}, &error))
        TAVMessages::warning(kTitle, QStringLiteral("Hasło nie zostało ustawione."), TAVDb::causeSentence(error));
    else
        TAVMessages::information(kTitle, QStringLiteral("Hasło konta „%1” zostało ustawione.").arg(login));
    refresh();
}

void KontaSerweraDialog::switchOver()
{
    if (!TAVMessages::question(kTitle, QStringLiteral(
                "Przełączyć bazę na prawa serwera? Wspólna rola straci dostęp do bazy, a zapisane skróty haseł "
                "zostaną usunięte. Użytkownicy bez hasła konta zalogują się dopiero po ustawieniu go przez "
                "administratora. Tej zmiany nie można cofnąć z programu.")))
        return;
    TAVDbError error;
    if (!TAVDb::exec(QStringLiteral("SELECT f_prawa_przelacz()"), {}, &error))
        TAVMessages::warning(kTitle, QStringLiteral("Baza nie została przełączona na prawa serwera."),
                             TAVDb::causeSentence(error));
    else
        TAVMessages::information(kTitle, QStringLiteral("Baza jest przełączona na prawa serwera."));
    refresh();
}
