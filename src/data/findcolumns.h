#pragma once

#include <QString>
#include <QVariantMap>

namespace zu {

class Connection;

// The digits of a telephone number, whatever separates them: "0571-8888 6666" is
// "057188886666"; full-width digits count as digits.
QString phoneDigits(const QString& number);

// Two columns kept beside each customer's own for quick find, written with every customer:
// NameInitials, the pinyin initials of the name (each spelling of a name with polyphonic
// characters, separated by blanks, the most common first), indexed so that initials are found
// by their beginning; and FindText, one text of everything quick find looks into (the name, the
// digits of both numbers, the codes, every spelling of the initials), in lower case.
struct FindColumns
{
    static constexpr QChar kSeparator = u'|'; // between the parts of FindText, never typed
    QString nameInitials;
    QString findText;

    static constexpr int kInitialsLength = 255; // the column's size
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

// The customer's values (by column name, any letter case) with NameInitials and FindText set
// from them.
void addFindColumns(QVariantMap& values);

// Writes both columns of every customer (after an upgrade); returns how many rows were written.
int fillFindColumns(Connection& connection);

} // namespace zu
