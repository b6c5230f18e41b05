#pragma once

#include <QDate>
#include <QString>

namespace zu {

class DataSet;

// The searches every list window offers, as conditions on a shared data set.

// Opens `list` on the rows whose `field` begins with `prefix`, letter case ignored; a "%" or "_"
// typed by the user matches itself. `field` must be a column of the list's table. A Yes/No
// column is matched by what the lists show for it: 是 or 否 (rows without a value match neither).
void openStartingWith(DataSet& list, const QString& field, const QString& prefix,
                      const QString& orderBy = {});

// Whether `field` of the list's table is a Yes/No column, searched by 是 or 否.
bool isYesNoField(const DataSet& list, const QString& field);

// Opens `list` on the rows whose date `column` falls from `first` to `last`, both days whole.
void openDated(DataSet& list, const QString& column, const QDate& first, const QDate& last,
               const QString& orderBy = {});

} // namespace zu
