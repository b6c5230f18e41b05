#pragma once

#include <QString>

namespace zu {

class DataSet;
class Query;

// The one row of T_remind.
struct ReminderSettings
{
    int day = 0;      // horizon in days
    QString chetrues; // "0": no pop-up at start-up
    bool popUp() const { return chetrues != QLatin1String("0"); }
};

// The first row of T_remind (an empty table reads as no days and an empty setting).
ReminderSettings readReminderSettings(Query& query);

// Opens the list with the customers due today within `days` days.
void openDueCustomers(DataSet& list, int days);

// The day box's rule: a text that sorts before "1" (empty, "0", "-3", ...) becomes "1".
QString normaliseReminderDays(const QString& text);

void storeReminderDays(Query& query, int days);
void storeReminderPopUp(Query& query, bool popUp);

} // namespace zu
