#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace zu {

// Comma-separated values as RFC 4180 describes them, in UTF-8 with or without a byte order mark:
// quoted fields may hold commas, doubled quotes and line breaks; lines end in CRLF or LF. A final
// line break adds no empty row. Fails, with *reason, on text that is not UTF-8 or an unclosed quote.
bool parseCsv(const QByteArray& bytes, QList<QStringList>* rows, QString* reason);

} // namespace zu
