#include "NarzedziaCommands.h"
#include "ToolLabels.h"
#include "ZestawyModel.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QStandardPaths>

#include "Factories.h"
#include "NarzedziaModel.h"
#include "ListaWyboruCommands.h"
#include "TAVDb.h"
#include "TAVMessages.h"
#include "TAVTableModel.h"
#include "TAVTransaction.h"
#include "TabelaNarzedziaDialog.h"

#include <QDebug>
#include <QPersistentModelIndex>
#include <QRegularExpression>
#include <QSqlRecord>

#include <memory>

namespace {
const char *kSig = "NarzedziaDodajEdytujCommand::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, "
                   "QPair< QString, int >* _refField )";
const QString kMgz = QStringLiteral("nrz_fk_mgz");

bool failBeforeDialog(TAVTransaction &transaction)
{
    transaction.rollback();
    qWarning() << kSig;
    qWarning() << "Error with insert default record!";
    return false;
}

void warnTransaction(const QString &title, const TAVDbError &error)
{
    TAVMessages::warning(title, QStringLiteral("Nie udało się zapisać zmian w bazie danych. Nic nie zostało zapisane."),
                         TAVDb::causeSentence(error));
}
} // namespace

NarzedziaDodajEdytujCommand::NarzedziaDodajEdytujCommand(const QString &name, Mode mode,
                                                         TAVPermissionPolicy *policy, QObject *parent)
    : TAVCommand(policy, parent), m_mode(mode)
{
    setName(name);
}

bool NarzedziaDodajEdytujCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                              QPair<QString, int> *_refField)
{
    if (!_model)
        return false;
    return m_mode == Add ? add(_model, _modelIndex, _refField) : edit(_model, _modelIndex);
}

bool NarzedziaDodajEdytujCommand::add(TAVTableModel *model, const QModelIndex &index, QPair<QString, int> *refField)
{
    TAVTransaction transaction;
    if (!transaction.ok()) {
        warnTransaction(QStringLiteral("Dodawanie narzędzia"), transaction.error());
        return failBeforeDialog(transaction);
    }
    QSqlRecord rec = model->defaultRecord();
    // The tools tab of a warehouse adds to that warehouse.
    if (refField && !refField->first.isEmpty() && rec.indexOf(refField->first) >= 0)
        rec.setValue(refField->first, refField->second);
    if (!rec.value(kMgz).isValid() || rec.value(kMgz).isNull()) {
        MagazynyListaWyboruCommand pick;
        pick.setParameter(QStringLiteral("checkPermissionMgz"), true);
        pick.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz magazyn docelowy"));
        QPair<QString, int> refMgz;
        const bool picked = pick.operacja(model, index, &refMgz);
        qDebug() << kSig;
        qDebug() << "   refMgz:" << refMgz;
        if (!picked)
            return failBeforeDialog(transaction);
        rec.setValue(kMgz, refMgz.second);
    }
    if (!model->insert(rec, QModelIndex()))
        return failBeforeDialog(transaction);
    const QVariant key = model->lastId();

    // The new row is edited where the register shows it; a search that
    // hides it gets the row from a model of its own.
    TAVTableModel *edited = model;
    std::unique_ptr<TAVTableModel> own;
    int row = model->rowOfKey(key);
    if (row < 0) {
        own.reset(SFModels::instance()->create<NarzedziaModel>());
        own->setFilter(QStringLiteral("nrz_id = %1").arg(key.toLongLong()));
        own->select();
        edited = own.get();
        row = own->rowCount() > 0 ? 0 : -1;
    }
    if (row < 0)
        return failBeforeDialog(transaction);

    TabelaNarzedziaDialog dialog(edited, edited->index(row, 0));
    if (dialog.exec() != QDialog::Accepted) {
        transaction.rollback();
        model->select();
        return false;
    }
    row = edited->rowOfKey(key);
    if (row >= 0 && edited->update(dialog.getRecord(), edited->index(row, 0))) {
        if (transaction.commit())
            return true;
        warnTransaction(QStringLiteral("Dodawanie narzędzia"), transaction.error());
    }
    transaction.rollback();
    model->select();
    return false;
}

bool NarzedziaDodajEdytujCommand::edit(TAVTableModel *model, const QModelIndex &index)
{
    TAVTransaction transaction;
    if (!index.isValid()) {
        transaction.rollback();
        qWarning() << kSig;
        qWarning() << "Error with insert default record!";
        return false;
    }
    if (!transaction.ok()) {
        warnTransaction(QStringLiteral("Edycja wpisu"), transaction.error());
        return false;
    }
    const QString keyName = model->primaryKeyName();
    const QVariant key = model->value(index.row(), keyName);
    std::unique_ptr<TAVTableModel> tool(SFModels::instance()->create<NarzedziaModel>());
    tool->setUseView(false);
    tool->setFilter(QStringLiteral("nrz_id = %1").arg(key.toLongLong()));
    tool->select();
    if (tool->rowCount() < 1) {
        transaction.rollback();
        QMessageBox::warning(nullptr, QStringLiteral("Edycja wpisu"),
                             QStringLiteral("Wpis nie istnieje już w bazie danych. Mógł zostać usunięty na innym "
                                            "stanowisku."));
        model->select();
        return false;
    }
    const QPersistentModelIndex target(index);
    TabelaNarzedziaDialog dialog(tool.get(), tool->index(0, 0));
    if (dialog.exec() != QDialog::Accepted) {
        transaction.rollback();
        return false;
    }
    QSqlRecord rec = dialog.getRecord();
    // Nothing of the row changed: what the dialog did to the assembly stays.
    if (TAVTableModel::givenFields(rec).isEmpty()) {
        if (transaction.commit())
            return true;
        warnTransaction(QStringLiteral("Edycja wpisu"), transaction.error());
        model->select();
        return false;
    }
    QModelIndex at = target;
    if (!at.isValid() || model->value(at.row(), keyName) != key) {
        at = QModelIndex();
        rec.setValue(keyName, key);
    }
    if (model->update(rec, at)) {
        if (transaction.commit())
            return true;
        warnTransaction(QStringLiteral("Edycja wpisu"), transaction.error());
    }
    transaction.rollback();
    model->select();
    return false;
}

bool NarzedziaSkladaneCmdDodaj::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                            QPair<QString, int> *)
{
    if (!_model)
        return false;
    // The register is filtered "nrz_fk_nrz = <main key>".
    QString filter = _model->filter();
    filter.remove(QRegularExpression(QStringLiteral("\\s")));
    const int eq = filter.indexOf(QLatin1Char('='));
    const QRegularExpressionMatch number =
            QRegularExpression(QStringLiteral("^\\d+")).match(eq >= 0 ? filter.mid(eq + 1) : QString());
    const int main = number.hasMatch() ? number.captured().toInt() : 0;
    if (main <= 0)
        return false;

    NarzedziaListaWyboruCommand pick;
    pick.setParameter(QStringLiteral("windowTitle"), QStringLiteral("Wybierz narzędzie do zestawu"));
    pick.setParameter(QStringLiteral("filter"), QStringLiteral("nrz_fk_nrz is null and nrz_id <> %1").arg(main));
    QPair<QString, int> chosen(QStringLiteral("nrz_id"), main);
    if (!pick.operacja(_model, _modelIndex, &chosen))
        return false;

    // Inside the tool dialog's transaction a refusal must not end it.
    TAVDbError error;
    bool ok = TAVTransaction::writeAllowed(&error);
    bool savepoint = false;
    if (ok && TAVDb::inTransaction()) {
        savepoint = TAVDb::exec(QStringLiteral("SAVEPOINT nrz_skladane"), {}, &error) != nullptr;
        ok = savepoint;
    }
    if (ok)
        ok = TAVDb::exec(QStringLiteral("UPDATE narzedzia SET nrz_fk_nrz = $1 WHERE nrz_id = $2"),
                         {main, chosen.second}, &error)
                != nullptr;
    if (savepoint)
        TAVDb::exec(ok ? QStringLiteral("RELEASE SAVEPOINT nrz_skladane")
                       : QStringLiteral("ROLLBACK TO SAVEPOINT nrz_skladane"));
    qDebug() << "NarzedziaSkladaneCmdDodaj::tmpOperacja( TAVTableModel* _model, const QModelIndex& _modelIndex, "
                "QPair< QString, int >* _refField )";
    qDebug() << "   main:" << main << "chosen:" << chosen.second << "ok:" << ok;
    if (!ok) {
        qDebug() << "   error:" << error.sqlState << error.message;
        TAVMessages::warning(QStringLiteral("Narzędzia składane"),
                             QStringLiteral("Nie udało się dodać narzędzia do zestawu."),
                             TAVDb::causeSentence(error, _model->fieldLabels()));
        return false;
    }
    if (TAVTransaction *t = TAVTransaction::active())
        t->touch(QStringLiteral("narzedzia"), chosen.second);
    TAVChangeBus::instance()->announce(QStringLiteral("narzedzia"), {chosen.second}, _model);
    _model->select();
    return true;
}

bool NarzedziaSkladaneCmdUsun::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                           QPair<QString, int> *)
{
    if (!_model || !_modelIndex.isValid() || !OrvCommands::confirmDelete())
        return false;
    QSqlRecord rec = _model->emptyRecord();
    rec.setValue(QStringLiteral("nrz_fk_nrz"), QVariant(QMetaType::fromType<int>()));
    return _model->update(rec, _modelIndex);
}

bool NarzedziaEtykietaCommand::tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex,
                                           QPair<QString, int> *)
{
    if (!_model || !_modelIndex.isValid())
        return false;
    // Kits carry labels as tools do, with the kit's code.
    const bool kits = TAVTableModel::is<ZestawyModel>(_model);
    const QString key = kits ? QStringLiteral("zst_id") : QStringLiteral("nrz_id");
    OrvReports::LabelOptions options = OrvReports::LabelOptions::load();
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Drukowanie etykiet"));
    auto *form = new QFormLayout(&dialog);
    auto *one = new QRadioButton((kits ? QStringLiteral("&Zaznaczony zestaw: %1") : QStringLiteral("&Zaznaczone narzędzie: %1"))
                                         .arg(_model->value(_modelIndex.row(), kits ? QStringLiteral("zst_kod")
                                                                                    : QStringLiteral("nrz_kod")).toString()));
    auto *all = new QRadioButton((kits ? QStringLiteral("&Wszystkie zestawy widoczne w rejestrze (%1)")
                                       : QStringLiteral("&Wszystkie narzędzia widoczne w rejestrze (%1)"))
                                         .arg(_model->rowCount()));
    one->setChecked(true);
    form->addRow(QStringLiteral("Etykiety:"), one);
    form->addRow(QString(), all);
    auto *printerMode = new QRadioButton(QStringLiteral("Drukarka &etykiet (jedna etykieta na stronie)"));
    auto *sheetMode = new QRadioButton(QStringLiteral("&Arkusz etykiet A4"));
    (options.sheet ? sheetMode : printerMode)->setChecked(true);
    form->addRow(QStringLiteral("Wydruk:"), printerMode);
    form->addRow(QString(), sheetMode);
    auto *width = new QDoubleSpinBox;
    auto *height = new QDoubleSpinBox;
    for (QDoubleSpinBox *box : {width, height}) {
        box->setRange(15, 200);
        box->setDecimals(0);
        box->setSuffix(QStringLiteral(" mm"));
    }
    width->setValue(options.labelSizeMm.width());
    height->setValue(options.labelSizeMm.height());
    form->addRow(QStringLiteral("&Szerokość etykiety:"), width);
    form->addRow(QStringLiteral("&Wysokość etykiety:"), height);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton *print = buttons->addButton(QStringLiteral("&Drukuj…"), QDialogButtonBox::AcceptRole);
    QPushButton *pdf = buttons->addButton(QStringLiteral("Zapisz jako &PDF…"), QDialogButtonBox::AcceptRole);
    form->addRow(buttons);
    QAbstractButton *chosen = nullptr;
    QObject::connect(buttons, &QDialogButtonBox::clicked, &dialog, [&](QAbstractButton *b) {
        chosen = b;
        if (b == print || b == pdf)
            dialog.accept();
        else
            dialog.reject();
    });
    if (dialog.exec() != QDialog::Accepted)
        return false;
    options.sheet = sheetMode->isChecked();
    options.labelSizeMm = QSizeF(width->value(), height->value());
    options.save();

    QList<int> ids;
    if (one->isChecked()) {
        ids << _model->value(_modelIndex.row(), key).toInt();
    } else {
        // Every tool the register shows, also those not read yet.
        QSqlQuery q;
        if (q.exec(QStringLiteral("SELECT %1 FROM (%2) q").arg(key, _model->queryText()))) {
            while (q.next())
                ids << q.value(0).toInt();
        }
    }
    QString error;
    const QList<OrvReports::ToolLabel> labels =
            kits ? OrvReports::loadKitLabels(ids, &error) : OrvReports::loadToolLabels(ids, &error);
    if (labels.isEmpty()) {
        QMessageBox::information(nullptr, QStringLiteral("Drukowanie etykiet"),
                                 QStringLiteral("Nie można przygotować etykiet. %1").arg(error));
        return false;
    }
    if (chosen == pdf) {
        const QString file = QFileDialog::getSaveFileName(
                nullptr, QStringLiteral("Zapisz etykiety"),
                QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/etykiety.pdf"),
                QStringLiteral("Dokument PDF (*.pdf)"));
        if (file.isEmpty())
            return false;
        OrvReports::exportLabelsToPdf(file, labels, options);
    } else {
        OrvReports::printLabels(nullptr, labels, options);
    }
    // Nothing in the register changed.
    return false;
}
