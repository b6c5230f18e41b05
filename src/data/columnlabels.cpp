#include "columnlabels.h"

#include <initializer_list>

namespace zu {

namespace {

struct Label
{
    const char* column;
    const char* label;
};

struct TableLabels
{
    const char* table;
    std::initializer_list<Label> labels;
};

const TableLabels kTables[] = {
    {.table = "T_Cust",
     .labels = {{"CustName", "用户名称"},     {"IDCode", "客户编号"},     {"Address", "地址"},
                {"Phone", "固定电话"},        {"Mobile", "手机"},         {"classCode", "类别"},
                {"TypeCode", "类别编号"},     {"GoodsCode", "机身编码"},  {"Goodsunit", "型号"},
                {"Number", "台数"},           {"Price", "零售价"},        {"Money", "总金额"},
                {"GiftnameA", "赠品名称A"},   {"GiftnameB", "赠品名称B"}, {"GiftNumberA", "赠品数量A"},
                {"GiftNumberB", "赠品数量B"}, {"gathering", "收款"},      {"Emptionaddress", "购买地点"},
                {"EmptionDate", "购买日期"},  {"Install", "安装部"},      {"OrderDate", "预约安装"},
                {"AgainDate", "重约安装"},    {"Zipcode", "邮编"},        {"OrderCode", "开单批号"},
                {"Voucherid", "票据号"},      {"BusinessMen", "业务员"},  {"Remark", "备注信息"},
                {"CharA", "字符串项1"},       {"CharB", "字符串项2"},     {"CharC", "字符串项3"},
                {"CharD", "字符串项4"},       {"intD", "数值项1"},        {"intA", "数值项2"},
                {"intC", "数值项3"},          {"intB", "数值项4"},        {"remind", "用户提醒"},
                {"DateA", "时间项1"},         {"DateB", "时间项2"},       {"exeMen", "制单人"}}},
    {.table = "T_service",
     .labels = {{"CustCode", "客户编号"},
                {"CustName", "客户名称"},
                {"serviceDate", "修复日期"},
                {"rehabDate", "保修日期"},
                {"Goodsunit", "型号"},
                {"GoodsCode", "机身编码"},
                {"hitchName", "故障原因"},
                {"Numbe", "故障数量"},
                {"Price", "单价"},
                {"Money", "总金额"},
                {"serviceMoney", "维修费用"},
                {"servicedepartment", "维修部门"},
                {"servicedeMen", "维修人员"},
                {"Remark", "备注"},
                {"servicedeCode", "维修单号"}}},
    {.table = "T_call",
     .labels = {{"CustCode", "客户编号"},
                {"CustName", "客户名称"},
                {"callDate", "回访日期"},
                {"callMen", "回访人员"},
                {"callRemark", "回访类容"},
                {"callRemarkhandle", "回访事项处理"}}},
    {.table = "T_complain",
     .labels = {{"CustCode", "客户编号"},
                {"CustName", "客户姓名"},
                {"complainDate", "投诉日期"},
                {"complainTime", "投诉时间"},
                {"complainType", "投诉级别"},
                {"complainMen", "制单人"},
                {"complaincause", "投诉原因"},
                {"complainresult", "投诉处理结果"},
                {"complainRemark", "备注"}}},
    {.table = "T_type", .labels = {{"caption", "下拉框内容"}, {"table", "下拉框名称"}}},
    {.table = "T_Dict_cate", .labels = {{"name", "类别名称"}, {"code", "类别编码"}}},
    {.table = "T_user",
     .labels = {{"UserName", "用户名称"}, {"Password", "密码"}, {"Remark", "备注"}, {"qxGroup", "权限组"}}},
    {.table = "t_SoftInfo",
     .labels = {{"CoName", "公司名称"},
                {"Contact", "联系人"},
                {"Address", "地址"},
                {"Phone", "电话"},
                {"Fax", "传真"},
                {"Email", "电子邮件"}}},
};

} // namespace

QString columnLabel(const QString& table, const QString& column)
{
    for (const TableLabels& t : kTables) {
        if (table.compare(QLatin1String(t.table), Qt::CaseInsensitive) != 0)
            continue;
        for (const Label& l : t.labels)
            if (column.compare(QLatin1String(l.column), Qt::CaseInsensitive) == 0)
                return QString::fromUtf8(l.label);
    }
    return column;
}

} // namespace zu
