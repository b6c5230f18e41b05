#include "cleardata.h"

#include "data/connection.h"
#include "data/query.h"
#include "data/routines.h"

namespace zu {

QString collectClearStatements(Query& query, const QStringList& names)
{
    // An empty item keeps the list valid and matches no entry.
    QVariantList values{QStringLiteral("数据初始化")};
    QStringList marks;
    for (const QString& name : names) {
        values << name;
        marks << QStringLiteral("?");
    }
    values << QString();
    marks << QStringLiteral("?");
    OpenSql(query,
            QStringLiteral("select * from T_popedom where tablename = ? and name in (%1)")
                .arg(marks.join(QLatin1Char(','))),
            values);
    QString text;
    for (; !query.eof(); query.next())
        text += query.asString(QStringLiteral("qxName"));
    query.close();
    return text;
}

QStringList splitClearStatements(const QString& text)
{
    QStringList statements;
    QString rest = text;
    for (qsizetype at = rest.indexOf(QLatin1Char(';')); at >= 0; at = rest.indexOf(QLatin1Char(';'))) {
        statements << rest.left(at);
        rest = rest.mid(at + 1);
    }
    return statements;
}

void runClearStatements(Connection& connection, const QStringList& statements)
{
    TransactionGuard transaction(connection);
    Query query(connection);
    for (const QString& statement : statements)
        if (!statement.trimmed().isEmpty())
            ExecSql(query, statement);
    query.close();
    transaction.commit();
}

QString clearDataQuestion()
{
    return QStringLiteral("此操作将删除所选的全部数据，且不可恢复。确定要继续吗？");
}

QString clearDataDoneText(const QString& safetyCopy)
{
    if (safetyCopy.isEmpty())
        return QStringLiteral("初始化成功！");
    return QStringLiteral("初始化成功！\n初始化前的数据已备份在:") + safetyCopy;
}

} // namespace zu
