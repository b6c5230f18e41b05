#pragma once

#include <QDate>
#include <QString>

namespace zu {

class DataSet;

// The searches every list window offers, as conditions on a shared data set.

// Opens `list` on the rows whose `field` begins with `prefix`, letter case ignored; a "%" or "_"
// typed by the user matches itself. `field` must be a column of the list's table.
void openStartingWith(DataSet& list, const QString& field, const QString& prefix,
                      const QString& orderBy = {});

// Opens `list` on the rows whose date `column` falls from `first` to `last`, both days whole.
void openDated(DataSet& list, const QString& column, const QDate& first, const QDate& last,
               const QString& orderBy = {});

} // namespace zu
