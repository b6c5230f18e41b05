#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zu {

// The report templates delivered with the program, kept inside it, so that a missing Reports
// folder or a template spoilt in the designer can be made again.

// The file names ("客户列表.fr3" and the others).
QStringList shippedTemplateNames();
// The content of a shipped template; empty when there is none of that name.
QByteArray shippedTemplate(const QString& fileName);

// Creates `folder` when it is missing and writes into it each shipped template it lacks; a
// template that is there is never touched. `written` receives the names of the files written.
// False with `error` (naming the file) when the folder or a file cannot be written.
bool installShippedTemplates(const QString& folder, QStringList* written, QString* error);

} // namespace zu
