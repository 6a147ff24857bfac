#include "TabelaUzytkownicyDialog.h"
#include "ui_TabelaUzytkownicyDialog.h"

#include "ChangePasswordDialog.h"
#include "TAVSession.h"
#include "TAVDataWidget.h"
#include "TAVTableModel.h"
#include "TAVValidator.h"

#include <QLineEdit>

namespace {
const QString kLogin = QStringLiteral("uzt_login");
const QString kHaslo = QStringLiteral("uzt_haslo");
} // namespace

TabelaUzytkownicyDialog::TabelaUzytkownicyDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent)
    : TAVDialog(model, index, parent), ui(new Ui::TabelaUzytkownicyDialog)
{
    ui->setupUi(this);
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &TAVDialog::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &TAVDialog::reject);

    ui->cbLogin->setValidator(new TAVLowercaseValidator(ui->cbLogin));
    // Inline completion would turn a login typed as the start of a
    // proposal into the whole proposal.
    ui->cbLogin->setCompleter(nullptr);

    bind(ui->leImie, QStringLiteral("uzt_imie"));
    bind(ui->leNazwisko, QStringLiteral("uzt_nazwisko"));
    bind(ui->ckZatrudniony, QStringLiteral("uzt_zatrudniony"));
    bind(ui->leTelKont, QStringLiteral("uzt_tel_kontaktowy"));
    bind(ui->txNotatka, QStringLiteral("uzt_notatka"));

    // The five items exist from the start, so an empty login counts as a
    // proposal and follows the names as they are typed.
    fillLoginPropositons(QString());
    connect(ui->leImie, &QLineEdit::textChanged, this, &TabelaUzytkownicyDialog::fillLoginPropositons);
    connect(ui->leNazwisko, &QLineEdit::textChanged, this, &TabelaUzytkownicyDialog::fillLoginPropositons);
    connect(ui->btZmienHaslo, &QPushButton::clicked, this, &TabelaUzytkownicyDialog::newPassword);
    connect(this, &TabelaUzytkownicyDialog::passwordChanged, this, &TabelaUzytkownicyDialog::updatePasswordStatus);

    if (index.isValid() && model) {
        dataWidget()->setCurrentModelIndex(index);
        const QSqlRecord row = model->record(index.row());
        const QString login = row.value(kLogin).toString();
        const int pos = ui->cbLogin->findText(login, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (pos >= 0)
            ui->cbLogin->setCurrentIndex(pos);
        else
            ui->cbLogin->setEditText(login);
        // The stored digest only: loading it is no change of the password.
        m_password = row.value(kHaslo);
    } else {
        loadRow();
    }
    updatePasswordStatus();
    fixSize();
}

TabelaUzytkownicyDialog::~TabelaUzytkownicyDialog() = default;

QString TabelaUzytkownicyDialog::storedLogin() const
{
    if (!index().isValid() || !model())
        return QString();
    return model()->record(index().row()).value(kLogin).toString().trimmed();
}

QSqlRecord TabelaUzytkownicyDialog::getRecord()
{
    QSqlRecord rec = TAVDialog::getRecord();
    const QString login = ui->cbLogin->currentText().trimmed();
    if (login != storedLogin() && rec.indexOf(kLogin) >= 0)
        rec.setValue(kLogin, login);
    if (m_passwordChanged && rec.indexOf(kHaslo) >= 0)
        rec.setValue(kHaslo, TAVSession::passwordToStore(login, m_password.toString()));
    return rec;
}

void TabelaUzytkownicyDialog::addChecks(ValidationMessages &messages)
{
    const auto checker = validator();
    if (!checker)
        return;
    // The model stores the login trimmed, so that is what must be unique.
    const QString login = ui->cbLogin->currentText().trimmed();
    if ((login.isEmpty() || login != storedLogin()) && !checker->validate(kLogin, login, QStringLiteral("Login")))
        messages.fail(ui->cbLogin);
    if (!checker->validate(kHaslo, m_password, QStringLiteral("Hasło")))
        messages.fail(ui->btZmienHaslo);
    // The shared role's sign-in compares digests: a user without one could
    // never sign in. A server account may wait for its password.
    const TAVSession *session = TAVSession::current();
    const bool none = !m_password.isValid() || m_password.isNull() || m_password.toString().isEmpty();
    if (none && !index().isValid() && (!session || session->rightsMode() == QLatin1String("wspolna")))
        messages.add(QStringLiteral("Pole <b>Hasło</b> nie może być puste"), ui->btZmienHaslo);
}

void TabelaUzytkownicyDialog::newPassword()
{
    ChangePasswordDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        setPassword(dialog.newPassword());
}

void TabelaUzytkownicyDialog::fillLoginPropositons(QString _text)
{
    Q_UNUSED(_text);
    const QString imie = ui->leImie->text().trimmed().toLower();
    const QString nazwisko = ui->leNazwisko->text().trimmed().toLower();

    const QString current = ui->cbLogin->currentText();
    const bool proposal = ui->cbLogin->findText(current, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0;

    const QStringList items{
            imie.isEmpty() ? QStringLiteral(".%1").arg(nazwisko)
                           : QStringLiteral("%1.%2").arg(imie.left(1), nazwisko),
            imie,
            nazwisko,
            QStringLiteral("%1.%2").arg(imie, nazwisko),
            QStringLiteral("%1.%2").arg(nazwisko, imie),
    };
    // Renaming the items in place keeps a chosen proposal chosen.
    if (ui->cbLogin->count() != items.size()) {
        ui->cbLogin->clear();
        ui->cbLogin->addItems(items);
    } else {
        for (int i = 0; i < items.size(); ++i)
            ui->cbLogin->setItemText(i, items.at(i));
    }
    // A login typed by hand survives a change of the names.
    if (!proposal)
        ui->cbLogin->setEditText(current);
}

void TabelaUzytkownicyDialog::updatePasswordStatus()
{
    const bool set = m_password.isValid() && !m_password.isNull() && !m_password.toString().isEmpty();
    ui->laHasloStan->setText(set ? QStringLiteral("Hasło ustawione.") : QStringLiteral("Hasło nie ustawione."));
}

void TabelaUzytkownicyDialog::setPassword(const QString &password)
{
    if (m_password.isValid() && m_password.toString() == password)
        return;
    // Only the load of a row stores without this; whatever the user sets
    // is to be written.
    m_passwordChanged = true;
    m_password = password;
    Q_EMIT passwordChanged();
}
