// The two files beside the program, read from whatever bytes they hold: the
// connection file KovaData.dat through the login window's saved connections,
// and the options file KovaOpt.dat. What was read and saved once reads back
// the same ever after.
#include "FuzzCheck.h"
#include "session/ConnectionBook.h"
#include "session/OptionsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

namespace {

QString Place(const QString& name)
{
    // The files are written with fsync: in memory where the machine allows.
    static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                       ? QStringLiteral("/dev/shm/kova-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/kova-fuzz-XXXXXX"));
    FuzzExpect(dir.isValid(), "a temporary folder");
    return dir.filePath(name);
}

void Put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    FuzzExpect(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
               "the input file is written");
}

QList<ConnectionRecord> Records(const ConnectionBook& book)
{
    QList<ConnectionRecord> records;
    for (int index = 1; index <= book.count(); ++index)
        records.append(book.record(index));
    return records;
}

ConnectionBook SavedAndLoaded(const ConnectionBook& book, const QString& path)
{
    QString error;
    FuzzExpect(book.save(path, &error), "the connection file is saved");
    const ConnectionBook loaded = ConnectionBook::Load(path);
    FuzzExpect(loaded.fileExisted() && loaded.count() == book.count(), "every saved connection reads back");
    return loaded;
}

void Connections(const QByteArray& bytes)
{
    const QString path = Place(QStringLiteral("KovaData.dat"));
    Put(path, bytes);
    ConnectionBook book = ConnectionBook::Load(path);
    FuzzExpect(book.fileExisted() && book.count() <= ConnectionFile::MaxRecords, "the file is read");
    const QStringList lines = book.listLines();
    FuzzExpect(lines.size() == std::max(0, book.count() - 1), "one list line per saved connection");
    for (int line = 0; line < lines.size(); ++line)
        FuzzExpect(lines[line].endsWith(book.listRecord(line).user), "a list line shows its user");
    (void)book.sqlPlusLogin();

    // The login window logs in with the last saved connection and keeps it.
    const ConnectionRecord last = book.record(book.count());
    book.setLogin(last.service, last.user, last.password);
    (void)book.addLoginToList();
    const ConnectionBook once = SavedAndLoaded(book, path);
    const ConnectionBook twice = SavedAndLoaded(once, path);
    FuzzExpect(Records(once) == Records(twice), "a saved connection file reads back unchanged");
}

void Options(const QByteArray& bytes)
{
    const QString path = Place(QStringLiteral("KovaOpt.dat"));
    Put(path, bytes);
    const std::optional<OptionsFile::OptionsRecord> read = OptionsFile::Read(path);
    FuzzExpect(read && read->sqlPlusPath.size() == OptionsFile::PathLength, "the options are read");
    QString error;
    FuzzExpect(OptionsFile::Write(path, *read, &error), "the options file is saved");
    const std::optional<OptionsFile::OptionsRecord> once = OptionsFile::Read(path);
    FuzzExpect(once && once->maxDisplayRows == read->maxDisplayRows, "the row count reads back");
    const QByteArray encoded = OptionsFile::Encode(*once);
    FuzzExpect(encoded.size() == OptionsFile::RecordLength, "the record keeps its length");
    Put(path, encoded);
    const std::optional<OptionsFile::OptionsRecord> twice = OptionsFile::Read(path);
    FuzzExpect(twice && twice->sqlPlusPath == once->sqlPlusPath, "a saved path reads back unchanged");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Connections(bytes);
    Options(bytes);
    return 0;
}
