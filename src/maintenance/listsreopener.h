#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace zu {

class DataSet;
class TfrmData;

// Closing the connection closes every shared list, and the windows showing them would stay
// empty. This notes the open lists (those that follow no master: detail lists follow theirs)
// and opens them again afterwards, each on the record it was on where that still exists.
class ListsReopener final
{
public:
    explicit ListsReopener(const TfrmData& dataModule);
    void reopen();

private:
    struct OpenList
    {
        QPointer<DataSet> list;
        QString where;
        QVariantList bindValues;
        QString orderBy;
        QVariant key;
    };
    QList<OpenList> m_lists;
};

} // namespace zu
