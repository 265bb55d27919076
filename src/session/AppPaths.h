#pragma once
#include <QString>

namespace basKovaData {

// The directory the program keeps its files in, ending in exactly one "/":
// `executableDirectory` when it is not a system folder under /usr and files
// can be created there (checked by creating
// and removing a probe file, not only by the permission bits), otherwise the
// per-user data directory the program and its tools share
// (UserDataDirectory), created if need be. Should the system
// name no per-user directory at all, the executable directory is kept and the
// first write there reports the failure.
QString ResolveAppDirectory(const QString& executableDirectory);

// The per-user data directory: "kova-oracle" in the user's data folder
// (~/.local/share/kova-oracle), whichever of the programs asks.
QString UserDataDirectory();

// Sets AppDirectory for the running program.
void InitAppDirectory();

// The first start of an installed program: when AppDirectory is the user's
// own folder and it holds no connection file yet, it gets a demo database
// made from `demoScript` by the console `sqlplus`, and a connection file whose
// last login is that database. False when it was needed and failed.
bool PrepareUserFolder(const QString& sqlplus, const QString& demoScript);

}  // namespace basKovaData
