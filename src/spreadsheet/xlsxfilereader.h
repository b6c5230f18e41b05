#pragma once

#include "workbookfile.h"

namespace zu {

// An Office Open XML workbook (.xlsx): its worksheets with their names, hidden or not, the active
// one, and each sheet's cells as shown: shared and inline texts, numbers under their display
// format, dates and times as "2024-03-05", "08:30:00" and "2024-03-05 08:30:00", formulas as
// their stored results. The package is unzipped by our zip reader, the parts are read as XML.
class XlsxWorkbookFile final : public WorkbookFile
{
public:
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;

    XlsxWorkbookFile();
    ~XlsxWorkbookFile() override;

    bool load(const QString& path, QString* reason);
    bool readSheet(int index, SheetTable* table, QString* reason) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace zu
