#pragma once
#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>

#include <vector>

namespace basKovaData {

// Replaces the file at `path` with `bytes` so that a reader sees either the old
// content or the new one, never a half-written file: the bytes go to
// path + ".new" (created with exactly `permissions`, whatever the umask, and
// set again in case the .new file was already there), are flushed and synced
// to the disk, and the .new file is then renamed over `path`.
// On failure the .new file is removed, `path` is left as it was, *error (when
// given) receives a readable message and the result is false.
bool WriteFileAtomically(const QString& path, const QByteArray& bytes,
                         QFileDevice::Permissions permissions, QString* error);

struct FileContent {
    QString path;
    QByteArray bytes;
    QFileDevice::Permissions permissions;
};

// Several files replaced as one: each is written to its .new file as above,
// and only once all are whole are they renamed. On failure no .new file
// stays, the files renamed before the one that failed are removed, and
// *error names the file and the reason.
bool WriteFilesAtomically(const std::vector<FileContent>& files, QString* error);

// Makes `folder` and every missing folder above it. *made receives the
// folders this call made, deepest first, also when it fails part way. On
// failure *error reads "Cannot write FOLDER: REASON" with the system's reason
// for the folder that could not be made.
bool MakeFolders(const QString& folder, QStringList* made, QString* error);
// Removes the folders of `made` (deepest first) that are empty.
void RemoveFolders(const QStringList& made);

}  // namespace basKovaData
