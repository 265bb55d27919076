#pragma once
#include <QString>

#include <stdexcept>

// Every error an engine raises. The number is the one the callers test for
// (440: an error raised by the database component); the message is the
// database's own text.
class EngineError : public std::runtime_error {
public:
    static constexpr int ComponentError = 440;

    explicit EngineError(const QString& message, int number = ComponentError)
        : std::runtime_error(message.toStdString()), m_number(number), m_message(message)
    {
    }

    int number() const { return m_number; }
    const QString& message() const { return m_message; }

private:
    int m_number;
    QString m_message;
};
