#include "session/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace basKovaData {

namespace {

QString SystemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

}  // namespace

bool WriteFileAtomically(const QString& path, const QByteArray& bytes,
                         QFileDevice::Permissions permissions, QString* error)
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
            *error = QStringLiteral("Cannot write %1: %2")
                         .arg(QDir::toNativeSeparators(path), reason);
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

    const QByteArray from = QFile::encodeName(newPath);
    const QByteArray to = QFile::encodeName(path);
    if (::rename(from.constData(), to.constData()) != 0)
        return fail(SystemErrorText(errno));
    return true;
}

}  // namespace basKovaData
