#include "freexlbook.h"

#include <QFile>

FreexlBook::FreexlBook(const QString& path)
    : m_openResult(freexl_open(QFile::encodeName(path).constData(), &m_handle))
{
}

FreexlBook::~FreexlBook()
{
    if (m_handle)
        freexl_close(m_handle);
}

unsigned int FreexlBook::info(unsigned short what) const
{
    unsigned int value = 0;
    if (freexl_get_info(m_handle, what, &value) != FREEXL_OK)
        return FREEXL_UNKNOWN;
    return value;
}

QString FreexlBook::sheetName(unsigned short index) const
{
    const char* name = nullptr;
    if (freexl_get_worksheet_name(m_handle, index, &name) != FREEXL_OK)
        return QStringLiteral("<no sheet>");
    return QString::fromUtf8(name);
}

bool FreexlBook::dimensions(unsigned int* rows, unsigned short* columns) const
{
    return freexl_select_active_worksheet(m_handle, 0) == FREEXL_OK &&
           freexl_worksheet_dimensions(m_handle, rows, columns) == FREEXL_OK;
}

bool FreexlBook::selectSheet(unsigned short index) const
{
    return freexl_select_active_worksheet(m_handle, index) == FREEXL_OK;
}

bool FreexlBook::sheetDimensions(unsigned int* rows, unsigned short* columns) const
{
    return freexl_worksheet_dimensions(m_handle, rows, columns) == FREEXL_OK;
}

FreeXL_CellValue FreexlBook::cell(unsigned int row, unsigned short column) const
{
    FreeXL_CellValue value;
    value.type = 0;
    if (freexl_get_cell_value(m_handle, row, column, &value) != FREEXL_OK)
        value.type = 0;
    return value;
}
