#pragma once

#include "TAVDialog.h"

#include <memory>

namespace Ui {
class TabelaPrzesunieciaMMDialog;
}
class TAVListaWyboru;

// One transfer: issued from a warehouse (tool and destination chosen), or
// received (only the receipt's date and remarks entered).
class TabelaPrzesunieciaMMDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaPrzesunieciaMMDialog(TAVTableModel *model, const QModelIndex &index,
                               const QSqlRecord &record = QSqlRecord(), QWidget *parent = nullptr);
    ~TabelaPrzesunieciaMMDialog() override;

    QSqlRecord getRecord() override;

public Q_SLOTS:
    void setMagazynyWydanieMode();
    void setMagazynyPrzyjecieMode();
    void chooseMgzSrc();
    void chooseMgzDst();
    void chooseNrz();

protected:
    void addChecks(ValidationMessages &messages) override;
    void changeEvent(QEvent *event) override;

private:
    // Picks a warehouse other than `other` into `field`; the loop of the
    // pick list with its "Niepoprawny magazyn" refusal.
    void chooseWarehouse(TAVListaWyboru *field, TAVListaWyboru *other, const QString &title, const QString &otherName);
    int key(TAVListaWyboru *field) const;

    std::unique_ptr<Ui::TabelaPrzesunieciaMMDialog> ui;
    int m_uztSrc = 0;
    int m_uztDst = 0;
};
