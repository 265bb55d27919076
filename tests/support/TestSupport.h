#pragma once
// Helpers shared by the test programs.
#include "shared/basKovaData.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

class OraDatabase;
class OraSession;

namespace kovatest {

// Records every message box shown while it lives, instead of showing it.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const QList<basKovaData::MessageRequest>& messages() const { return m_messages; }
    QStringList texts() const;
    void clear() { m_messages.clear(); }

private:
    QList<basKovaData::MessageRequest> m_messages;
    basKovaData::MessageHandler m_previous;
};

// The program-wide state as at start-up, with an empty rule table.
void ResetProgramState();
// Closes the program's database and session (basKovaData::OraDatabase,
// OraSession), the database first.
void ReleaseSession();

// Writes `bytes` to `path`; fails the test when it cannot.
bool WriteFile(const QString& path, const QByteArray& bytes);
// The whole content of `path` (empty when it cannot be read).
QByteArray ReadFile(const QString& path);

// A new embedded database file in `dir`, opened through a session as user
// SCOTT, with `statements` run on it (each must succeed).
struct TestDatabase {
    // Removes a server's test database; declared first so that it goes last,
    // after the session has closed.
    std::shared_ptr<void> dropper;
    std::shared_ptr<OraSession> session;
    std::shared_ptr<OraDatabase> database;
    QString path;
};
TestDatabase OpenTestDatabase(const QTemporaryDir& dir, const QStringList& statements = {});

// Every row of a query, each value as its display text ("[NULL]" for NULL).
QList<QStringList> QueryRows(OraDatabase& database, const QString& sql);

}  // namespace kovatest
