#pragma once

#include "users/permissions.h"

#include <QString>

class QWidget;

namespace zu {

class DataSet;
class TfrmData;

// What tells the three journal list windows apart.
struct JournalListKind
{
    QString caption;
    DataSet& (TfrmData::*list)();
    QString table;
    QString dateColumn;
    QString layout;
    const char* gridName;
    const char* fieldBoxName;
    const char* keyBoxName;
    const char* searchButtonName;
    const char* closeButtonName;
    QString closeCaption;
    QString deleteQuestionEnd; // "'用户吗？" or "'信息吗？"
    QString exportButtonCaption, exportItemCaption;
    QString exportTitle; // proposed file name, today's date follows
    QString chooserItemCaption, chooserTag;
    bool fixedSize;
    bool statusBar;
    void (*openEditor)(QWidget* parent, bool isAdd);
    Operation change; // what adding, changing and deleting records takes

    static const JournalListKind& service();
    static const JournalListKind& call();
    static const JournalListKind& complain();
};

} // namespace zu
