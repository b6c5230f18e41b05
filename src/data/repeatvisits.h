#pragma once

#include <QString>
#include <QStringList>

namespace zu {

class Connection;
class SqlDialect;

// A service counts as a repeat visit when an earlier service of the same (non-empty) body code
// lies 1 to 30 days before it, counted in calendar days: a second visit on the same day is no
// repeat, one 30 days later is, one 31 days later is not. The earlier service may lie before any
// period the figures are asked for.
inline constexpr int kRepeatVisitDays = 30;

// Whether a service is a repeat visit is kept beside it (T_service.RepeatVisit) by the database
// itself at every write of a service, whoever writes it: adding one, changing its day or body
// code, deleting it changes the facts of the services of the same unit in the 30 days after it.
// On the server, two workstations writing services of one unit take their turns. Each engine's
// statements are shaped here, beside the dialect, and nowhere else.

// The row version of a service left as it is when only this fact changes: no other workstation
// has to reload a service nobody touched.
QStringList serviceVersionStatements(const SqlDialect& dialect);
// The triggers that keep the column from then on.
QStringList repeatVisitTriggers(const SqlDialect& dialect);
// The index the statistics read a period's services with, the fact among its columns.
QStringList repeatVisitIndexes(const SqlDialect& dialect);

// Sets the fact of every service there is (after the column was added), a range of keys per
// statement; returns how many services are repeat visits.
int fillRepeatVisits(Connection& connection);

} // namespace zu
