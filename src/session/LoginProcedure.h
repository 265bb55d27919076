#pragma once
#include "session/ConnectionBook.h"

#include <QString>
#include <QStringList>

// What the login window shows once it has read the connection file.
struct LoginStartState {
    enum class Focus { Service, Password };

    QString service;
    QString user;
    QString password;
    // One line per saved connection; passwords are never part of them.
    QStringList listLines;
    bool listEnabled = true;
    // The tick of "add the connection to the list".
    bool addToList = false;
    Focus focus = Focus::Password;
};

// The login window's work without the window: reading the saved connections,
// logging in and rewriting the connection file.
class LoginProcedure {
public:
    struct Outcome {
        bool connected = false;
        // The connection file was rewritten; when not, saveError tells why.
        // The login itself stands either way.
        bool saved = false;
        QString saveError;
    };

    // The program-wide settings the login window needs before it is shown:
    // the program directory (kept when already set) and the options.
    static void PrepareProgram();

    // Reads the connection file in AppDirectory.
    // - No file (first run): empty boxes, the list disabled, the box ticked,
    //   the focus on the service name.
    // - Otherwise record 1 (the last login) in the boxes, records 2 onward in
    //   the list, the box unticked, the focus on the password. An empty file
    //   gives empty boxes and an enabled, empty list.
    LoginStartState load();

    // The saved connection on list line `line` (0 = the first line); an empty
    // record for a line that does not exist.
    ConnectionRecord listRecord(int line) const { return m_book.listRecord(line); }

    // Logs in with the three texts. A text that is empty or only blanks fails
    // at once. Otherwise each text, cut to 20 characters, becomes record 1,
    // SqlPlusLogin is set from it and the database is opened. Only after a
    // successful login is the file rewritten: with `addToList`, a copy of the
    // login is added to the saved connections unless the same service and user
    // are already there (that entry keeps its password).
    // A full list (49 records, 48 saved connections) does not stop the login:
    // record 1 is updated and the saved connections stay as they are, without
    // a message, since the list has no entry to give up for the new one.
    Outcome connect(const QString& service, const QString& user, const QString& password,
                    bool addToList);

    const ConnectionBook& book() const { return m_book; }

private:
    ConnectionBook m_book;
};
