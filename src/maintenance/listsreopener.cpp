#include "listsreopener.h"

#include "data/datamodule.h"

namespace zu {

ListsReopener::ListsReopener(const TfrmData& dataModule)
{
    for (DataSet* list : dataModule.dataSets())
        if (list->isOpen() && !list->master())
            m_lists.append(
                {list, list->whereClause(), list->bindValues(), list->orderBy(), list->currentKey()});
}

void ListsReopener::reopen()
{
    for (const OpenList& open : std::as_const(m_lists)) {
        if (!open.list)
            continue;
        open.list->open(open.where, open.bindValues, open.orderBy);
        if (open.key.isValid())
            open.list->locateKey(open.key);
    }
    m_lists.clear();
}

} // namespace zu
