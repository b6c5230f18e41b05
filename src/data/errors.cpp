#include "errors.h"

namespace zu {

DbError::DbError(const QString& text, DbFailure failure)
    : std::runtime_error(text.toStdString()), m_text(text), m_failure(failure)
{
}

CommandError::CommandError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}

void abortSilently()
{
    throw SilentAbort();
}

} // namespace zu
