#pragma once

namespace OrvStartup {

// After sign-in: refuses a database of another schema version with an
// information box. False when the program has to end.
bool checkSchemaVersion();

} // namespace OrvStartup
