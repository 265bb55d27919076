#pragma once
#include <QString>

namespace basKovaData {

// The directory the program keeps its files in, ending in exactly one "/":
// `executableDirectory` when files can be created there (checked by creating
// and removing a probe file, not only by the permission bits), otherwise the
// per-user application data directory, created if need be. Should the system
// name no per-user directory at all, the executable directory is kept and the
// first write there reports the failure.
QString ResolveAppDirectory(const QString& executableDirectory);

// Sets AppDirectory for the running program.
void InitAppDirectory();

}  // namespace basKovaData
