#pragma once

#include <QString>

#include <vector>

namespace zu {

struct InlineStringCell
{
    int row;
    int column;
    QString text;
};

// The cells of an .xlsx workbook's first worksheet that hold their text in the cell itself
// (t="inlineStr", as libxlsxwriter writes in constant-memory mode and other programs write too),
// which liborcus 0.17 reads as empty cells. Rows and columns count from 0. False with *reason
// when the package or the worksheet cannot be read.
bool readFirstSheetInlineStrings(const QString& path, std::vector<InlineStringCell>* cells, QString* reason);

} // namespace zu
