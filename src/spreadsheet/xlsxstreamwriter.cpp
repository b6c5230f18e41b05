#include "xlsxstreamwriter.h"

#include "xlsxsheetcount.h"

#include <QFile>
#include <QSaveFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <string>

#include <xlsxwriter.h>

namespace zu {

namespace {

// What went wrong, in the user's words; the library's own text (English) only names a rare fault.
QString lxwError(lxw_error code)
{
    switch (code) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        return QStringLiteral("内存不足");
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        return QStringLiteral("临时文件无法写入或读回，磁盘可能已满");
    default:
        return QStringLiteral("生成 .xlsx 文件时出错（%1）").arg(QString::fromUtf8(lxw_strerror(code)));
    }
}

// The UTF-8 text of a cell, converted into one buffer that is reused for every cell.
class Utf8Text final
{
public:
    const char* of(QStringView text)
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

} // namespace

struct XlsxStreamWriter::Private
{
    QTemporaryDir folder;
    QByteArray folderName;
    QString bookPath;
    lxw_workbook* book = nullptr;
    lxw_worksheet* sheet = nullptr;
    lxw_format* bold = nullptr;
    Utf8Text utf8;
    // What went into each sheet, to be found again in the finished file: libxlsxwriter does not
    // check its writes to the temporary files, so a disk that fills on the way would leave a
    // workbook that lacks rows without a word.
    QStringList sheetNames;
    std::vector<SheetTally> written;
    int lastRow = -1;

    ~Private()
    {
        if (book)
            workbook_close(book); // only after an earlier failure: frees what was allocated
    }

    bool open(QString* reason)
    {
        if (book)
            return true;
        if (!folder.isValid()) {
            *reason = QStringLiteral("无法创建临时文件夹：%1").arg(folder.errorString());
            return false;
        }
        folderName = QFile::encodeName(folder.path());
        bookPath = folder.filePath(QStringLiteral("book.xlsx"));
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = folderName.data();
        book = workbook_new_opt(QFile::encodeName(bookPath).constData(), &options);
        if (!book) {
            *reason = QStringLiteral("libxlsxwriter 无法创建工作簿");
            return false;
        }
        bold = workbook_add_format(book);
        format_set_bold(bold);
        return true;
    }

    lxw_format* format(CellStyle style) const { return style == CellStyle::Bold ? bold : nullptr; }

    bool check(lxw_error result, QString* reason)
    {
        if (result == LXW_NO_ERROR)
            return true;
        *reason = lxwError(result);
        return false;
    }

    bool cellWritten(lxw_error result, int row, QString* reason)
    {
        if (!check(result, reason))
            return false;
        SheetTally& tally = written.back();
        ++tally.cells;
        if (row != lastRow) {
            ++tally.rows;
            lastRow = row;
        }
        return true;
    }

    bool foundWhole(QString* reason) const
    {
        std::vector<SheetTally> found;
        if (!countXlsxSheets(bookPath, &found, reason))
            return false;
        for (size_t i = 0; i < written.size(); ++i) {
            const SheetTally inFile = i < found.size() ? found[i] : SheetTally{};
            if (inFile != written[i]) {
                *reason = QStringLiteral(
                              "临时文件没有写完整，磁盘可能已满：工作表“%1”应有 %2 个单元格，只写入了 %3 个")
                              .arg(sheetNames.value(static_cast<qsizetype>(i)))
                              .arg(written[i].cells)
                              .arg(inFile.cells);
                return false;
            }
        }
        return true;
    }
};

XlsxStreamWriter::XlsxStreamWriter()
    : StreamingSheetWriter({kMaxRows, kMaxColumns, QStringLiteral(".xlsx")}), d(std::make_unique<Private>())
{
}

XlsxStreamWriter::~XlsxStreamWriter() = default;

bool XlsxStreamWriter::beginSheet(const QString& name, const QMap<int, int>& widths, QString* reason)
{
    if (!d->open(reason))
        return false;
    d->sheet = workbook_add_worksheet(d->book, name.toUtf8().constData());
    if (!d->sheet) {
        *reason = QStringLiteral("libxlsxwriter 不接受工作表名称“%1”").arg(name);
        return false;
    }
    d->sheetNames.append(name);
    d->written.emplace_back();
    d->lastRow = -1;
    for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
        const auto column = static_cast<lxw_col_t>(it.key());
        if (!d->check(worksheet_set_column_pixels(d->sheet, column, column, static_cast<uint32_t>(it.value()),
                                                  nullptr),
                      reason))
            return false;
    }
    return true;
}

bool XlsxStreamWriter::putText(int row, int column, QStringView text, CellStyle style, QString* reason)
{
    if (text.isEmpty())
        return putBlank(row, column, style, reason);
    return d->cellWritten(worksheet_write_string(d->sheet, static_cast<lxw_row_t>(row),
                                                 static_cast<lxw_col_t>(column), d->utf8.of(text),
                                                 d->format(style)),
                          row, reason);
}

bool XlsxStreamWriter::putNumber(int row, int column, double value, CellStyle style, QString* reason)
{
    return d->cellWritten(worksheet_write_number(d->sheet, static_cast<lxw_row_t>(row),
                                                 static_cast<lxw_col_t>(column), value, d->format(style)),
                          row, reason);
}

bool XlsxStreamWriter::putBlank(int row, int column, CellStyle style, QString* reason)
{
    if (style == CellStyle::Normal)
        return true;
    return d->cellWritten(worksheet_write_blank(d->sheet, static_cast<lxw_row_t>(row),
                                                static_cast<lxw_col_t>(column), d->format(style)),
                          row, reason);
}

bool XlsxStreamWriter::complete(const QString& path, QString* reason)
{
    lxw_workbook* book = d->book;
    d->book = nullptr;
    if (!d->check(workbook_close(book), reason) || !d->foundWhole(reason))
        return false;
    QFile written(d->bookPath);
    QSaveFile file(path);
    if (!written.open(QIODevice::ReadOnly)) {
        *reason = written.errorString();
        return false;
    }
    // Unbuffered, a write the disk takes only in part says so at once.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = file.errorString();
        return false;
    }
    while (!written.atEnd()) {
        const QByteArray chunk = written.read(1 << 20);
        if (chunk.isEmpty()) {
            *reason = written.errorString();
            return false;
        }
        if (file.write(chunk) != chunk.size()) {
            *reason = fileNotWrittenReason();
            return false;
        }
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace zu
