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

// What went wrong with a statement, as far as the program acts on it.
enum class DbFailure
{
    Other,
    DiskFull,
    ReadOnly,
    Locked,
    TooLong,
    Duplicate,
    ConnectionLost,   // the server connection broke; it was opened again or is being tried again
    ChangedElsewhere, // the row was changed by someone else since it was read: nothing written
    DeletedElsewhere, // the row was deleted by someone else since it was read: nothing written
    SchemaMismatch,   // the database is not one of this program's, or is newer than the program
};

// A failure reported by the database, with the text the user is shown (in Chinese, the
// database's own text in brackets where there is one).
class DbError final : public std::runtime_error
{
public:
    explicit DbError(const QString& text, DbFailure failure = DbFailure::Other);
    QString text() const { return m_text; }
    DbFailure failure() const { return m_failure; }

private:
    QString m_text;
    DbFailure m_failure;
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
