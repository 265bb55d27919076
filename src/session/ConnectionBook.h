#pragma once
#include "session/ConnectionFile.h"

#include <QString>
#include <QStringList>

#include <array>

// The login window's saved connections, without the window. Records are
// numbered 1..count(): record 1 is the last successful login, records 2..count()
// the saved connections in the order they were added, which the window lists.
class ConnectionBook {
public:
    enum class AddResult { Added, AlreadySaved, ListFull };

    // The connections stored in the file at `path` (none when there is no file).
    static ConnectionBook Load(const QString& path);

    // Whether the file was there when it was loaded.
    bool fileExisted() const { return m_fileExisted; }
    qint16 count() const { return m_count; }

    // Record `index` (1..MaxRecords); an empty record outside that range.
    // Record 1 holds the login set by setLogin even while count() is 0; the
    // window fills its boxes from record 1 at start-up only when count() >= 1.
    ConnectionRecord record(int index) const;

    // One line per saved connection (records 2..count()): the service name cut
    // or blank-padded to 10 characters, two blanks, the user name. The password
    // is never shown.
    QStringList listLines() const;
    // The saved connection shown on line `listPosition` (0 = the first line,
    // which is record 2); an empty record for a line that does not exist.
    ConnectionRecord listRecord(int listPosition) const;

    // Makes the three texts, each cut to its first 20 characters, record 1.
    // count() does not change: record 1 reaches the file only through save(),
    // and only when count() >= 1 by then.
    void setLogin(const QString& service, const QString& user, const QString& password);

    // user "/" password of record 1.
    QString connectText() const;
    // user "/" password "@" service of record 1.
    QString sqlPlusLogin() const;

    // Saves a copy of record 1 at the end of the list, unless a saved
    // connection already has the same service and user (compared without
    // surrounding blanks): then that entry, password included, stays as it is.
    // With no records at all, record 1 itself first starts to count, so the
    // copy becomes record 2. Nothing is added past MaxRecords records.
    AddResult addLoginToList();

    // Writes records 1..count() to the file at `path` (an empty file when
    // count() is 0).
    bool save(const QString& path, QString* error) const;

private:
    std::array<ConnectionRecord, ConnectionFile::MaxRecords> m_records;  // [0] is record 1
    qint16 m_count = 0;
    bool m_fileExisted = false;
};
