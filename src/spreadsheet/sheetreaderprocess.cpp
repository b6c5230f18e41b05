#include "sheetreaderprocess.h"

#include "spreadsheetreader.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <new>

#include <sys/resource.h>

namespace zu {

namespace {

constexpr qint64 kMegabyte = 1024 * 1024;

void setLimit(int resource, rlim_t value)
{
    const rlimit limit{value, value};
    setrlimit(resource, &limit);
}

} // namespace

SheetReadLimits SheetReadLimits::forFileSize(qint64 bytes)
{
    const qint64 megabytes = bytes / kMegabyte;
    return {
        .memoryBytes = std::min<qint64>(768 * kMegabyte + 64 * bytes, 4096 * kMegabyte),
        .cpuSeconds = static_cast<int>(std::min<qint64>(20 + 3 * megabytes, 600)),
        .wallSeconds = static_cast<int>(std::min<qint64>(40 + 6 * megabytes, 1200)),
        .outputBytes = std::max<qint64>(256 * kMegabyte, 64 * bytes),
    };
}

QString SheetReaderProcess::program()
{
    const QString configured = qEnvironmentVariable("ZU_SHEETREADER");
    if (!configured.isEmpty())
        return configured;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("zu-sheetreader"));
}

bool SheetReaderProcess::read(const QString& path, int sheet, SheetData* data, QString* error,
                              const std::function<void()>& waiting)
{
    return read(path, sheet, data, error, SheetReadLimits::forFileSize(QFileInfo(path).size()), waiting);
}

bool SheetReaderProcess::read(const QString& path, int sheet, SheetData* data, QString* error,
                              const SheetReadLimits& limits, const std::function<void()>& waiting)
{
    const QString reader = program();
    QProcess process;
    process.setProgram(reader);
    process.setArguments(
        {QFileInfo(path).absoluteFilePath(), QStringLiteral("--sheet"), QString::number(sheet + 1)});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const auto memory = static_cast<rlim_t>(limits.memoryBytes);
    const auto cpu = static_cast<rlim_t>(limits.cpuSeconds);
    // Runs in the new process before the reader starts: only calls that are safe after fork().
    process.setChildProcessModifier([memory, cpu] {
        setLimit(RLIMIT_AS, memory);
        setLimit(RLIMIT_CPU, cpu);
        setLimit(RLIMIT_CORE, 0);
    });
    process.start();
    if (!process.waitForStarted(30000)) {
        *error = unreadableFileText(path, QStringLiteral("无法启动读取程序 %1（%2）")
                                              .arg(QDir::toNativeSeparators(reader), process.errorString()));
        return false;
    }
    const QDeadlineTimer deadline(static_cast<qint64>(limits.wallSeconds) * 1000);
    QString stopped;
    while (!process.waitForFinished(50)) {
        if (deadline.hasExpired())
            stopped = QStringLiteral("读取超过 %1 秒仍未完成，文件可能已损坏").arg(limits.wallSeconds);
        else if (process.bytesAvailable() > limits.outputBytes)
            stopped = QStringLiteral("文件已损坏或格式不受支持（读出的内容多得不合常理）");
        if (!stopped.isEmpty()) {
            process.kill();
            process.waitForFinished(5000);
            *error = unreadableFileText(path, stopped);
            return false;
        }
        if (waiting)
            waiting();
    }
    QByteArray output = process.readAllStandardOutput();
    QString reason;
    if (data->parse(std::move(output), &reason))
        return true;
    if (process.exitStatus() == QProcess::CrashExit) {
        // The processor-time limit ends the reader with a signal, as a crash does.
        reason = QStringLiteral("文件已损坏或格式不受支持（读取程序意外结束）");
    }
    *error = unreadableFileText(path, reason);
    return false;
}

int runSheetReader(const QStringList& arguments)
{
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 2;
    QString path;
    int sheet = -1;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--sheet") && i + 1 < arguments.size()) {
            bool ok = false;
            sheet = arguments[++i].toInt(&ok) - 1;
            if (!ok || sheet < -1)
                return 2;
        } else if (path.isEmpty()) {
            path = arguments[i];
        } else {
            return 2;
        }
    }
    if (path.isEmpty())
        return 2;
    try {
        QString reason;
        std::unique_ptr<WorkbookFile> book = WorkbookFile::open(path, &reason);
        if (book && writeSheetStream(*book, sheet, &out, &reason))
            return 0;
        writeSheetStreamError(&out, reason);
    } catch (const std::bad_alloc&) {
        writeSheetStreamError(&out, QStringLiteral("文件太大或已损坏：读取它需要的内存超过了上限"));
    }
    return 1;
}

} // namespace zu
