#pragma once

#include <QString>

// Where a register is shown: a model adapts its commands and hidden columns
// to the context it is created for (empty: a module's own register).
namespace TAVContext {
inline const QString Main = QStringLiteral("GLOWNE");                   // main movement registers
inline const QString PickList = QStringLiteral("LISTA_WYBORU");         // pick lists
inline const QString Issued = QStringLiteral("WYDANE");                 // a warehouse's transfers out
inline const QString Received = QStringLiteral("PRZYJETE");             // transfers in, an employee's tools
inline const QString ManagersOf = QStringLiteral("KIEROWNICY_MGZ");     // the managers of a warehouse
inline const QString ManagedBy = QStringLiteral("KIEROWANE_MGZ");       // the warehouses a user manages
inline const QString RepairsOfTool = QStringLiteral("NAPRAWY_ZALEZNA"); // a tool's repairs and inspections
} // namespace TAVContext
