#include "browser/SqlPlusLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <elf.h>

#include <optional>

namespace browser {

namespace {

std::function<QString()>& TerminalLookup()
{
    static std::function<QString()> lookup;
    return lookup;
}

template <class T>
bool ReadAt(QFile& file, quint64 offset, T& value)
{
    return file.seek(static_cast<qint64>(offset))
        && file.read(reinterpret_cast<char*>(&value), sizeof value) == static_cast<qint64>(sizeof value);
}

// The shared libraries a 64-bit ELF program names as needed (its DT_NEEDED
// entries), or nothing when the file is no such program. Only those entries
// count: the program's own data may hold any library's name as text.
std::optional<QStringList> NeededLibraries(QFile& file)
{
    Elf64_Ehdr header;
    if (!ReadAt(file, 0, header) || header.e_ident[EI_CLASS] != ELFCLASS64
        || header.e_phentsize != sizeof(Elf64_Phdr))
        return std::nullopt;
    QList<Elf64_Phdr> loads;
    std::optional<Elf64_Phdr> dynamic;
    for (int i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        if (!ReadAt(file, header.e_phoff + quint64(i) * sizeof segment, segment))
            return std::nullopt;
        if (segment.p_type == PT_LOAD)
            loads.append(segment);
        else if (segment.p_type == PT_DYNAMIC)
            dynamic = segment;
    }
    if (!dynamic)
        return QStringList();  // statically linked
    QList<quint64> names;
    std::optional<quint64> table;
    for (quint64 at = 0; at + sizeof(Elf64_Dyn) <= dynamic->p_filesz; at += sizeof(Elf64_Dyn)) {
        Elf64_Dyn entry;
        if (!ReadAt(file, dynamic->p_offset + at, entry) || entry.d_tag == DT_NULL)
            break;
        if (entry.d_tag == DT_NEEDED)
            names.append(entry.d_un.d_val);
        else if (entry.d_tag == DT_STRTAB)
            table = entry.d_un.d_ptr;
    }
    std::optional<quint64> tableOffset;
    for (const Elf64_Phdr& load : loads) {
        if (table && *table >= load.p_vaddr && *table < load.p_vaddr + load.p_filesz)
            tableOffset = *table - load.p_vaddr + load.p_offset;
    }
    if (!tableOffset)
        return names.isEmpty() ? std::optional<QStringList>(QStringList()) : std::nullopt;
    QStringList result;
    for (quint64 name : names) {
        if (!file.seek(static_cast<qint64>(*tableOffset + name)))
            return std::nullopt;
        const QByteArray text = file.read(256);
        result.append(QString::fromLatin1(text.left(text.indexOf('\0'))));
    }
    return result;
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
    const std::optional<QStringList> needed = NeededLibraries(file);
    if (!needed)
        return false;
    static const char* const windowLibraries[] = {
        "libX11.so", "libxcb.so", "libwayland-client.so", "libQt6Gui.so", "libQt5Gui.so",
        "libgtk-", "libSDL2",
    };
    for (const QString& library : *needed) {
        for (const char* window : windowLibraries) {
            if (library.startsWith(QLatin1String(window)))
                return false;
        }
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
