#pragma once

#include "sheettable.h"

#include <QDate>

#include <orcus/spreadsheet/import_interface.hpp>

#include <memory>
#include <vector>

namespace zu {

namespace ss = orcus::spreadsheet;

// A cell as liborcus reports it; its text is settled once the whole file (strings, styles) is read.
struct CapturedCell
{
    enum class Kind : quint8
    {
        Empty,
        Text,
        SharedString,
        Number,
        Boolean
    };
    Kind kind = Kind::Empty;
    size_t xf = 0;
    double number = 0;
    size_t stringId = 0;
    QString text;
};

class CapturedCells final
{
public:
    CapturedCell& at(ss::row_t row, ss::col_t column);
    const std::vector<std::vector<CapturedCell>>& rows() const { return m_rows; }

private:
    std::vector<std::vector<CapturedCell>> m_rows;
};

class StringCapture final : public ss::iface::import_shared_strings
{
public:
    size_t append(std::string_view s) override;
    size_t add(std::string_view s) override;
    void set_segment_font(size_t) override {}
    void set_segment_bold(bool) override {}
    void set_segment_italic(bool) override {}
    void set_segment_font_name(std::string_view) override {}
    void set_segment_font_size(double) override {}
    void set_segment_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                                ss::color_elem_t) override
    {
    }
    void append_segment(std::string_view s) override;
    size_t commit_segments() override;

    QString text(size_t id) const;

private:
    QStringList m_strings;
    QString m_segments;
};

// Keeps only what decides how a number is shown: each cell format's number format.
class StyleCapture final : public ss::iface::import_styles
{
public:
    void set_font_count(size_t) override {}
    void set_font_bold(bool) override {}
    void set_font_italic(bool) override {}
    void set_font_name(std::string_view) override {}
    void set_font_size(double) override {}
    void set_font_underline(ss::underline_t) override {}
    void set_font_underline_width(ss::underline_width_t) override {}
    void set_font_underline_mode(ss::underline_mode_t) override {}
    void set_font_underline_type(ss::underline_type_t) override {}
    void set_font_underline_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                                  ss::color_elem_t) override
    {
    }
    void set_font_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_strikethrough_style(ss::strikethrough_style_t) override {}
    void set_strikethrough_type(ss::strikethrough_type_t) override {}
    void set_strikethrough_width(ss::strikethrough_width_t) override {}
    void set_strikethrough_text(ss::strikethrough_text_t) override {}
    size_t commit_font() override { return m_fonts++; }
    void set_fill_count(size_t) override {}
    void set_fill_pattern_type(ss::fill_pattern_t) override {}
    void set_fill_fg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    void set_fill_bg_color(ss::color_elem_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t) override {}
    size_t commit_fill() override { return m_fills++; }
    void set_border_count(size_t) override {}
    void set_border_style(ss::border_direction_t, ss::border_style_t) override {}
    void set_border_color(ss::border_direction_t, ss::color_elem_t, ss::color_elem_t, ss::color_elem_t,
                          ss::color_elem_t) override
    {
    }
    void set_border_width(ss::border_direction_t, double, orcus::length_unit_t) override {}
    size_t commit_border() override { return m_borders++; }
    void set_cell_hidden(bool) override {}
    void set_cell_locked(bool) override {}
    void set_cell_print_content(bool) override {}
    void set_cell_formula_hidden(bool) override {}
    size_t commit_cell_protection() override { return m_protections++; }
    void set_number_format_count(size_t) override {}
    void set_number_format_identifier(size_t id) override { m_formatId = id; }
    void set_number_format_code(std::string_view s) override;
    size_t commit_number_format() override;
    void set_cell_xf_count(size_t) override {}
    void set_cell_style_xf_count(size_t) override {}
    void set_dxf_count(size_t) override {}
    void set_xf_font(size_t) override {}
    void set_xf_fill(size_t) override {}
    void set_xf_border(size_t) override {}
    void set_xf_protection(size_t) override {}
    void set_xf_number_format(size_t index) override { m_xfFormat = index; }
    void set_xf_style_xf(size_t) override {}
    void set_xf_apply_alignment(bool) override {}
    void set_xf_horizontal_alignment(ss::hor_alignment_t) override {}
    void set_xf_vertical_alignment(ss::ver_alignment_t) override {}
    size_t commit_cell_xf() override;
    size_t commit_cell_style_xf() override { return m_styleXfs++; }
    size_t commit_dxf() override { return m_dxfs++; }
    void set_cell_style_count(size_t) override {}
    void set_cell_style_name(std::string_view) override {}
    void set_cell_style_xf(size_t) override {}
    void set_cell_style_builtin(size_t) override {}
    void set_cell_style_parent_name(std::string_view) override {}
    size_t commit_cell_style() override { return m_cellStyles++; }

    // How cells of this cell format show numbers.
    struct NumberFormat
    {
        size_t id = 0;
        QString code;
    };
    NumberFormat numberFormatOfXf(size_t xf) const;

private:
    struct PendingFormat
    {
        size_t id = 0;
        QString code;
    };
    std::vector<PendingFormat> m_formats;
    std::vector<size_t> m_xfFormats;
    size_t m_formatId = 0;
    QString m_formatCode;
    size_t m_xfFormat = 0;
    size_t m_fonts = 0, m_fills = 0, m_borders = 0, m_protections = 0, m_styleXfs = 0, m_dxfs = 0,
           m_cellStyles = 0;
};

class SheetCapture;

// The result that a formula cell stores with it is what the cell shows.
class FormulaCapture final : public ss::iface::import_formula
{
public:
    explicit FormulaCapture(SheetCapture& sheet) : m_sheet(sheet) {}

    void set_position(ss::row_t row, ss::col_t col) override;
    void set_formula(ss::formula_grammar_t, std::string_view) override {}
    void set_shared_formula_index(size_t) override {}
    void set_result_string(std::string_view value) override;
    void set_result_value(double value) override;
    void set_result_bool(bool value) override;
    void set_result_empty() override;
    void commit() override {}

private:
    SheetCapture& m_sheet;
    ss::row_t m_row = 0;
    ss::col_t m_col = 0;
};

class SheetCapture final : public ss::iface::import_sheet
{
public:
    // Only a kept sheet stores its cells; the others are read past.
    SheetCapture(QString name, bool keep) : m_name(std::move(name)), m_keep(keep), m_formula(*this) {}

    ss::iface::import_formula* get_formula() override { return &m_formula; }
    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override;
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t sindex) override;
    void set_value(ss::row_t row, ss::col_t col, double value) override;
    void set_bool(ss::row_t row, ss::col_t col, bool value) override;
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour, int minute,
                       double second) override;
    void set_format(ss::row_t row, ss::col_t col, size_t xf_index) override;
    void set_format(ss::row_t, ss::col_t, ss::row_t, ss::col_t, size_t) override {}
    void fill_down_cells(ss::row_t, ss::col_t, ss::row_t) override {}
    ss::range_size_t get_sheet_size() const override;

    const QString& name() const { return m_name; }
    const CapturedCells& cells() const { return m_cells; }
    // The cell to fill, or nullptr for a sheet that is not kept.
    CapturedCell* cell(ss::row_t row, ss::col_t col);

private:
    QString m_name;
    bool m_keep;
    CapturedCells m_cells;
    FormulaCapture m_formula;
};

class SettingsCapture final : public ss::iface::import_global_settings
{
public:
    void set_origin_date(int year, int month, int day) override { m_origin = QDate(year, month, day); }
    void set_default_formula_grammar(ss::formula_grammar_t grammar) override { m_grammar = grammar; }
    ss::formula_grammar_t get_default_formula_grammar() const override { return m_grammar; }
    void set_character_set(orcus::character_set_t) override {}

    QDate origin() const { return m_origin; }

private:
    QDate m_origin{1899, 12, 30};
    ss::formula_grammar_t m_grammar = ss::formula_grammar_t::xlsx;
};

// Cell references in A1 notation ("B7", "$B$7", "Sheet1!B7:C9"), all on the first sheet.
class ReferenceCapture final : public ss::iface::import_reference_resolver
{
public:
    ss::src_address_t resolve_address(std::string_view address) override;
    ss::src_range_t resolve_range(std::string_view range) override;
};

// Receives a workbook from liborcus and keeps the first worksheet.
class XlsxCapture final : public ss::iface::import_factory
{
public:
    XlsxCapture();
    ~XlsxCapture() override;

    ss::iface::import_global_settings* get_global_settings() override { return &m_settings; }
    ss::iface::import_shared_strings* get_shared_strings() override { return &m_strings; }
    ss::iface::import_styles* get_styles() override { return &m_styles; }
    ss::iface::import_reference_resolver* get_reference_resolver(ss::formula_ref_context_t) override
    {
        return &m_references;
    }
    ss::iface::import_sheet* append_sheet(ss::sheet_t sheet_index, std::string_view name) override;
    ss::iface::import_sheet* get_sheet(std::string_view name) override;
    ss::iface::import_sheet* get_sheet(ss::sheet_t sheet_index) override;
    void finalize() override {}

    bool hasSheet() const { return !m_sheets.empty(); }
    // Gives a cell of the first sheet a text that liborcus did not report.
    void setFirstSheetText(ss::row_t row, ss::col_t col, const QString& text);
    SheetTable table() const;

private:
    QString displayText(const CapturedCell& cell) const;

    SettingsCapture m_settings;
    StringCapture m_strings;
    StyleCapture m_styles;
    ReferenceCapture m_references;
    std::vector<std::unique_ptr<SheetCapture>> m_sheets;
};

} // namespace zu
