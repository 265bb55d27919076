#include "session/AppPaths.h"

#include "shared/basKovaData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
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
    // An installed program never writes beside itself, not even run by root.
    const bool installed = directory.startsWith(QLatin1String("/usr/"));
    if (!installed && CanCreateFilesIn(directory))
        return WithSlash(directory);

    const QString userDirectory = UserDataDirectory();
    if (userDirectory.isEmpty())
        return WithSlash(directory);
    QDir().mkpath(userDirectory);
    return WithSlash(WithoutTrailingSlashes(userDirectory));
}

QString UserDataDirectory()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : WithoutTrailingSlashes(data) + QStringLiteral("/kova-oracle");
}

void InitAppDirectory()
{
    AppDirectory = ResolveAppDirectory(QCoreApplication::applicationDirPath());
}

bool PrepareUserFolder(const QString& sqlplus, const QString& demoScript)
{
    const QString folder = WithoutTrailingSlashes(AppDirectory);
    if (folder.isEmpty() || folder != WithoutTrailingSlashes(UserDataDirectory()))
        return true;  // a program that keeps its files beside itself
    const QString connections = QDir(folder).filePath(QStringLiteral("KovaData.dat"));
    if (QFileInfo::exists(connections) || !QFileInfo::exists(demoScript))
        return true;
    const QString demo = QDir(folder).filePath(QStringLiteral("demo.db"));
    if (!QFileInfo::exists(demo)) {
        QProcess console;
        console.setStandardInputFile(QProcess::nullDevice());
        console.setStandardOutputFile(QProcess::nullDevice());
        console.start(sqlplus, {QStringLiteral("--create"), QStringLiteral("demo/demo@") + demo,
                                QLatin1Char('@') + demoScript});
        if (!console.waitForFinished(120000) || console.exitStatus() != QProcess::NormalExit
            || console.exitCode() != 0) {
            QFile::remove(demo);
            return false;
        }
    }
    // The connection file's record: service, user and password, 20 columns each.
    QFile file(connections);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray record = QByteArray("demo.db").leftJustified(20) + QByteArray("demo").leftJustified(20)
                              + QByteArray("demo").leftJustified(20);
    return file.write(record) == record.size();
}

}  // namespace basKovaData
