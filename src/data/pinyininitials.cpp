#include "pinyininitials.h"

#include "pinyintable.h"

#include <algorithm>

namespace zu {

QString readingInitials(char32_t character)
{
    const std::uint32_t* end = pinyin::kCodePoints + pinyin::kCount;
    const std::uint32_t* at = std::lower_bound(pinyin::kCodePoints, end, std::uint32_t(character));
    if (at == end || *at != character)
        return {};
    const std::uint32_t bits = pinyin::kInitials[at - pinyin::kCodePoints];
    const int primary = int(bits >> 27);
    QString letters(QChar(u'a' + primary));
    for (int letter = 0; letter < 26; ++letter)
        if (letter != primary && (bits & (1u << letter)))
            letters += QChar(u'a' + letter);
    return letters;
}

QStringList pinyinInitials(const QString& name, int maxSpellings)
{
    // The choices of each position in turn; a spelling takes one letter of each.
    QStringList positions;
    bool inWord = false;
    for (const char32_t c : name.toUcs4()) {
        if (const QString letters = readingInitials(c); !letters.isEmpty()) {
            positions << letters;
            inWord = false;
            continue;
        }
        const bool wordCharacter = c < 0x80 && QChar(char16_t(c)).isLetterOrNumber();
        if (wordCharacter && !inWord)
            positions << QString(QChar(char16_t(c)).toLower());
        inWord = wordCharacter;
    }
    if (positions.isEmpty())
        return {};

    QStringList spellings{QString()};
    for (const QString& letters : std::as_const(positions)) {
        QStringList longer;
        // Most common readings first: every spelling with the first letter, then the others.
        for (const QChar letter : letters)
            for (const QString& start : std::as_const(spellings))
                if (longer.size() < maxSpellings)
                    longer << start + letter;
        spellings = longer;
    }
    return spellings;
}

} // namespace zu
