#pragma once

#include "workbookfile.h"

#include <QByteArray>

namespace zu {

// An Excel workbook of BIFF8 (Excel 97-2003) or BIFF5/7 (Excel 5.0/95) read from its bytes: the
// cells of worksheets with the text a cell's number format shows, the stored results of formulas,
// texts of the shared string table however its records split them, and the sheet that was active
// when the file was saved. Every length and position taken from the file is checked, so a damaged
// file gives an error naming what is wrong, never a read outside the file.
class BiffWorkbookFile final : public WorkbookFile
{
public:
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;

    BiffWorkbookFile();
    ~BiffWorkbookFile() override;

    bool load(const QByteArray& file, QString* reason);
    bool readSheet(int index, SheetTable* table, QString* reason) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zu
