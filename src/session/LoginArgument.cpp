#include "session/LoginArgument.h"

#include <QByteArray>

#include <cstdio>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace basKovaData {

std::optional<QString> TerminalPassword(const QString& question)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0)
        return std::nullopt;
    termios saved{};
    const bool isTerminal = tcgetattr(tty, &saved) == 0;
    if (!isTerminal) {
        ::close(tty);
        return std::nullopt;
    }
    const QByteArray prompt = question.toUtf8();
    (void)!::write(tty, prompt.constData(), size_t(prompt.size()));
    termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    quiet.c_lflag |= tcflag_t(ECHONL);
    tcsetattr(tty, TCSAFLUSH, &quiet);
    QByteArray line;
    char c = 0;
    while (::read(tty, &c, 1) == 1 && c != '\n')
        line.append(c);
    tcsetattr(tty, TCSAFLUSH, &saved);
    ::close(tty);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

std::optional<LoginArgument> ReadLoginArgument(const QString& text, QString* error, const PasswordPrompt& prompt,
                                               const char* variable)
{
    const qsizetype at = text.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at == text.size() - 1) {
        *error = QStringLiteral("the login must be user/password@service or user@service");
        return std::nullopt;
    }
    LoginArgument login;
    login.service = text.mid(at + 1);
    const QString account = text.left(at);
    const qsizetype slash = account.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        login.user = account.left(slash);
        login.password = account.mid(slash + 1);
    } else {
        login.user = account;
        if (qEnvironmentVariableIsSet(variable)) {
            login.password = qEnvironmentVariable(variable);
        } else {
            const std::optional<QString> typed = prompt(QStringLiteral("Password for %1@%2: ").arg(login.user, login.service));
            if (!typed) {
                *error = QStringLiteral("no password: set %1, give user/password@service, or run on a terminal")
                             .arg(QLatin1String(variable));
                return std::nullopt;
            }
            login.password = *typed;
        }
    }
    if (login.user.isEmpty()) {
        *error = QStringLiteral("the login names no user");
        return std::nullopt;
    }
    return login;
}

}  // namespace basKovaData
