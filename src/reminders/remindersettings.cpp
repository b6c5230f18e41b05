#include "remindersettings.h"

#include "data/connection.h"
#include "data/dataset.h"
#include "data/query.h"
#include "data/routines.h"

#include <QDate>

namespace zu {

ReminderSettings readReminderSettings(Query& query)
{
    OpenSql(query, QStringLiteral("select * from T_remind order by id"));
    ReminderSettings s;
    if (!query.eof()) {
        s.day = query.asInteger(QStringLiteral("Day"));
        s.chetrues = query.asString(QStringLiteral("chetrues"));
    }
    query.close();
    return s;
}

void openDueCustomers(DataSet& list, int days)
{
    const DateRange rule = reminderWindow(QStringLiteral("remind"), QDate::currentDate(), days);
    list.close();
    list.open(rule.condition, rule.bindValues, QStringLiteral("remind"));
}

QString normaliseReminderDays(const QString& text)
{
    const QString t = text.trimmed();
    if (t < QLatin1String("1"))
        return QStringLiteral("1");
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok && n >= 1 ? QString::number(n) : QStringLiteral("1");
}

void storeReminderDays(Query& query, int days)
{
    const SqlDialect& d = query.connection().dialect();
    ExecSql(query,
            QStringLiteral("update T_remind set %1 = ? where %2 = 1")
                .arg(d.quote(QStringLiteral("Day")), d.quote(QStringLiteral("id"))),
            {days});
}

void storeReminderPopUp(Query& query, bool popUp)
{
    const SqlDialect& d = query.connection().dialect();
    ExecSql(
        query,
        QStringLiteral("update T_remind set chetrues = ? where %1 = 1").arg(d.quote(QStringLiteral("id"))),
        {popUp ? QStringLiteral("1") : QStringLiteral("0")});
}

} // namespace zu
