#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace zu {

class Connection;

// The digits of a telephone number, whatever separates them: "0571-8888 6666" is
// "057188886666"; full-width digits count as digits.
QString phoneDigits(const QString& number);

// A name or an address as the duplicate check compares them: without blanks, letter case folded.
QString comparableText(const QString& text);

// Columns kept beside each customer's own for quick find and the duplicate check, written with
// every customer: NameInitials, the pinyin initials of the name (each spelling of a name with
// polyphonic characters, separated by blanks, the most common first), indexed so that initials
// are found by their beginning; FindText, one text of everything quick find looks into (the
// name, the digits of both numbers, the codes, every spelling of the initials), in lower case;
// and, each indexed to be looked up by equality, the digits of the telephone and of the mobile
// number and the name as compared (comparableText).
struct FindColumns
{
    static constexpr QChar kSeparator = u'|'; // between the parts of FindText, never typed
    QString nameInitials;
    QString findText;
    QString phoneDigits;
    QString mobileDigits;
    QString nameKey;

    static constexpr int kInitialsLength = 255; // the column's size

    // The column names, and the value of one of them (letter case ignored).
    static QStringList columnNames();
    QString valueOf(const QString& column) const;
};

struct CustomerKeys
{
    QString name;
    QString phone;
    QString mobile;
    QString code;
    QString goodsCode;
};

FindColumns findColumnsOf(const CustomerKeys& customer);

// The customer's values (by column name, any letter case) with every column of FindColumns set
// from them.
void addFindColumns(QVariantMap& values);

// Writes `columns` (of FindColumns::columnNames()) of every customer (after an upgrade); returns
// how many rows were written.
int fillFindColumns(Connection& connection, const QStringList& columns);

} // namespace zu
