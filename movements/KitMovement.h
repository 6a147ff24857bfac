#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

// A kit moves as one act: every tool gets its ordinary movement row, so the
// rules of each movement hold per tool, and the rows of one act share a
// group key. Each function runs its own transaction and, on failure, leaves
// nothing written and the cause in a sentence.
namespace KitMovement {

enum class Kind { Employee, Transfer, Repair, Inspection };

// What the dialog of an act gives; the fields a kind does not use are ignored.
struct Act
{
    QVariant employee;       // pnp_fk_prc
    QVariant place;          // pnp_fk_muz
    QVariant destination;    // psnmm_fk_mgz_dst
    QDate date;
    QVariant plannedReturn;  // a date, or a null one
    QString remarks;
    bool lateConfirmed = false;  // an administrator let it go to a late borrower
};

// Sends every tool of the kit; the tools are locked first, so of two
// workstations sending the same tools one waits and is then refused,
// naming the tools that are away. The number of tools on success.
int send(Kind kind, int kit, const Act &act, QString *cause);

// One tool of a kit issued to an employee and not back yet.
struct Member
{
    qint64 issue = 0;   // pnp_id
    qint64 tool = 0;
    QString code;
    QString name;
    QStringList codes;  // every code the tool can be scanned by
    int state = 1;      // its state when issued
};

// The kit's open issue: its group key (0: the kit is not out with anyone),
// the employee's name and the tools not back yet.
struct OpenIssue
{
    qint64 group = 0;
    QString employee;
    QDate issued;
    QList<Member> members;
};
OpenIssue openIssue(int kit);

struct Returned
{
    qint64 issue = 0;
    qint64 tool = 0;
    int state = 1;
};
// Takes the tools back in one transaction; refused whole when one of them
// came back meanwhile on another workstation.
bool takeBack(const QList<Returned> &tools, const QDate &date, const QString &remarks, QString *cause);

// The open transfer group of a transfer row (0: an ordinary transfer) and
// how many tools are still in transit in it.
qint64 transferGroup(qint64 transfer, int *inTransit);
// The whole group received into its destination, the kit with it.
bool receiveTransfer(qint64 group, const QDate &date, const QString &remarks, QString *cause);
// The whole group called back: every tool on its source's stock again.
bool cancelTransfer(qint64 group, QString *cause);

} // namespace KitMovement
