#pragma once

#include "TAVDialog.h"

#include <memory>

namespace Ui {
class TabelaPrzesunieciaMMDialog;
}
class TAVListaWyboru;
class TAVPickBinding;

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

protected:
    void addChecks(ValidationMessages &messages) override;
    void changeEvent(QEvent *event) override;

private:
    // A warehouse other than the one in `other` (named `otherName` in the
    // "Niepoprawny magazyn" refusal).
    TAVPickBinding &bindWarehouse(TAVListaWyboru *field, const QString &column, const QString &caption,
                                  const QString &title, TAVListaWyboru *other, const QString &otherName);

    std::unique_ptr<Ui::TabelaPrzesunieciaMMDialog> ui;
    int m_uztSrc = 0;
    int m_uztDst = 0;
};
