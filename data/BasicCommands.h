#pragma once

#include "Factories.h"
#include "TAVCommand.h"
#include "TAVRegister.h"
#include "TAVTableModel.h"

#include <QDialog>
#include <QMessageBox>
#include <QSqlRecord>
#include <QStringList>

#include <functional>
#include <memory>

class TAVDialog;
class TAVEwidencja;
class TAVListaWyboru;

namespace OrvCommands {
// The refusal shown for editing a system row.
bool refuseSystemRowEdit(TAVTableModel *model, const QModelIndex &index);
// "Czy chcesz usunąć wpis?" as the title; the question names the row of
// the index when its register is known ("… narzędzie EL-050 Wiertarka?").
// True on Yes.
bool confirmDelete(TAVTableModel *model = nullptr, const QModelIndex &index = QModelIndex());
}

// Adds a record through the register's dialog, or edits the selected one.
template <typename T>
class BasicAddEditCommand : public TAVCommand
{
public:
    BasicAddEditCommand(bool addMode, TAVPermissionPolicy *policy, QObject *parent = nullptr)
        : TAVCommand(policy, parent), m_addMode(addMode)
    {
    }

    bool addMode() const { return m_addMode; }

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override
    {
        if (!_model)
            return false;
        // The write runs when OK is pressed: a refused save leaves the
        // dialog open with what the user typed.
        if (m_addMode) {
            std::unique_ptr<T> dialog(new T(_model, QModelIndex(), nullptr));
            if (_refField)
                dialog->setFixedValue(_refField->first, _refField->second);
            T *d = dialog.get();
            dialog->setSaveHandler([d, _model, _refField] {
                QSqlRecord rec = d->getRecord();
                // A record added in a dependent tab always points at the parent row.
                if (_refField && rec.indexOf(_refField->first) >= 0)
                    rec.setValue(_refField->first, _refField->second);
                return _model->insert(rec, QModelIndex());
            });
            m_dialog = d;
            const bool accepted = dialog->exec() == QDialog::Accepted;
            m_dialog = nullptr;
            return accepted;
        }
        if (!_modelIndex.isValid() || _modelIndex.row() < 0 || _modelIndex.column() < 0)
            return false;
        if (OrvCommands::refuseSystemRowEdit(_model, _modelIndex))
            return false;
        std::unique_ptr<T> dialog(new T(_model, _modelIndex, nullptr));
        T *d = dialog.get();
        const QPersistentModelIndex edited(_modelIndex);
        // The row as the dialog was opened on it: saved only if nobody else saved it since.
        const QString version = _model->rowVersion(_model->value(_modelIndex.row(), _model->primaryKeyName()));
        bool written = false;
        dialog->setSaveHandler([d, _model, edited, version, &written] {
            const QSqlRecord rec = d->getRecord();
            // Nothing changed: OK closes the dialog and writes nothing.
            if (TAVTableModel::givenFields(rec).isEmpty())
                return true;
            // The row may have moved while the dialog was open.
            _model->expectVersion(version);
            written = _model->update(rec, edited.isValid() ? QModelIndex(edited) : QModelIndex());
            return written;
        });
        m_dialog = d;
        const bool accepted = dialog->exec() == QDialog::Accepted;
        m_dialog = nullptr;
        return accepted && written;
    }

private:
    bool m_addMode;
    T *m_dialog = nullptr;
};

// Registers "<name>CmdDodaj", "<name>CmdEdytuj" and "<name>CmdKasuj" of a
// register with a dialog, each with its own policy from the factory.
template <typename Dialog>
void registerAddEditDelete(const QString &registerName, const std::function<TAVPermissionPolicy *()> &policy);

// Deletes the selected record after a question.
class BasicDeleteCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit BasicDeleteCommand(TAVPermissionPolicy *policy, QObject *parent = nullptr) : TAVCommand(policy, parent) {}

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

// A register's pick list, as its declaration describes it: the register
// in a modal window; the chosen row's key and caption go back through the
// reference pair.
class TAVListaWyboruCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit TAVListaWyboruCommand(const TAVRegisterDeclaration &declaration, QObject *parent = nullptr);

    // Runs the list for a pick field (start: the reference it starts from);
    // true when a different row was chosen, which the field then shows. A
    // row `accept` refuses opens the list again.
    bool pickInto(TAVTableModel *caller, TAVListaWyboru *field, QPair<QString, int> start = QPair<QString, int>(),
                  const std::function<bool(const QPair<QString, int> &)> &accept = {});
    // The query giving the caption of a row's key (placeholder :id), as
    // a pick field shows it; empty when the list has no caption fields.
    QString captionQuery() const;

    // The register and dialog of the run in progress (tests, callers).
    TAVEwidencja *ewidencja() const { return m_ewidencja; }
    TAVDialog *dialog() const { return m_dialog; }

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;

private:
    QString m_modelName;
    TAVPickListDeclaration m_list;
    TAVEwidencja *m_ewidencja = nullptr;
    TAVDialog *m_dialog = nullptr;
};

// The pick list of the register of Model, under the name callers know it by
// (MagazynyListaWyboruCommand is TAVPickList<MagazynyModel>).
template <class Model>
class TAVPickList : public TAVListaWyboruCommand
{
public:
    explicit TAVPickList(QObject *parent = nullptr) : TAVListaWyboruCommand(TAVRegisters::of<Model>(), parent) {}
};

template <typename Dialog>
void registerAddEditDelete(const QString &registerName, const std::function<TAVPermissionPolicy *()> &policy)
{
    const struct {
        const char *suffix;
        TAVCommand *command;
    } commands[] = {
        {"CmdDodaj", new BasicAddEditCommand<Dialog>(true, policy())},
        {"CmdEdytuj", new BasicAddEditCommand<Dialog>(false, policy())},
        {"CmdKasuj", new BasicDeleteCommand(policy())},
    };
    for (const auto &c : commands) {
        c.command->setName(registerName + QLatin1String(c.suffix));
        SFCommands::instance()->registerCommand(c.command);
    }
}
