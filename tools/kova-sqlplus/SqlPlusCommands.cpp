#include "SqlPlusCommands.h"

#include <array>

using namespace Qt::StringLiterals;

namespace SqlPlusCommands {

namespace {

constexpr const char* EditsBuffer = "it edits the statement buffer, which this console keeps for \"/\" only";
constexpr const char* SqlclOnly = "it is a SQLcl command this console does not run";

using A = Action;

// SQL*Plus's commands with its documented abbreviations, then SQLcl's.
constexpr std::array Table{
    Command{"@@"_L1, 2, A::Script, nullptr},
    Command{"@"_L1, 1, A::Script, nullptr},
    Command{"ACCEPT"_L1, 3, A::Accept, nullptr},
    Command{"APPEND"_L1, 1, A::Refuse, EditsBuffer},
    Command{"ARCHIVE"_L1, 7, A::PassOver, nullptr},
    Command{"ARGUMENT"_L1, 8, A::PassOver, nullptr},
    Command{"ATTRIBUTE"_L1, 9, A::PassOver, nullptr},
    Command{"BREAK"_L1, 3, A::PassOver, nullptr},
    Command{"BTITLE"_L1, 3, A::PassOver, nullptr},
    Command{"CHANGE"_L1, 1, A::Refuse, EditsBuffer},
    Command{"CLEAR"_L1, 2, A::PassOver, nullptr},
    Command{"COLUMN"_L1, 3, A::PassOver, nullptr},
    Command{"COMPUTE"_L1, 4, A::PassOver, nullptr},
    Command{"CONNECT"_L1, 4, A::Connect, nullptr},
    Command{"COPY"_L1, 4, A::Refuse, "it copies rows between databases"},
    Command{"DEFINE"_L1, 3, A::Define, nullptr},
    Command{"DEL"_L1, 3, A::Refuse, EditsBuffer},
    Command{"DESCRIBE"_L1, 4, A::Describe, nullptr},
    Command{"DISCONNECT"_L1, 4, A::Disconnect, nullptr},
    Command{"EDIT"_L1, 2, A::Refuse, EditsBuffer},
    Command{"EXECUTE"_L1, 4, A::Execute, nullptr},
    Command{"EXIT"_L1, 4, A::Exit, nullptr},
    Command{"QUIT"_L1, 4, A::Exit, nullptr},
    Command{"GET"_L1, 3, A::Refuse, EditsBuffer},
    Command{"HELP"_L1, 4, A::PassOver, nullptr},
    Command{"HISTORY"_L1, 4, A::PassOver, nullptr},
    Command{"HOST"_L1, 2, A::PassOver, nullptr},
    Command{"INPUT"_L1, 1, A::Refuse, EditsBuffer},
    Command{"LIST"_L1, 1, A::PassOver, nullptr},
    Command{"PASSWORD"_L1, 5, A::PassOver, nullptr},
    Command{"PAUSE"_L1, 3, A::PassOver, nullptr},
    Command{"PRINT"_L1, 3, A::PassOver, nullptr},
    Command{"PROMPT"_L1, 3, A::Prompt, nullptr},
    Command{"RECOVER"_L1, 7, A::PassOver, nullptr},
    Command{"REMARK"_L1, 3, A::Comment, nullptr},
    Command{"REPFOOTER"_L1, 4, A::PassOver, nullptr},
    Command{"REPHEADER"_L1, 4, A::PassOver, nullptr},
    Command{"RUN"_L1, 1, A::Run, nullptr},
    Command{"SAVE"_L1, 3, A::PassOver, nullptr},
    Command{"SET"_L1, 3, A::Set, nullptr},
    Command{"SHOW"_L1, 3, A::Show, nullptr},
    Command{"SHUTDOWN"_L1, 8, A::PassOver, nullptr},
    Command{"SPOOL"_L1, 3, A::PassOver, nullptr},
    Command{"START"_L1, 3, A::Script, nullptr},
    Command{"STARTUP"_L1, 7, A::PassOver, nullptr},
    Command{"STORE"_L1, 5, A::PassOver, nullptr},
    Command{"TIMING"_L1, 4, A::PassOver, nullptr},
    Command{"TTITLE"_L1, 3, A::PassOver, nullptr},
    Command{"UNDEFINE"_L1, 5, A::Undefine, nullptr},
    Command{"VARIABLE"_L1, 3, A::PassOver, nullptr},
    Command{"WHENEVER"_L1, 8, A::Whenever, nullptr},
    Command{"XQUERY"_L1, 6, A::Refuse, "it needs XQuery"},
    // SQLcl
    Command{"ALIAS"_L1, 5, A::PassOver, nullptr},
    Command{"APEX"_L1, 4, A::Refuse, SqlclOnly},
    Command{"BRIDGE"_L1, 6, A::Refuse, SqlclOnly},
    Command{"CD"_L1, 2, A::PassOver, nullptr},
    Command{"CTAS"_L1, 4, A::Refuse, SqlclOnly},
    Command{"DDL"_L1, 3, A::PassOver, nullptr},
    Command{"FORMAT"_L1, 6, A::PassOver, nullptr},
    Command{"INFORMATION"_L1, 4, A::PassOver, nullptr},
    Command{"LIQUIBASE"_L1, 9, A::Refuse, SqlclOnly},
    Command{"LB"_L1, 2, A::Refuse, SqlclOnly},
    Command{"LOAD"_L1, 4, A::Load, nullptr},
    Command{"NET"_L1, 3, A::PassOver, nullptr},
    Command{"OERR"_L1, 4, A::PassOver, nullptr},
    Command{"REPEAT"_L1, 6, A::Refuse, SqlclOnly},
    Command{"SCRIPT"_L1, 6, A::Refuse, SqlclOnly},
    Command{"SODA"_L1, 4, A::Refuse, SqlclOnly},
    Command{"SSHTUNNEL"_L1, 9, A::PassOver, nullptr},
    Command{"TNSPING"_L1, 7, A::PassOver, nullptr},
    Command{"UNLOAD"_L1, 6, A::PassOver, nullptr},
};

bool Abbreviates(QStringView word, const Command& command)
{
    return word.size() >= command.least && word.size() <= command.name.size()
           && command.name.startsWith(word, Qt::CaseInsensitive);
}

const Command* Named(QLatin1StringView name)
{
    for (const Command& command : Table) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

}  // namespace

std::span<const Command> All()
{
    return Table;
}

const Command* Find(const QString& line, QString* arguments)
{
    // Symbols that need no blank after them.
    for (const auto& [symbol, name] : {std::pair{"@@"_L1, "@@"_L1}, std::pair{"@"_L1, "@"_L1},
                                       std::pair{"!"_L1, "HOST"_L1}, std::pair{"$"_L1, "HOST"_L1}}) {
        if (line.startsWith(symbol)) {
            *arguments = line.mid(symbol.size()).trimmed();
            return Named(name);
        }
    }
    qsizetype end = 0;
    while (end < line.size() && !line.at(end).isSpace() && line.at(end) != u';')
        ++end;
    const QStringView word = QStringView(line).left(end);
    for (const Command& command : Table) {
        if (!QChar(command.name.front()).isLetter() || !Abbreviates(word, command))
            continue;
        *arguments = line.mid(end).trimmed();
        if (command.action == Action::Set) {
            // SET TRANSACTION, ROLE, CONSTRAINT(S) are statements.
            const QString option = arguments->section(u' ', 0, 0, QString::SectionSkipEmpty).toUpper();
            if (option == "TRANSACTION"_L1 || option == "ROLE"_L1 || option == "CONSTRAINT"_L1
                || option == "CONSTRAINTS"_L1)
                return nullptr;
        }
        return &command;
    }
    return nullptr;
}

QString Spelling(const Command& command)
{
    if (command.least >= command.name.size())
        return command.name;
    return command.name.left(command.least) + u'[' + command.name.mid(command.least) + u']';
}

}  // namespace SqlPlusCommands
