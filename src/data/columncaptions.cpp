#include "columncaptions.h"

namespace zu {

namespace {

struct ColumnCaption
{
    const char* table;
    const char* column;
    const char* caption;
};

// The customer columns carry the names of the customer report's fields; the journal columns the
// labels of their editors.
const ColumnCaption kCaptions[] = {
    {.table = "T_Cust", .column = "CustName", .caption = "客户名称"},
    {.table = "T_Cust", .column = "IDCode", .caption = "客户编码"},
    {.table = "T_Cust", .column = "Address", .caption = "客户地址"},
    {.table = "T_Cust", .column = "Phone", .caption = "客户电话"},
    {.table = "T_Cust", .column = "Mobile", .caption = "客户手机"},
    {.table = "T_Cust", .column = "classCode", .caption = "客户类别"},
    {.table = "T_Cust", .column = "GoodsCode", .caption = "机身编码"},
    {.table = "T_Cust", .column = "Goodsunit", .caption = "型号"},
    {.table = "T_Cust", .column = "Number", .caption = "数量"},
    {.table = "T_Cust", .column = "Price", .caption = "单价"},
    {.table = "T_Cust", .column = "Money", .caption = "总金额"},
    {.table = "T_Cust", .column = "GiftnameA", .caption = "赠品名称A"},
    {.table = "T_Cust", .column = "GiftnameB", .caption = "赠品名称B"},
    {.table = "T_Cust", .column = "GiftNumberA", .caption = "赠品数量A"},
    {.table = "T_Cust", .column = "GiftNumberB", .caption = "赠品数量B"},
    {.table = "T_Cust", .column = "gathering", .caption = "实际收款"},
    {.table = "T_Cust", .column = "Emptionaddress", .caption = "购买地点"},
    {.table = "T_Cust", .column = "EmptionDate", .caption = "购买日期"},
    {.table = "T_Cust", .column = "Install", .caption = "安装部"},
    {.table = "T_Cust", .column = "OrderDate", .caption = "预约安装时间"},
    {.table = "T_Cust", .column = "AgainDate", .caption = "从约安装时间"},
    {.table = "T_Cust", .column = "Zipcode", .caption = "邮政编码"},
    {.table = "T_Cust", .column = "OrderCode", .caption = "开单批号"},
    {.table = "T_Cust", .column = "Voucherid", .caption = "票据号"},
    {.table = "T_Cust", .column = "BusinessMen", .caption = "业务员"},
    {.table = "T_Cust", .column = "Remark", .caption = "备注"},
    {.table = "T_Cust", .column = "CharA", .caption = "字符串A"},
    {.table = "T_Cust", .column = "CharB", .caption = "字符串B"},
    {.table = "T_Cust", .column = "CharC", .caption = "字符串C"},
    {.table = "T_Cust", .column = "CharD", .caption = "字符串D"},
    {.table = "T_Cust", .column = "intA", .caption = "数值A"},
    {.table = "T_Cust", .column = "intB", .caption = "数值B"},
    {.table = "T_Cust", .column = "intC", .caption = "数值C"},
    {.table = "T_Cust", .column = "intD", .caption = "数值D"},
    {.table = "T_Cust", .column = "remind", .caption = "用户提醒"},
    {.table = "T_Cust", .column = "DateA", .caption = "时间项A"},
    {.table = "T_Cust", .column = "DateB", .caption = "时间项B"},
    {.table = "T_Cust", .column = "exeMen", .caption = "制单人"},
    {.table = "T_Cust", .column = "TypeCode", .caption = "类别编号"},
    {.table = "T_service", .column = "CustCode", .caption = "客户编号"},
    {.table = "T_service", .column = "CustName", .caption = "客户名称"},
    {.table = "T_service", .column = "serviceDate", .caption = "修复日期"},
    {.table = "T_service", .column = "rehabDate", .caption = "保修日期"},
    {.table = "T_service", .column = "Goodsunit", .caption = "型号"},
    {.table = "T_service", .column = "GoodsCode", .caption = "机身编码"},
    {.table = "T_service", .column = "hitchName", .caption = "故障原因"},
    {.table = "T_service", .column = "Numbe", .caption = "故障数量"},
    {.table = "T_service", .column = "Price", .caption = "单价"},
    {.table = "T_service", .column = "Money", .caption = "总金额"},
    {.table = "T_service", .column = "serviceMoney", .caption = "维修费用"},
    {.table = "T_service", .column = "servicedepartment", .caption = "维修部门"},
    {.table = "T_service", .column = "servicedeMen", .caption = "维修人员"},
    {.table = "T_service", .column = "Remark", .caption = "备注"},
    {.table = "T_service", .column = "servicedeCode", .caption = "维修单号"},
    {.table = "T_call", .column = "CustCode", .caption = "客户编号"},
    {.table = "T_call", .column = "CustName", .caption = "客户名称"},
    {.table = "T_call", .column = "callDate", .caption = "回访日期"},
    {.table = "T_call", .column = "callMen", .caption = "回访人员"},
    {.table = "T_call", .column = "callRemark", .caption = "回访内容"},
    {.table = "T_call", .column = "callRemarkhandle", .caption = "回访事项处理"},
    {.table = "T_complain", .column = "CustCode", .caption = "客户编号"},
    {.table = "T_complain", .column = "CustName", .caption = "客户姓名"},
    {.table = "T_complain", .column = "complainDate", .caption = "投诉日期"},
    {.table = "T_complain", .column = "complainTime", .caption = "投诉时间"},
    {.table = "T_complain", .column = "complainType", .caption = "投诉级别"},
    {.table = "T_complain", .column = "complainMen", .caption = "制单人"},
    {.table = "T_complain", .column = "complaincause", .caption = "投诉原因"},
    {.table = "T_complain", .column = "complainresult", .caption = "投诉处理结果"},
    {.table = "T_complain", .column = "complainRemark", .caption = "备注"},
    {.table = "T_type", .column = "caption", .caption = "选项内容"},
    {.table = "T_Dict_cate", .column = "name", .caption = "类别名称"},
    {.table = "T_Dict_cate", .column = "code", .caption = "类别编码"},
    {.table = "T_user", .column = "UserName", .caption = "用户名称"},
    {.table = "T_user", .column = "Password", .caption = "密码"},
    {.table = "T_user", .column = "qxGroup", .caption = "权限组"},
    {.table = "t_SoftInfo", .column = "CoName", .caption = "公司名称"},
    {.table = "t_SoftInfo", .column = "Contact", .caption = "联系人"},
    {.table = "t_SoftInfo", .column = "Address", .caption = "地址"},
    {.table = "t_SoftInfo", .column = "Phone", .caption = "电话"},
    {.table = "t_SoftInfo", .column = "Fax", .caption = "传真"},
    {.table = "t_SoftInfo", .column = "Email", .caption = "电子邮件"},
};

} // namespace

QString columnCaption(const QString& table, const QString& column)
{
    for (const ColumnCaption& c : kCaptions)
        if (table.compare(QLatin1String(c.table), Qt::CaseInsensitive) == 0 &&
            column.compare(QLatin1String(c.column), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(c.caption);
    return column;
}

} // namespace zu
