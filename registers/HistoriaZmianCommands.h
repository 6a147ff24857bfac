#pragma once

#include "TAVCommand.h"

#include <QDate>
#include <QDialog>

#include <memory>

namespace Ui {
class HistoriaArchiwumDialog;
}

// Asks for the day before which history entries are archived and the file
// they go to.
class HistoriaArchiwumDialog : public QDialog
{
    Q_OBJECT

public:
    explicit HistoriaArchiwumDialog(QWidget *parent = nullptr);
    ~HistoriaArchiwumDialog() override;

    QDate before() const;
    QString fileName() const;
    void accept() override;

private:
    std::unique_ptr<Ui::HistoriaArchiwumDialog> ui;
};

// Writes the history entries older than a day to a CSV or XLSX file and
// then removes exactly those from the database; the archive itself stays
// in the history as an entry.
class HistoriaZmianArchiwizujCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit HistoriaZmianArchiwizujCommand(TAVPermissionPolicy *policy, QObject *parent = nullptr);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};
