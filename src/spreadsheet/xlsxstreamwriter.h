#pragma once

#include "streamingsheetwriter.h"

namespace zu {

// Office Open XML workbook (.xlsx) written by libxlsxwriter: at most 1,048,576 rows and 16,384
// columns. Its constant-memory mode writes each row out as soon as the next one begins, with the
// text in the cell itself (an inline string), into a private temporary folder.
class XlsxStreamWriter final : public StreamingSheetWriter
{
public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;

    XlsxStreamWriter();
    ~XlsxStreamWriter() override;

protected:
    bool beginSheet(const QString& name, const QMap<int, int>& widths, QString* reason) override;
    bool putText(int row, int column, QStringView text, CellStyle style, QString* reason) override;
    bool putNumber(int row, int column, double value, CellStyle style, QString* reason) override;
    bool putBlank(int row, int column, CellStyle style, QString* reason) override;
    bool complete(const QString& path, QString* reason) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zu
