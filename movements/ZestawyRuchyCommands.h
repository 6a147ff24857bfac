#pragma once

#include "KitMovement.h"
#include "TAVCommand.h"
#include "TAVDialog.h"

#include <QDialog>

#include <memory>

class QComboBox;

namespace Ui {
class WydanieZestawuDialog;
class ZwrotZestawuDialog;
}

// Where a whole kit goes and when: the employee and place, another
// warehouse, or repair or inspection, with the day and remarks; the fields
// bound to the new movement record of the kind's own model.
class WydanieZestawuDialog : public TAVDialog
{
    Q_OBJECT
public:
    WydanieZestawuDialog(TAVTableModel *movements, KitMovement::Kind kind, int kit, const QString &caption,
                         int warehouse, QWidget *parent = nullptr);
    ~WydanieZestawuDialog() override;
    KitMovement::Act act() const;

protected:
    void addChecks(ValidationMessages &messages) override;

private:
    std::unique_ptr<Ui::WydanieZestawuDialog> ui;
    KitMovement::Kind m_kind;
    int m_warehouse = 0;
};

// The return of a kit by scanning: the tools still out are listed, each
// scan ticks one, a code not of them is named and refused, a second scan
// of a tool is only noted. The state each came back in can be chosen.
class ZwrotZestawuDialog : public QDialog
{
    Q_OBJECT
public:
    ZwrotZestawuDialog(const QString &caption, const KitMovement::OpenIssue &open, QWidget *parent = nullptr);
    ~ZwrotZestawuDialog() override;
    QList<KitMovement::Returned> returned() const;
    QDate date() const;
    QString remarks() const;
    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void scan();
    void showNote(const QString &text, bool fine);
    void countReturned();
    QComboBox *stateBox(int row) const;

    std::unique_ptr<Ui::ZwrotZestawuDialog> ui;
    KitMovement::OpenIssue m_open;
};

// "Wydaj zestaw pracownikowi", "Wydaj zestaw na inny magazyn", "Wyślij
// zestaw do naprawy", "Wyślij zestaw do przeglądu": the dialog, then every
// tool of the kit in one transaction.
class ZestawyRuchCommand : public TAVCommand
{
    Q_OBJECT
public:
    ZestawyRuchCommand(const QString &name, KitMovement::Kind kind, TAVPermissionPolicy *policy);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;

private:
    KitMovement::Kind m_kind;
};

// "Przyjmij zestaw od pracownika": the return by scanning; what did not
// come back stays with the employee and goes into a shortage record.
class ZestawyZwrotCommand : public TAVCommand
{
    Q_OBJECT
public:
    explicit ZestawyZwrotCommand(TAVPermissionPolicy *policy);

protected:
    bool tmpOperacja(TAVTableModel *_model, const QModelIndex &_modelIndex, QPair<QString, int> *_refField) override;
};

namespace ZestawyRuchy {
// "KOD – nazwa" of a kit, with its warehouse; empty for no such kit.
QString caption(int kit, int *warehouse = nullptr);
// The kit found by its code (any letter case); 0 for none.
int byCode(const QString &code);
// Sends the kit and tells the user what came of it; an issue to an
// employee late with other tools first asks the database's rule.
bool send(KitMovement::Kind kind, int kit, KitMovement::Act act);
// The shortage record of a kit's issue: its tools not back yet.
void printShortageRecord(qint64 group);
} // namespace ZestawyRuchy
