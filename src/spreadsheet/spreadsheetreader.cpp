#include "spreadsheetreader.h"

#include "csvparser.h"
#include "xlsfilereader.h"
#include "xlsxfilereader.h"

#include <QFile>
#include <QFileInfo>

namespace zu {

namespace {

enum class FileKind
{
    Xls,
    Xlsx,
    Csv,
    Unknown
};

const QByteArray kCompoundFileSignature = QByteArray::fromHex("D0CF11E0A1B11AE1");
const QByteArray kZipSignature = QByteArrayLiteral("PK\x03\x04");

FileKind kindOf(const QByteArray& head, const QString& path)
{
    if (head.startsWith(kCompoundFileSignature))
        return FileKind::Xls;
    if (head.startsWith(kZipSignature))
        return FileKind::Xlsx;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv") || suffix == QLatin1String("txt"))
        return FileKind::Csv;
    return FileKind::Unknown;
}

} // namespace

bool SpreadsheetReader::canReadXlsx()
{
    return zu::canReadXlsx();
}

QString SpreadsheetReader::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columnCount)
        return QString();
    return m_table.rows.at(row).at(column);
}

bool SpreadsheetReader::open(const QString& path, QString* error)
{
    m_table = SheetTable();
    m_columnCount = 0;
    QString reason;
    if (!read(path, &reason)) {
        m_table = SheetTable();
        if (error)
            *error = QStringLiteral("无法读取文件 %1：%2").arg(QFileInfo(path).absoluteFilePath(), reason);
        return false;
    }
    m_table.padRows();
    m_columnCount = m_table.columnCount();
    return true;
}

bool SpreadsheetReader::read(const QString& path, QString* reason)
{
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        *reason = QStringLiteral("这是一个文件夹，不是文件");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return false;
    }
    const QByteArray head = file.peek(8);
    switch (kindOf(head, path)) {
    case FileKind::Xls:
        file.close();
        return readXlsFile(path, &m_table, reason);
    case FileKind::Xlsx:
        file.close();
        return readXlsxFile(path, &m_table, reason);
    case FileKind::Csv: {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            *reason = file.errorString();
            return false;
        }
        m_table.name = QFileInfo(path).completeBaseName();
        return parseCsv(bytes, &m_table.rows, reason);
    }
    case FileKind::Unknown:
        break;
    }
    *reason = head.isEmpty()
                  ? QStringLiteral("文件是空的")
                  : QStringLiteral("不是可识别的电子表格文件（支持 .xls、.xlsx 和 UTF-8 编码的 .csv）");
    return false;
}

} // namespace zu
