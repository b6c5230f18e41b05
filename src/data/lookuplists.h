#pragma once

#include "routines.h"

#include <QString>

namespace zu {

class DataSet;
class SqlDialect;

// The values of one lookup list (the T_type rows whose [table] names the list), in the order
// they were added: the drop-down boxes of the editors and the search offer them.
Statement lookupListStatement(const SqlDialect& dialect, const QString& list);

// Opens the lookup-list editor's data set on one list.
void openLookupList(DataSet& values, const QString& list);

} // namespace zu
