#include "xlsfilereader.h"

#include "biffsstscan.h"
#include "compoundfilereader.h"

#include <QFile>

#include <freexl.h>

namespace zu {

namespace {

QString freexlReason(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return QStringLiteral("文件不存在或无法打开");
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("内存不足");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
    case FREEXL_CFBF_INVALID_SECTOR_SIZE:
        return QStringLiteral("不是 Excel 97-2003 (.xls) 格式的文件");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
    case FREEXL_BIFF_INVALID_BOF:
        return QStringLiteral("文件中没有 Excel 97-2003 工作簿（可能是更早的 Excel 版本或其它程序的文件）");
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
        return QStringLiteral("文件的文字编码无法识别");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("文件已严重损坏");
    default:
        return QStringLiteral("文件已损坏或格式无法识别（FreeXL 错误 %1）").arg(code);
    }
}

// Closes the handle however the read ends; FreeXL wants a close even after a failed open.
class FreexlHandle final
{
public:
    FreexlHandle() = default;
    ~FreexlHandle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    FreexlHandle(const FreexlHandle&) = delete;
    FreexlHandle& operator=(const FreexlHandle&) = delete;

    const void** out() { return &m_handle; }
    const void* get() const { return m_handle; }

private:
    const void* m_handle = nullptr;
};

QString cellText(const FreeXL_CellValue& value)
{
    switch (value.type) {
    case FREEXL_CELL_INT:
        return QString::number(value.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return numberText(value.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return QString::fromUtf8(value.value.text_value);
    default:
        return QString();
    }
}

// FreeXL 1.0.6 misreads (silently, or by failing without a handle) a shared string that spans
// more than two BIFF records, and every string after it; such files are refused instead.
bool freexlCanReadStrings(const QString& path, QString* reason)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true; // FreeXL reports why it cannot open the file
    CompoundFileReader container;
    QString ignored;
    if (!container.open(file.readAll(), &ignored))
        return true;
    if (maxRecordsPerSharedString(container.stream(QStringLiteral("Workbook"))) > 2) {
        *reason =
            QStringLiteral("文件中有超过约 8000 个字符的单元格文字，无法正确读取；请缩短这些单元格后再导入");
        return false;
    }
    return true;
}

} // namespace

bool readXlsFile(const QString& path, SheetTable* table, QString* reason)
{
    if (!freexlCanReadStrings(path, reason))
        return false;
    FreexlHandle handle;
    const int opened = freexl_open(QFile::encodeName(path).constData(), handle.out());
    if (opened != FREEXL_OK) {
        *reason = freexlReason(opened);
        return false;
    }
    // FreeXL 1.0.6 may report success without a handle when its string table reader gives up.
    if (!handle.get()) {
        *reason = QStringLiteral("无法读取文件的共享字符串表");
        return false;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        *reason = QStringLiteral("文件有密码保护");
        return false;
    }
    if (freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &info) != FREEXL_OK || info == 0) {
        *reason = QStringLiteral("文件中没有工作表");
        return false;
    }
    const char* name = nullptr;
    if (int result = freexl_get_worksheet_name(handle.get(), 0, &name); result != FREEXL_OK) {
        *reason = freexlReason(result);
        return false;
    }
    if (int result = freexl_select_active_worksheet(handle.get(), 0); result != FREEXL_OK) {
        *reason = freexlReason(result);
        return false;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (int result = freexl_worksheet_dimensions(handle.get(), &rows, &columns); result != FREEXL_OK) {
        *reason = freexlReason(result);
        return false;
    }

    table->name = QString::fromUtf8(name);
    table->rows.clear();
    table->rows.reserve(static_cast<qsizetype>(rows));
    for (unsigned int r = 0; r < rows; ++r) {
        QStringList cells;
        cells.reserve(columns);
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (int result = freexl_get_cell_value(handle.get(), r, c, &value); result != FREEXL_OK) {
                *reason = QStringLiteral("无法读取第 %1 行第 %2 列：%3")
                              .arg(r + 1)
                              .arg(c + 1)
                              .arg(freexlReason(result));
                return false;
            }
            cells.append(cellText(value));
        }
        table->rows.append(cells);
    }
    return true;
}

} // namespace zu
