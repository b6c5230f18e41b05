#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

namespace zu {

enum class CellStyle : quint8
{
    Normal,
    Bold
};

// The size a file format allows.
struct SheetLimits
{
    int rows;
    int columns;
    QString formatName;
};

// Writes a workbook as it comes, row after row, into temporary files, so that a list of any
// length costs little memory: sheets one after the other, within a sheet rows in increasing
// order, within a row columns in increasing order. finish() then puts the file in place whole.
//
// A text longer than a cell holds is cut to fit and ends in truncationMark(); truncatedCells()
// counts such cells. A refused write (a sheet name the format forbids, a position beyond the
// format's rows or columns or out of order, a number that is not finite) returns false with the
// reason in error(), and makes finish() fail with the first such reason: a file never lacks cells
// silently.
class StreamingSheetWriter
{
public:
    virtual ~StreamingSheetWriter();

    // ".xlsx" (any letter case) writes Office Open XML, every other name Excel 97-2003 (BIFF8).
    static std::unique_ptr<StreamingSheetWriter> forFileName(const QString& path);

    static constexpr int kMaxTextLength = 32767;
    static constexpr int kMaxSheetNameLength = 31;
    static QString truncationMark();
    // Why a sheet name cannot be used; empty when it can.
    static QString sheetNameProblem(const QString& name);

    const SheetLimits& limits() const { return m_limits; }
    int maxRows() const { return m_limits.rows; }
    int maxColumns() const { return m_limits.columns; }

    // Begins the next sheet (names must differ in more than letter case); column widths in pixels.
    bool startSheet(const QString& name, const QMap<int, int>& columnWidthsPixels = {});
    int sheetCount() const { return m_sheetCount; }

    bool writeText(int row, int column, QStringView text, CellStyle style = CellStyle::Normal);
    bool writeNumber(int row, int column, double value, CellStyle style = CellStyle::Normal);
    // A cell without a value that still has a style (bold).
    bool writeBlank(int row, int column, CellStyle style);

    // Completes the workbook and replaces `path` with it only once it is whole. *error names the
    // file and the reason.
    bool finish(const QString& path, QString* error);

    QString error() const { return m_error; }
    QString firstRefusal() const { return m_firstRefusal; }
    int truncatedCells() const { return m_truncated; }

protected:
    explicit StreamingSheetWriter(SheetLimits limits);
    // Why the chosen file could not be written in full: the system's own text for a full disk or
    // a file size limit says little ("Unknown error").
    static QString fileNotWrittenReason();

    virtual bool beginSheet(const QString& name, const QMap<int, int>& widths, QString* reason) = 0;
    virtual bool putText(int row, int column, QStringView text, CellStyle style, QString* reason) = 0;
    virtual bool putNumber(int row, int column, double value, CellStyle style, QString* reason) = 0;
    virtual bool putBlank(int row, int column, CellStyle style, QString* reason) = 0;
    virtual bool complete(const QString& path, QString* reason) = 0;

private:
    bool checkPosition(int row, int column);
    bool refuse(const QString& message);

    SheetLimits m_limits;
    QStringList m_sheetNames;
    int m_sheetCount = 0; // sheets the file format accepted
    bool m_sheetAsked = false;
    bool m_sheetOpen = false; // the last sheet asked for was accepted
    int m_lastRow = -1;
    int m_lastColumn = -1;
    int m_truncated = 0;
    QString m_error;
    QString m_firstRefusal;
    QString m_cut; // reused for cut texts
};

} // namespace zu
