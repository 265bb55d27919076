#include "browser/SqlPlusLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace browser {

namespace {

std::function<QString()>& TerminalLookup()
{
    static std::function<QString()> lookup;
    return lookup;
}

}  // namespace

bool IsConsoleProgram(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    if (head.startsWith("#!"))
        return true;
    if (head != QByteArray("\x7f" "ELF", 4))
        return false;
    // The names of the shared libraries a program needs are plain strings in
    // the file; a window program needs one of these.
    file.seek(0);
    // They sit near the start of the file, in the dynamic string table.
    const QByteArray image = file.read(4 * 1024 * 1024);
    static const char* const windowLibraries[] = {
        "libX11.so", "libxcb.so", "libwayland-client.so", "libQt6Gui.so", "libQt5Gui.so",
        "libgtk-", "libSDL2",
    };
    for (const char* library : windowLibraries) {
        if (image.contains(library))
            return false;
    }
    return true;
}

LaunchPlan PlanSqlPlusStart(const QString& path, const QString& login, bool console,
                            const QString& terminal)
{
    if (!console || terminal.isEmpty())
        return {path, {login}};
    // gnome-terminal takes the command after "--"; the others after "-e".
    const QString option = QFileInfo(terminal).fileName() == QLatin1String("gnome-terminal")
                               ? QStringLiteral("--")
                               : QStringLiteral("-e");
    return {terminal, {option, path, login}};
}

QString FindTerminal()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return {};
    for (const char* name : {"x-terminal-emulator", "xterm", "gnome-terminal", "konsole", "xfce4-terminal"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

void SetTerminalLookup(std::function<QString()> lookup)
{
    TerminalLookup() = std::move(lookup);
}

SqlPlusStart StartSqlPlus(const QString& sqlPlusPath, const QString& login)
{
    const QString path = sqlPlusPath.trimmed();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return SqlPlusStart::WrongPath;
    const bool console = IsConsoleProgram(path);
    const QString terminal = console ? (TerminalLookup() ? TerminalLookup()() : FindTerminal()) : QString();
    const LaunchPlan plan = PlanSqlPlusStart(path, login, console, terminal);
    if (!QProcess::startDetached(plan.program, plan.arguments))
        return SqlPlusStart::Failed;
    return SqlPlusStart::Started;
}

}  // namespace browser
