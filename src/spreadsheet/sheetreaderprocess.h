#pragma once

#include "sheetstream.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace zu {

// What the reading process may use: address space, processor time, and the wall-clock time after
// which it is ended (a busy machine makes it longer than the processor time).
struct SheetReadLimits
{
    qint64 memoryBytes;
    int cpuSeconds;
    int wallSeconds;
    qint64 outputBytes;

    // Enough for any file the formats allow of this size, little enough that a damaged small file
    // cannot take the machine's memory or the user's afternoon.
    static SheetReadLimits forFileSize(qint64 bytes);
};

// Reads a spreadsheet file in a separate process (the program zu-sheetreader) with limits on
// memory and time: a file that crashes a reader library, makes it loop or allocate without end
// costs that process only, and comes back here as an error.
class SheetReaderProcess final
{
public:
    // The reader program: $ZU_SHEETREADER when set, otherwise zu-sheetreader beside the running program.
    static QString program();

    // Reads sheet `sheet` (from 0; -1: the active sheet) of the file into *data. False with
    // *error ("无法读取文件 PATH：REASON") when the file cannot be read, the reader crashes or is
    // ended for its limits. `waiting` is called now and then while the reader runs.
    static bool read(const QString& path, int sheet, SheetData* data, QString* error,
                     const std::function<void()>& waiting = {});
    static bool read(const QString& path, int sheet, SheetData* data, QString* error,
                     const SheetReadLimits& limits, const std::function<void()>& waiting = {});
};

// The reader program's own work: reads the file named in `arguments` ("FILE [--sheet N]", N from 1)
// and writes the lines of sheetstream.h to standard output. Returns the exit status: 0 when the
// sheet was written, 1 after an ERROR line, 2 for wrong arguments.
int runSheetReader(const QStringList& arguments);

} // namespace zu
