#include "xlsxfilewriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace zu {

namespace {

// libxlsxwriter writes to a named file only; the workbook is built in a private folder and read back.
class LxwWorkbook final
{
public:
    explicit LxwWorkbook(const QString& path) : m_book(workbook_new(QFile::encodeName(path).constData())) {}
    ~LxwWorkbook()
    {
        if (m_book)
            workbook_close(m_book); // only after an earlier failure: frees what was allocated
    }
    LxwWorkbook(const LxwWorkbook&) = delete;
    LxwWorkbook& operator=(const LxwWorkbook&) = delete;

    lxw_workbook* get() const { return m_book; }
    lxw_error close()
    {
        lxw_workbook* book = m_book;
        m_book = nullptr;
        return workbook_close(book);
    }

private:
    lxw_workbook* m_book;
};

QString lxwError(lxw_error code)
{
    return QString::fromUtf8(lxw_strerror(code));
}

lxw_error writeCells(lxw_worksheet* sheet, const SheetContent& content, lxw_format* bold)
{
    for (int r = 0; r < content.rowCount(); ++r) {
        const std::vector<SheetCell>& cells = content.row(r);
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
            const SheetCell& cell = cells[static_cast<size_t>(c)];
            lxw_format* format = cell.style == CellStyle::Bold ? bold : nullptr;
            lxw_error result = LXW_NO_ERROR;
            switch (cell.kind) {
            case SheetCell::Kind::Text:
                result =
                    worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                           content.strings().at(cell.textIndex).toUtf8().constData(), format);
                break;
            case SheetCell::Kind::Number:
                result = worksheet_write_number(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                                cell.number, format);
                break;
            case SheetCell::Kind::Empty:
                if (format)
                    result = worksheet_write_blank(sheet, static_cast<lxw_row_t>(r),
                                                   static_cast<lxw_col_t>(c), format);
                break;
            }
            if (result != LXW_NO_ERROR)
                return result;
        }
    }
    return LXW_NO_ERROR;
}

} // namespace

XlsxWriter::XlsxWriter() : SpreadsheetWriter({kMaxRows, kMaxColumns, QStringLiteral(".xlsx")}) {}

QByteArray XlsxWriter::encode(const std::vector<SheetContent>& sheets, QString* error) const
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        *error = QStringLiteral("无法创建临时文件夹：%1").arg(folder.errorString());
        return {};
    }
    const QString path = folder.filePath(QStringLiteral("book.xlsx"));
    LxwWorkbook book(path);
    if (!book.get()) {
        *error = QStringLiteral("libxlsxwriter 无法创建工作簿");
        return {};
    }
    lxw_format* bold = workbook_add_format(book.get());
    format_set_bold(bold);
    for (const SheetContent& content : sheets) {
        lxw_worksheet* sheet = workbook_add_worksheet(book.get(), content.sheetName().toUtf8().constData());
        if (!sheet) {
            *error = QStringLiteral("libxlsxwriter 不接受工作表名称“%1”").arg(content.sheetName());
            return {};
        }
        const QMap<int, int>& widths = content.columnWidthsPixels();
        for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
            const auto column = static_cast<lxw_col_t>(it.key());
            const lxw_error result = worksheet_set_column_pixels(sheet, column, column,
                                                                 static_cast<uint32_t>(it.value()), nullptr);
            if (result != LXW_NO_ERROR) {
                *error = lxwError(result);
                return {};
            }
        }
        if (const lxw_error result = writeCells(sheet, content, bold); result != LXW_NO_ERROR) {
            *error = lxwError(result);
            return {};
        }
    }
    if (const lxw_error result = book.close(); result != LXW_NO_ERROR) {
        *error = lxwError(result);
        return {};
    }
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly)) {
        *error = written.errorString();
        return {};
    }
    return written.readAll();
}

} // namespace zu
