#include "xlsxcapture.h"

#include "numberformat.h"

#include <orcus/exception.hpp>

namespace zu {

namespace {

QString fromView(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

CapturedCell& CapturedCells::at(ss::row_t row, ss::col_t column)
{
    const auto r = static_cast<size_t>(row);
    const auto c = static_cast<size_t>(column);
    if (r >= m_rows.size())
        m_rows.resize(r + 1);
    if (c >= m_rows[r].size())
        m_rows[r].resize(c + 1);
    return m_rows[r][c];
}

size_t StringCapture::append(std::string_view s)
{
    m_strings.append(fromView(s));
    return static_cast<size_t>(m_strings.size() - 1);
}

size_t StringCapture::add(std::string_view s)
{
    return append(s);
}

void StringCapture::append_segment(std::string_view s)
{
    m_segments += fromView(s);
}

size_t StringCapture::commit_segments()
{
    m_strings.append(m_segments);
    m_segments.clear();
    return static_cast<size_t>(m_strings.size() - 1);
}

QString StringCapture::text(size_t id) const
{
    return id < static_cast<size_t>(m_strings.size()) ? m_strings.at(static_cast<qsizetype>(id)) : QString();
}

void StyleCapture::set_number_format_code(std::string_view s)
{
    m_formatCode = fromView(s);
}

size_t StyleCapture::commit_number_format()
{
    m_formats.push_back({m_formatId, m_formatCode});
    m_formatId = 0;
    m_formatCode.clear();
    return m_formats.size() - 1;
}

size_t StyleCapture::commit_cell_xf()
{
    m_xfFormats.push_back(m_xfFormat);
    m_xfFormat = 0;
    return m_xfFormats.size() - 1;
}

// A cell format names its number format by number; custom formats carry their code.
StyleCapture::NumberFormat StyleCapture::numberFormatOfXf(size_t xf) const
{
    if (xf >= m_xfFormats.size())
        return {};
    const size_t id = m_xfFormats[xf];
    for (const PendingFormat& format : m_formats) {
        if (format.id == id)
            return {id, format.code};
    }
    return {id, QString()};
}

void FormulaCapture::set_position(ss::row_t row, ss::col_t col)
{
    m_row = row;
    m_col = col;
}

void FormulaCapture::set_result_string(std::string_view value)
{
    if (CapturedCell* cell = m_sheet.cell(m_row, m_col)) {
        cell->kind = CapturedCell::Kind::Text;
        cell->text = fromView(value);
    }
}

void FormulaCapture::set_result_value(double value)
{
    if (CapturedCell* cell = m_sheet.cell(m_row, m_col)) {
        cell->kind = CapturedCell::Kind::Number;
        cell->number = value;
    }
}

void FormulaCapture::set_result_bool(bool value)
{
    if (CapturedCell* cell = m_sheet.cell(m_row, m_col)) {
        cell->kind = CapturedCell::Kind::Boolean;
        cell->number = value ? 1 : 0;
    }
}

void FormulaCapture::set_result_empty()
{
    if (CapturedCell* cell = m_sheet.cell(m_row, m_col))
        cell->kind = CapturedCell::Kind::Empty;
}

CapturedCell* SheetCapture::cell(ss::row_t row, ss::col_t col)
{
    return m_keep ? &m_cells.at(row, col) : nullptr;
}

void SheetCapture::set_auto(ss::row_t row, ss::col_t col, std::string_view s)
{
    if (CapturedCell* c = cell(row, col)) {
        c->kind = CapturedCell::Kind::Text;
        c->text = fromView(s);
    }
}

void SheetCapture::set_string(ss::row_t row, ss::col_t col, ss::string_id_t sindex)
{
    if (CapturedCell* c = cell(row, col)) {
        c->kind = CapturedCell::Kind::SharedString;
        c->stringId = sindex;
    }
}

void SheetCapture::set_value(ss::row_t row, ss::col_t col, double value)
{
    if (CapturedCell* c = cell(row, col)) {
        c->kind = CapturedCell::Kind::Number;
        c->number = value;
    }
}

void SheetCapture::set_bool(ss::row_t row, ss::col_t col, bool value)
{
    if (CapturedCell* c = cell(row, col)) {
        c->kind = CapturedCell::Kind::Boolean;
        c->number = value ? 1 : 0;
    }
}

void SheetCapture::set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour,
                                 int minute, double second)
{
    if (CapturedCell* c = cell(row, col)) {
        c->kind = CapturedCell::Kind::Text;
        const QDate date(year, month, day);
        const QTime time(hour, minute, static_cast<int>(second));
        c->text = time == QTime(0, 0) ? date.toString(QStringLiteral("yyyy-MM-dd"))
                                      : date.toString(QStringLiteral("yyyy-MM-dd ")) +
                                            time.toString(QStringLiteral("HH:mm:ss"));
    }
}

void SheetCapture::set_format(ss::row_t row, ss::col_t col, size_t xf_index)
{
    if (CapturedCell* c = cell(row, col))
        c->xf = xf_index;
}

ss::range_size_t SheetCapture::get_sheet_size() const
{
    return {1048576, 16384};
}

ss::src_address_t ReferenceCapture::resolve_address(std::string_view address)
{
    std::string_view rest = address;
    if (const size_t bang = rest.rfind('!'); bang != std::string_view::npos)
        rest = rest.substr(bang + 1);
    ss::col_t column = 0;
    ss::row_t row = 0;
    bool letters = false;
    bool digits = false;
    for (const char c : rest) {
        if (c == '$')
            continue;
        if (c >= 'A' && c <= 'Z' && !digits) {
            column = column * 26 + (c - 'A' + 1);
            letters = true;
        } else if (c >= 'a' && c <= 'z' && !digits) {
            column = column * 26 + (c - 'a' + 1);
            letters = true;
        } else if (c >= '0' && c <= '9' && letters) {
            row = row * 10 + (c - '0');
            digits = true;
        } else {
            throw orcus::invalid_arg_error("not a cell reference: " + std::string(address));
        }
    }
    if (!letters || !digits || row == 0)
        throw orcus::invalid_arg_error("not a cell reference: " + std::string(address));
    return {0, row - 1, column - 1};
}

ss::src_range_t ReferenceCapture::resolve_range(std::string_view range)
{
    const size_t colon = range.find(':');
    if (colon == std::string_view::npos) {
        const ss::src_address_t cell = resolve_address(range);
        return {cell, cell};
    }
    return {resolve_address(range.substr(0, colon)), resolve_address(range.substr(colon + 1))};
}

XlsxCapture::XlsxCapture() = default;
XlsxCapture::~XlsxCapture() = default;

ss::iface::import_sheet* XlsxCapture::append_sheet(ss::sheet_t /*sheet_index*/, std::string_view name)
{
    m_sheets.push_back(std::make_unique<SheetCapture>(fromView(name), m_sheets.empty()));
    return m_sheets.back().get();
}

ss::iface::import_sheet* XlsxCapture::get_sheet(std::string_view name)
{
    const QString wanted = fromView(name);
    for (const auto& sheet : m_sheets) {
        if (sheet->name() == wanted)
            return sheet.get();
    }
    return nullptr;
}

ss::iface::import_sheet* XlsxCapture::get_sheet(ss::sheet_t sheet_index)
{
    if (sheet_index < 0 || static_cast<size_t>(sheet_index) >= m_sheets.size())
        return nullptr;
    return m_sheets[static_cast<size_t>(sheet_index)].get();
}

void XlsxCapture::setFirstSheetText(ss::row_t row, ss::col_t col, const QString& text)
{
    if (CapturedCell* cell = m_sheets.front()->cell(row, col)) {
        cell->kind = CapturedCell::Kind::Text;
        cell->text = text;
    }
}

QString XlsxCapture::displayText(const CapturedCell& cell) const
{
    switch (cell.kind) {
    case CapturedCell::Kind::Empty:
        return QString();
    case CapturedCell::Kind::Text:
        return cell.text;
    case CapturedCell::Kind::SharedString:
        return m_strings.text(cell.stringId);
    case CapturedCell::Kind::Boolean:
        return cell.number != 0 ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case CapturedCell::Kind::Number: {
        const StyleCapture::NumberFormat format = m_styles.numberFormatOfXf(cell.xf);
        const DateKind kind = dateKindOf(static_cast<int>(format.id), format.code);
        return kind == DateKind::None ? numberText(cell.number)
                                      : dateTimeText(cell.number, m_settings.origin(), kind);
    }
    }
    return QString();
}

SheetTable XlsxCapture::table() const
{
    SheetTable table;
    const SheetCapture& first = *m_sheets.front();
    table.name = first.name();
    for (const std::vector<CapturedCell>& cells : first.cells().rows()) {
        QStringList row;
        row.reserve(static_cast<qsizetype>(cells.size()));
        for (const CapturedCell& cell : cells)
            row.append(displayText(cell));
        table.rows.append(row);
    }
    table.padRows();
    return table;
}

} // namespace zu
