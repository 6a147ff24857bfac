#include "SchemaCheck.h"

#include "OVApplication.h"

#include <QMessageBox>

namespace OrvStartup {

bool checkSchemaVersion()
{
    QString message;
    if (OVApplication::instance()->checkDatabaseVersion(message))
        return true;
    QMessageBox::information(nullptr, QStringLiteral("Sprawdzenie wersji bazy danych"), message, QMessageBox::Ok);
    return false;
}

} // namespace OrvStartup
