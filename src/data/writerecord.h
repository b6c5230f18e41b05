#pragma once

#include <QVariantMap>

namespace zu {

class DataSet;

// Sets every value on the data set's pending row (append or edit first) and posts it. A failed
// post discards the pending row and rethrows, so the caller's dialog keeps the user's input.
void writeRecord(DataSet& target, const QVariantMap& values, bool append);

} // namespace zu
