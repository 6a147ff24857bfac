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
    // The kit chosen by its code or from the kits' list (0: one tool).
    int kit() const { return m_kit; }

public Q_SLOTS:
    void setWydanieMode();
    void setPrzyjecieMode();

protected:
    void addChecks(ValidationMessages &messages) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The planned return from the chosen tool's category.
    void proposeReturn();
    // The code field: a kit's code chooses the kit, a tool's code the tool.
    void lookUpCode();
    void chooseKit(int kit);
    void pickKit();
    static bool isAdmin();
    // The warehouses the user manages, "1,4".
    static QString managedWarehouses();
    std::unique_ptr<Ui::TabelaPrzypisaneNarzedziaPracownikomDialog> ui;
    int m_uztWyd = 0;
    int m_uztPrz = 0;
    int m_kit = 0;
};
