#pragma once

#include "TAVDialog.h"

#include <QDate>

#include <memory>

namespace Ui {
class TabelaNaprawyPrzegladyDialog;
}
class QButtonGroup;

// A tool sent to repair or inspection, or taken back with the state it
// returns in (and, from an inspection, the date of the next one).
class TabelaNaprawyPrzegladyDialog : public TAVDialog
{
    Q_OBJECT

public:
    TabelaNaprawyPrzegladyDialog(TAVTableModel *model, const QModelIndex &index, const QSqlRecord &record = QSqlRecord(),
                                 QWidget *parent = nullptr);
    ~TabelaNaprawyPrzegladyDialog() override;

    QSqlRecord getRecord() override;
    // The next inspection date to write to the tool; invalid when none is
    // to be written (a repair, or a trip still going out).
    QDate nextInspection() const;

public Q_SLOTS:
    void setWydanieMode();
    void setPrzyjecieMode();

protected:
    void addChecks(ValidationMessages &messages) override;
    void changeEvent(QEvent *event) override;

private:
    void toolChosen();
    void proposeNextInspection();

    std::unique_ptr<Ui::TabelaNaprawyPrzegladyDialog> ui;
    QButtonGroup *m_type = nullptr;
    int m_uztWyd = 0;
    int m_uztPrz = 0;
    int m_inspectionMonths = 12; // the tool's, read once with its other facts
};
