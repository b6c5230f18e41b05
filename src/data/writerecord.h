#pragma once

#include "dataset.h"

#include <QVariantMap>

namespace zu {

// Sets every value on the data set's pending row (append, or edit the row the stamp names as
// the editor showed it) and posts it. A failed post discards the pending row and rethrows, so
// the caller's dialog keeps the user's input.
void writeRecord(DataSet& target, const QVariantMap& values, bool append, const RowStamp& seen = {});

} // namespace zu
