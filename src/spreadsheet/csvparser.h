#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace zu {

// The text of a CSV file: UTF-8 with or without a byte order mark, UTF-16 with one, otherwise
// GB18030 (which includes GBK, the encoding of Excel's CSV files in China). Fails, with *reason,
// on bytes that are no text in any of them.
bool decodeCsvText(const QByteArray& bytes, QString* text, QString* reason);

// The separator of a CSV text: comma, semicolon or tab, whichever splits the first lines into
// the same number of fields (more than one); a comma when none does.
QChar csvSeparator(QStringView text);

// Comma-separated values as RFC 4180 describes them, with the separator and encoding found as
// above: quoted fields may hold separators, doubled quotes and line breaks; lines end in CRLF or
// LF. A final line break adds no empty row. Fails, with *reason, on text that cannot be decoded
// or an unclosed quote.
bool parseCsv(const QByteArray& bytes, QList<QStringList>* rows, QString* reason);
bool parseCsvText(const QString& text, QChar separator, QList<QStringList>* rows, QString* reason);

} // namespace zu
