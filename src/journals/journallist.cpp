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
    static const JournalListKind kind{
        .caption = QStringLiteral("维修记录"),
        .list = &TfrmData::qryservice,
        .table = QStringLiteral("T_service"),
        .dateColumn = QStringLiteral("serviceDate"),
        .layout = QStringLiteral("T_serviceshow"),
        .gridName = "dgAdd",
        .fieldBoxName = "CmbFiled",
        .keyBoxName = "edtKey",
        .searchButtonName = "btn1",
        .closeButtonName = "btn2",
        .closeCaption = QStringLiteral("关闭&C"),
        .deleteQuestionEnd = QStringLiteral("'用户吗？"),
        .exportButtonCaption = QStringLiteral("导出&L"),
        .exportItemCaption = QStringLiteral("导出&R"),
        .exportTitle = QStringLiteral("维护记录信息"),
        .chooserItemCaption = QStringLiteral("设置列属性"),
        .chooserTag = QStringLiteral("frmservice"),
        .fixedSize = true,
        .statusBar = false,
        .openEditor = &runEditor<TfrmServiceAdd>,
        .change = Operation::ChangeServices,
    };
    return kind;
}

const JournalListKind& JournalListKind::call()
{
    static const JournalListKind kind{
        .caption = QStringLiteral("回访记录"),
        .list = &TfrmData::qryCall,
        .table = QStringLiteral("T_call"),
        .dateColumn = QStringLiteral("callDate"),
        .layout = QStringLiteral("T_callshow"),
        .gridName = "dgAdds",
        .fieldBoxName = "cmbFiled",
        .keyBoxName = "edtKey",
        .searchButtonName = "btn2",
        .closeButtonName = "btn1",
        .closeCaption = QStringLiteral("关闭&C"),
        .deleteQuestionEnd = QStringLiteral("'信息吗？"),
        .exportButtonCaption = QStringLiteral("导出&E"),
        .exportItemCaption = QStringLiteral("导出"),
        .exportTitle = QStringLiteral("回访记录信息"),
        .chooserItemCaption = QStringLiteral("设置列选项"),
        .chooserTag = QStringLiteral("frmCall"),
        .fixedSize = false,
        .statusBar = false,
        .openEditor = &runEditor<TfrmCellAdd>,
        .change = Operation::ChangeCalls,
    };
    return kind;
}

const JournalListKind& JournalListKind::complain()
{
    static const JournalListKind kind{
        .caption = QStringLiteral("投诉记录"),
        .list = &TfrmData::qryComplain,
        .table = QStringLiteral("T_complain"),
        .dateColumn = QStringLiteral("complainDate"),
        .layout = QStringLiteral("T_complainshow"),
        .gridName = "dgadd",
        .fieldBoxName = "cmbFiled",
        .keyBoxName = "edtkey",
        .searchButtonName = "BitBtn1",
        .closeButtonName = "ToolButton1",
        .closeCaption = QStringLiteral("退出&C"),
        .deleteQuestionEnd = QStringLiteral("'用户吗？"),
        .exportButtonCaption = QStringLiteral("导出&E"),
        .exportItemCaption = QStringLiteral("导出&R"),
        .exportTitle = QStringLiteral("投诉信息"),
        .chooserItemCaption = QStringLiteral("设置列属性"),
        .chooserTag = QStringLiteral("frmcomplain"),
        .fixedSize = false,
        .statusBar = true,
        .openEditor = &runEditor<TfrmComplainAdd>,
        .change = Operation::ChangeComplaints,
    };
    return kind;
}

} // namespace zu
