#include "xlsxfilewriter.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <string>

#include <xlsxwriter.h>

namespace zu {

namespace {

// libxlsxwriter writes to a named file only; the workbook is built in a private folder and read back.
// Its constant-memory mode writes each row out as soon as the next one begins, with the text in the
// cell itself (an inline string) instead of in a shared string table that it keeps sorted: a list
// of 100,000 customers is written in about a third less time. The mode needs the cells in row
// order, which is how SheetContent holds them. liborcus 0.17 does not read inline strings; the
// reader takes them from the worksheet itself (xlsxinlinestrings.h). The worksheets' temporary
// files go into the same private folder.
class LxwWorkbook final
{
public:
    LxwWorkbook(const QString& path, const QString& folder)
        : m_folder(QFile::encodeName(folder)), m_book(open(QFile::encodeName(path)))
    {
    }
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
    lxw_workbook* open(const QByteArray& path)
    {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = m_folder.data();
        return workbook_new_opt(path.constData(), &options);
    }

    QByteArray m_folder;
    lxw_workbook* m_book;
};

// The UTF-8 text of a cell, converted into one buffer that is reused for every cell.
class Utf8Text final
{
public:
    const char* of(const QString& text)
    {
        const qsizetype needed = m_encoder.requiredSpace(text.size()) + 1;
        if (static_cast<qsizetype>(m_bytes.size()) < needed)
            m_bytes.resize(static_cast<size_t>(needed));
        char* end = m_encoder.appendToBuffer(m_bytes.data(), text);
        *end = '\0';
        return m_bytes.data();
    }

private:
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    std::string m_bytes;
};

QString lxwError(lxw_error code)
{
    return QString::fromUtf8(lxw_strerror(code));
}

lxw_error writeCells(lxw_worksheet* sheet, const SheetContent& content, lxw_format* bold)
{
    Utf8Text utf8;
    for (int r = 0; r < content.rowCount(); ++r) {
        const std::vector<SheetCell>& cells = content.row(r);
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
            const SheetCell& cell = cells[static_cast<size_t>(c)];
            lxw_format* format = cell.style == CellStyle::Bold ? bold : nullptr;
            lxw_error result = LXW_NO_ERROR;
            switch (cell.kind) {
            case SheetCell::Kind::Text:
                result = worksheet_write_string(sheet, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                                utf8.of(content.strings().at(cell.textIndex)), format);
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

XlsxWriter::XlsxWriter()
    : SpreadsheetWriter({kMaxRows, kMaxColumns, QStringLiteral(".xlsx"), TextPool::PerCell})
{
}

QByteArray XlsxWriter::encode(const std::vector<SheetContent>& sheets, QString* error) const
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        *error = QStringLiteral("无法创建临时文件夹：%1").arg(folder.errorString());
        return {};
    }
    const QString path = folder.filePath(QStringLiteral("book.xlsx"));
    LxwWorkbook book(path, folder.path());
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
