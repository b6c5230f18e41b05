#include "routines.h"

#include "connection.h"
#include "errors.h"
#include "query.h"

#include <QFile>
#include <QSaveFile>

namespace zu {

void OpenSql(Query& query, const QString& sql, const QVariantList& bindValues)
{
    query.open(sql, bindValues);
}

void ExecSql(Query& query, const QString& sql, const QVariantList& bindValues)
{
    query.exec(sql, bindValues);
}

bool valueExists(Query& query, const QString& table, const QString& column, const QVariant& value)
{
    OpenSql(query,
            QStringLiteral("select * from %1 where %2 = ?")
                .arg(table, query.connection().dialect().quote(column)),
            {value});
    return !query.isEmpty();
}

void CopyFile(const QString& source, const QString& target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw CommandError(QStringLiteral("无法打开文件 %1：%2").arg(source, in.errorString()));
    QSaveFile out(target);
    // Unbuffered, a write the disk takes only in part says so at once.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw CommandError(QStringLiteral("无法写入文件 %1：%2").arg(target, out.errorString()));
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0)
            throw CommandError(QStringLiteral("读取文件 %1 出错：%2").arg(source, in.errorString()));
        if (n == 0)
            break;
        if (out.write(buffer, n) != n)
            throw CommandError(QStringLiteral("写入文件 %1 出错：%2").arg(target, out.errorString()));
    }
    if (!out.commit())
        throw CommandError(QStringLiteral("写入文件 %1 出错：%2").arg(target, out.errorString()));
}

bool writeWholeFile(const QString& path, const QByteArray& content, QString* reason)
{
    QSaveFile file(path);
    // Unbuffered, a write the disk takes only in part says so at once.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = file.errorString();
        return false;
    }
    // A full disk may take part of the content and no error: the file is kept only when whole.
    if (file.write(content) != content.size()) {
        *reason = QStringLiteral("文件没有写完整，磁盘可能已满");
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace zu
