#pragma once

#include <QString>
#include <stdexcept>

namespace zu {

// Ends the running user action without any further message (validation already told the user).
class SilentAbort final : public std::exception
{
public:
    const char* what() const noexcept override { return "silent abort"; }
};

// A failure reported by the database, carrying the database's own text.
class DbError final : public std::runtime_error
{
public:
    explicit DbError(const QString& text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Any other failure of a command that the user must be told about (a file that cannot be read, ...).
class CommandError final : public std::runtime_error
{
public:
    explicit CommandError(const QString& text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

[[noreturn]] void abortSilently();

} // namespace zu
