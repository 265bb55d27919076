#pragma once
// The login of the command-line tools: "user/password@service", or
// "user@service" with the password kept off the command line, where every user
// of the machine can read it in the process list: from the environment
// variable KOVA_PASSWORD, or else asked on the terminal without echo.
#include <QString>

#include <functional>
#include <optional>

namespace basKovaData {

inline constexpr const char* PasswordVariable = "KOVA_PASSWORD";
// The second login of kova-generate --compare: the target's password.
inline constexpr const char* TargetPasswordVariable = "KOVA_TARGET_PASSWORD";

struct LoginArgument {
    QString user;
    QString password;
    QString service;
    // "user/password", as the access layer takes a login.
    QString connect() const { return user + QLatin1Char('/') + password; }
};

// Asks for a password; none when it cannot be asked.
using PasswordPrompt = std::function<std::optional<QString>(const QString& question)>;

// Reads the password from the controlling terminal (/dev/tty), the typed
// characters not shown; none without a terminal.
std::optional<QString> TerminalPassword(const QString& question);

// Reads `text`; `error` says what is wrong when it returns none. Without a
// password in `text` it comes from the environment variable `variable`.
std::optional<LoginArgument> ReadLoginArgument(const QString& text, QString* error,
                                               const PasswordPrompt& prompt = TerminalPassword,
                                               const char* variable = PasswordVariable);

}  // namespace basKovaData
