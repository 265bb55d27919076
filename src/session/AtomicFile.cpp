#include "session/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace basKovaData {

namespace {

QString SystemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

}  // namespace

namespace {

QString CannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

// Writes `bytes` to path + ".new", synced to the disk; on failure removes it.
bool WriteNewFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions,
                  QString* error)
{
    const QString newPath = path + QStringLiteral(".new");
    QFile file(newPath);

    const auto fail = [&](const QString& reason) {
        if (file.isOpen())
            file.close();
        // Only a file we could open is ours to remove; a directory or the like
        // sitting at the .new path stays where it is.
        if (QFileInfo(newPath).isFile())
            QFile::remove(newPath);
        if (error)
            *error = CannotWrite(path, reason);
        return false;
    };

    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, permissions))
        return fail(file.errorString());
    // open() only applies the permissions when it creates the file, and then
    // through the umask; set them outright.
    if (!file.setPermissions(permissions))
        return fail(file.errorString());
    if (file.write(bytes) != bytes.size())
        return fail(file.errorString());
    if (!file.flush())
        return fail(file.errorString());
    if (::fsync(file.handle()) != 0)
        return fail(SystemErrorText(errno));
    file.close();
    if (file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    return true;
}

bool RenameNewFile(const QString& path, QString* error)
{
    const QByteArray from = QFile::encodeName(path + QStringLiteral(".new"));
    const QByteArray to = QFile::encodeName(path);
    if (::rename(from.constData(), to.constData()) == 0)
        return true;
    if (error)
        *error = CannotWrite(path, SystemErrorText(errno));
    QFile::remove(path + QStringLiteral(".new"));
    return false;
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes,
                         QFileDevice::Permissions permissions, QString* error)
{
    return WriteNewFile(path, bytes, permissions, error) && RenameNewFile(path, error);
}

bool WriteFilesAtomically(const std::vector<FileContent>& files, QString* error)
{
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!WriteNewFile(files[i].path, files[i].bytes, files[i].permissions, error)) {
            for (std::size_t k = 0; k < i; ++k)
                QFile::remove(files[k].path + QStringLiteral(".new"));
            return false;
        }
    for (std::size_t i = 0; i < files.size(); ++i)
        if (!RenameNewFile(files[i].path, error)) {
            for (std::size_t k = 0; k < files.size(); ++k)
                QFile::remove(k < i ? files[k].path : files[k].path + QStringLiteral(".new"));
            return false;
        }
    return true;
}

bool MakeFolders(const QString& folder, QStringList* made, QString* error)
{
    QStringList missing;  // deepest first
    for (QString path = QDir::cleanPath(QDir(folder).absolutePath()); !QFileInfo::exists(path);
         path = QFileInfo(path).absolutePath())
        missing << path;
    for (qsizetype i = missing.size() - 1; i >= 0; --i) {
        if (::mkdir(QFile::encodeName(missing[i]).constData(), 0777) == 0) {
            made->prepend(missing[i]);
            continue;
        }
        // Another process (a slice of the same run) may have made it meanwhile.
        const int reason = errno;
        if (reason == EEXIST && QFileInfo(missing[i]).isDir())
            continue;
        if (error)
            *error = CannotWrite(missing[i], SystemErrorText(reason));
        return false;
    }
    return true;
}

void RemoveFolders(const QStringList& made)
{
    for (const QString& folder : made)
        ::rmdir(QFile::encodeName(folder).constData());
}

}  // namespace basKovaData
