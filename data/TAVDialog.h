#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QSqlRecord>

#include <memory>

class QDialogButtonBox;
class TAVDataWidget;
class TAVDBValidator;
class TAVEwidencja;
class TAVTableModel;

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

public Q_SLOTS:
    virtual bool validateModel();
    void accept() override;

protected:
    // Binds a form's widget to a field; the catch-all keeps a dialog
    // usable when one binding goes wrong.
    void bind(QWidget *widget, const QString &fieldName);
    // OK validates before closing; Cancel closes.
    void connectButtons(QDialogButtonBox *buttons);

private:
    TAVTableModel *m_model;
    TAVDataWidget *m_dataWidget;
    QModelIndex m_index;
    std::shared_ptr<TAVDBValidator> m_validator;
    TAVEwidencja *m_ewidencja = nullptr;
    QDialogButtonBox *m_buttonBox = nullptr;
    bool m_showMessages = true;
};
