#pragma once

#include <QString>

#include <freexl.h>

// A workbook opened with FreeXL, the reader the tests trust to see a file as other programs do.
class FreexlBook final
{
public:
    explicit FreexlBook(const QString& path);
    ~FreexlBook();
    FreexlBook(const FreexlBook&) = delete;
    FreexlBook& operator=(const FreexlBook&) = delete;

    int openResult() const { return m_openResult; }
    unsigned int info(unsigned short what) const;
    QString sheetName(unsigned short index) const;
    // Selects the first worksheet and returns its row and column counts.
    bool dimensions(unsigned int* rows, unsigned short* columns) const;
    // Another worksheet, and the counts of the selected one.
    bool selectSheet(unsigned short index) const;
    bool sheetDimensions(unsigned int* rows, unsigned short* columns) const;
    FreeXL_CellValue cell(unsigned int row, unsigned short column) const;

private:
    const void* m_handle = nullptr;
    int m_openResult;
};
