#include "session/AppPaths.h"

#include "shared/basKovaData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace basKovaData {

namespace {

QString WithoutTrailingSlashes(const QString& directory)
{
    QString result = directory;
    while (result.size() > 1 && result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}

QString WithSlash(const QString& directory)
{
    return directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
}

bool CanCreateFilesIn(const QString& directory)
{
    const QFileInfo info(directory);
    if (directory.isEmpty() || !info.isDir() || !info.isWritable())
        return false;
    // The permission bits do not tell everything (a read-only mount, a
    // directory the system refuses files in, the superuser), so try it.
    // The probe removes itself when it goes out of scope.
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".kova-probe-XXXXXX")));
    return probe.open();
}

}  // namespace

QString ResolveAppDirectory(const QString& executableDirectory)
{
    const QString directory = WithoutTrailingSlashes(executableDirectory);
    if (CanCreateFilesIn(directory))
        return WithSlash(directory);

    const QString userDirectory =
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (userDirectory.isEmpty())
        return WithSlash(directory);
    QDir().mkpath(userDirectory);
    return WithSlash(WithoutTrailingSlashes(userDirectory));
}

void InitAppDirectory()
{
    AppDirectory = ResolveAppDirectory(QCoreApplication::applicationDirPath());
}

}  // namespace basKovaData
