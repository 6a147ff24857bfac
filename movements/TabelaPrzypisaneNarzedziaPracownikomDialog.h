#pragma once

#include "TAVDialog.h"

#include <memory>

namespace Ui {
class TabelaPrzypisaneNarzedziaPracownikomDialog;
}
class QComboBox;
class TAVListaWyboru;

// A tool issued to an employee for a place of use, or taken back with the
// state it returns in.
class TabelaPrzypisaneNarzedziaPracownikomDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaPrzypisaneNarzedziaPracownikomDialog(TAVTableModel *model, const QModelIndex &index,
                                               const QSqlRecord &record = QSqlRecord(), QWidget *parent = nullptr);
    ~TabelaPrzypisaneNarzedziaPracownikomDialog() override;

    QSqlRecord getRecord() override;

public Q_SLOTS:
    void setWydanieMode();
    void setPrzyjecieMode();

protected:
    void addChecks(ValidationMessages &messages) override;
    void changeEvent(QEvent *event) override;

private:
    // The planned return from the chosen tool's category.
    void proposeReturn();
    std::unique_ptr<Ui::TabelaPrzypisaneNarzedziaPracownikomDialog> ui;
    int m_uztWyd = 0;
    int m_uztPrz = 0;
};
