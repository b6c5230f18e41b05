#include "writerecord.h"

#include "dataset.h"

namespace zu {

void writeRecord(DataSet& target, const QVariantMap& values, bool append, const RowStamp& seen)
{
    if (append)
        target.append();
    else
        target.edit(seen);
    try {
        for (auto it = values.constBegin(); it != values.constEnd(); ++it)
            target.setField(it.key(), it.value());
        target.post();
    } catch (...) {
        target.cancel();
        throw;
    }
}

} // namespace zu
