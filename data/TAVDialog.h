#pragma once

#include <QDialog>
#include <QMap>
#include <QVariant>
#include <QModelIndex>
#include <QSqlRecord>

#include <functional>
#include <memory>

class QDialogButtonBox;
class TAVDataWidget;
class TAVDBValidator;
class TAVEwidencja;
class TAVListaWyboru;
class TAVListaWyboruCommand;
class TAVPickBinding;
class TAVTableModel;
class ValidationMessages;

// Modal editor of one row of a table model (an invalid index for a new
// row); with a register embedded instead, the window of a pick list.
class TAVDialog : public QDialog
{
    Q_OBJECT

public:
    TAVDialog(TAVTableModel *model, const QModelIndex &index, QWidget *parent = nullptr);
    ~TAVDialog() override;

    virtual QSqlRecord getRecord();
    virtual void fixSize();

    void setEwidencja(TAVEwidencja *view);
    TAVEwidencja *ewidencja() const { return m_ewidencja; }
    void setShowMessages(bool show) { m_showMessages = show; }

    TAVTableModel *model() const { return m_model; }
    TAVDataWidget *dataWidget() const { return m_dataWidget; }
    QModelIndex index() const { return m_index; }
    std::shared_ptr<TAVDBValidator> validator() const { return m_validator; }

    // Called on OK once the fields pass; the dialog closes only when it
    // succeeds, so a refused save keeps what the user typed.
    void setSaveHandler(std::function<bool()> handler) { m_saveHandler = std::move(handler); }
    // A value the record will get from outside the form (the parent row of
    // a dependent tab); rules over several columns take it into account.
    void setFixedValue(const QString &fieldName, const QVariant &value) { m_fixedValues.insert(fieldName, value); }
    // The caption of a field as a message names it ("la_" label, without
    // the required mark and the mnemonic).
    QString captionOf(const QString &fieldName) const;

public Q_SLOTS:
    virtual bool validateModel();
    void accept() override;
    // Escape, Cancel and the window's close button ask before typed
    // changes are thrown away.
    void reject() override;
    void done(int result) override;

protected:
    // Binds a form's widget to a field; the catch-all keeps a dialog
    // usable when one binding goes wrong.
    void bind(QWidget *widget, const QString &fieldName);
    // Binds a pick field's key to a field like bind(), its caption and its
    // list taken from the pick list (which the binding owns). With a
    // caption the binding reports the field empty under it ("Pozycja …"),
    // before the dialog's own checks; without one the catalogue checks it
    // under its label, like any bound field (optional(): neither does).
    TAVPickBinding &bindPick(TAVListaWyboru *field, const QString &fieldName, TAVListaWyboruCommand *pickList,
                             const QString &caption = QString());
    // Loads the edited row, or the model's defaults for a new record, and
    // marks the required pick fields.
    void loadRow();
    // Loads the given values instead, when there are any; gives back what
    // was loaded, for the fields the dialog fills by hand.
    QSqlRecord loadRow(const QSqlRecord &values);
    // OK validates before closing; Cancel closes.
    void connectButtons(QDialogButtonBox *buttons);
    // The dialog's own acceptance checks, reported with the field checks.
    virtual void addChecks(ValidationMessages &messages);
    void showEvent(QShowEvent *event) override;

private:
    void updatePickButtons();
    // The binding that checks this field itself, or null.
    const TAVPickBinding *selfCheckedPick(const QString &fieldName) const;
    // What every input of the form holds, to tell whether the user changed anything.
    QVariantList formState() const;

    TAVTableModel *m_model;
    TAVDataWidget *m_dataWidget;
    QModelIndex m_index;
    std::shared_ptr<TAVDBValidator> m_validator;
    TAVEwidencja *m_ewidencja = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;
    bool m_showMessages = true;
    std::function<bool()> m_saveHandler;
    QMap<QString, QVariant> m_fixedValues;
    QList<TAVPickBinding *> m_picks;
    QVariantList m_shownState;
    bool m_stateTaken = false;
};
