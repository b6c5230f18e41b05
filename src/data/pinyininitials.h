#pragma once

#include <QString>
#include <QStringList>

namespace zu {

// The pinyin initials of a name as a clerk types them to find it: "张三" gives "zs". A character
// with several readings gives a spelling for each ("单" gives "d", "s" and "c"), the most common
// readings first, at most `maxSpellings` of them. A word of Latin letters or digits counts with
// its first character ("Tom 张" gives "tz"); blanks and punctuation count not at all.
QStringList pinyinInitials(const QString& name, int maxSpellings = 16);

// The initials of the one character's readings, as letters ("行" gives "hx", most common first);
// empty for a character without a reading.
QString readingInitials(char32_t character);

} // namespace zu
