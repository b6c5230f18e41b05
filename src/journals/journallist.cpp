#include "journallist.h"

#include "tfrmcelladd.h"
#include "tfrmcomplainadd.h"
#include "tfrmserviceadd.h"

#include "data/datamodule.h"

namespace zu {

namespace {

template <typename Editor> void runEditor(QWidget* parent, bool isAdd)
{
    Editor editor(parent);
    editor.FCaller = Editor::editorKind().listCaller;
    editor.FIsAdd = isAdd;
    editor.exec();
}

} // namespace

const JournalListKind& JournalListKind::service()
{
    static const JournalListKind kind{QStringLiteral("维修记录"),
                                      &TfrmData::qryservice,
                                      QStringLiteral("T_service"),
                                      QStringLiteral("serviceDate"),
                                      QStringLiteral("T_serviceshow"),
                                      "dgAdd",
                                      "CmbFiled",
                                      "edtKey",
                                      "btn1",
                                      "btn2",
                                      QStringLiteral("关闭&C"),
                                      QStringLiteral("'用户吗？"),
                                      QStringLiteral("导出&L"),
                                      QStringLiteral("导出&R"),
                                      QStringLiteral("维护记录信息"),
                                      QStringLiteral("设置列属性"),
                                      QStringLiteral("frmservice"),
                                      true,
                                      false,
                                      &runEditor<TfrmServiceAdd>};
    return kind;
}

const JournalListKind& JournalListKind::call()
{
    static const JournalListKind kind{QStringLiteral("回访记录"),
                                      &TfrmData::qryCall,
                                      QStringLiteral("T_call"),
                                      QStringLiteral("callDate"),
                                      QStringLiteral("T_callshow"),
                                      "dgAdds",
                                      "cmbFiled",
                                      "edtKey",
                                      "btn2",
                                      "btn1",
                                      QStringLiteral("关闭&C"),
                                      QStringLiteral("'信息吗？"),
                                      QStringLiteral("导出&E"),
                                      QStringLiteral("导出"),
                                      QStringLiteral("回访记录信息"),
                                      QStringLiteral("设置列选项"),
                                      QStringLiteral("frmCall"),
                                      false,
                                      false,
                                      &runEditor<TfrmCellAdd>};
    return kind;
}

const JournalListKind& JournalListKind::complain()
{
    static const JournalListKind kind{QStringLiteral("投诉记录"),
                                      &TfrmData::qryComplain,
                                      QStringLiteral("T_complain"),
                                      QStringLiteral("complainDate"),
                                      QStringLiteral("T_complainshow"),
                                      "dgadd",
                                      "cmbFiled",
                                      "edtkey",
                                      "BitBtn1",
                                      "ToolButton1",
                                      QStringLiteral("退出&C"),
                                      QStringLiteral("'用户吗？"),
                                      QStringLiteral("导出&E"),
                                      QStringLiteral("导出&R"),
                                      QStringLiteral("投诉信息"),
                                      QStringLiteral("设置列属性"),
                                      QStringLiteral("frmcomplain"),
                                      false,
                                      true,
                                      &runEditor<TfrmComplainAdd>};
    return kind;
}

} // namespace zu
