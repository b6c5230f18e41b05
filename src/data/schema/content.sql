-- Delivered content of a newly created database: the initial user, the
-- permission and data-initialization catalogues, the reminder settings, the
-- software information row, the column layouts of every list and the field
-- mapping of the customer import.
-- Runs unchanged on SQLite and PostgreSQL after the table script. Key columns
-- are left to the database, except T_remind.id, which is a plain integer.

-- Users. Admin logs in with an empty password and holds every permission of
-- the catalogue below (every entry except the top node 全部权限, which the
-- user window never stores). The group row carries the same rights.
insert into T_user (UserName, Password, Remark, ckList, djList, qxList, qxGroup, type) values ('Admin', '', '', '', '', '''系统设置'',''修改密码'',''管理员及权限管理'',''导入客户信息'',''数据备份及还原'',''基础信息'',''客户管理'',''回访管理'',''投诉记录'',''维修记录'',''用户提醒'',''类别管理'',''下拉框设置'',''报表中心'',''导出Excel'',''当前客户详细报表'',''当前用户统计列表'',''当前用户信封打印'',''当前用户标签打印'',', '', '用户');
insert into T_user (UserName, Password, Remark, ckList, djList, qxList, qxGroup, type) values ('系统管理员组', '', '', '', '', '''系统设置'',''修改密码'',''管理员及权限管理'',''导入客户信息'',''数据备份及还原'',''基础信息'',''客户管理'',''回访管理'',''投诉记录'',''维修记录'',''用户提醒'',''类别管理'',''下拉框设置'',''报表中心'',''导出Excel'',''当前客户详细报表'',''当前用户统计列表'',''当前用户信封打印'',''当前用户标签打印'',', '', '权限组');

-- Permission catalogue: one group per main menu under the single top entry,
-- one leaf per action. qxName is the component name of the action.
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '01', '全部权限', '');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '0101', '系统设置', '');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010101', '修改密码', 'actpassword');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010102', '管理员及权限管理', 'actpopedom');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010103', '导入客户信息', 'actLead');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010104', '数据备份及还原', 'actdatabase');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '0102', '基础信息', '');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010201', '客户管理', 'actCustM');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010202', '回访管理', 'actCall');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010203', '投诉记录', 'actcomplain');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010204', '维修记录', 'actService');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010205', '用户提醒', 'actremind');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010206', '类别管理', 'actType');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010207', '下拉框设置', 'actche');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '0103', '报表中心', '');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010301', '导出Excel', 'actexport');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010302', '当前客户详细报表', 'actCustsheet');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010303', '当前用户统计列表', 'actcensus');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010304', '当前用户信封打印', 'actEnvelope');
insert into T_popedom (tablename, code, name, qxName) values ('用户权限', '010305', '当前用户标签打印', 'actlabel');

-- Data initialization catalogue: qxName holds the clearing statements, each
-- ended by a semicolon. Customers and each journal are cleared separately.
insert into T_popedom (tablename, code, name, qxName) values ('数据初始化', '01', '全部数据', '');
insert into T_popedom (tablename, code, name, qxName) values ('数据初始化', '0101', '客户资料', 'delete from T_Cust;');
insert into T_popedom (tablename, code, name, qxName) values ('数据初始化', '0102', '维修记录', 'delete from T_service;');
insert into T_popedom (tablename, code, name, qxName) values ('数据初始化', '0103', '回访记录', 'delete from T_call;');
insert into T_popedom (tablename, code, name, qxName) values ('数据初始化', '0104', '投诉记录', 'delete from T_complain;');
insert into T_popedom (tablename, code, name, qxName) values ('数据初始化', '0105', '下拉框数据', 'delete from T_type;');
insert into T_popedom (tablename, code, name, qxName) values ('数据初始化', '0106', '客户类别', 'delete from T_Dict_cate where tableName=''用户类别'';');

-- Reminder settings: a seven-day horizon, pop-up at start-up on.
insert into T_remind (id, Day, chetrues) values (1, 7, '1');

-- Software and company information. The company fields are filled in by the dealer.
insert into t_SoftInfo (Version, CoName, Contact, Address, Phone, Fax, Email) values ('1.0', '', '', '', '', '', '');

-- Column layouts. Rows of a layout follow the column order of its table, ID
-- runs over the whole table. Shown columns take ShowID 0, 1, 2 and so on, hidden ones
-- are numbered after them. SumField 2 puts the count footer under the first
-- shown column of grids that have a footer row. dotsize 1 right-aligns numbers.
-- A title always stands for the same field in every layout (the searches
-- turn a title into a field across all layouts).

-- T_Cust_show: Customer list and customer picker: the everyday columns shown.
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (1, 'T_Cust_show', '客户ID', 'CusttityID', 60, '0', 15, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (2, 'T_Cust_show', '客户名称', 'CustName', 120, '1', 0, 2, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (3, 'T_Cust_show', '客户编码', 'IDCode', 100, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (4, 'T_Cust_show', '客户地址', 'Address', 180, '1', 5, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (5, 'T_Cust_show', '客户电话', 'Phone', 100, '1', 3, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (6, 'T_Cust_show', '客户手机', 'Mobile', 100, '1', 4, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (7, 'T_Cust_show', '客户类别', 'classCode', 90, '1', 2, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (8, 'T_Cust_show', '机身编码', 'GoodsCode', 120, '1', 7, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (9, 'T_Cust_show', '型号', 'Goodsunit', 100, '1', 6, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (10, 'T_Cust_show', '数量', 'Number', 60, '1', 8, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (11, 'T_Cust_show', '单价', 'Price', 80, '1', 9, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (12, 'T_Cust_show', '总金额', 'Money', 80, '1', 10, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (13, 'T_Cust_show', '赠品名称A', 'GiftnameA', 100, '0', 16, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (14, 'T_Cust_show', '赠品名称B', 'GiftnameB', 100, '0', 17, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (15, 'T_Cust_show', '赠品数量A', 'GiftNumberA', 80, '0', 18, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (16, 'T_Cust_show', '赠品数量B', 'GiftNumberB', 80, '0', 19, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (17, 'T_Cust_show', '实际收款', 'gathering', 80, '1', 11, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (18, 'T_Cust_show', '购买地点', 'Emptionaddress', 100, '0', 20, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (19, 'T_Cust_show', '购买日期', 'EmptionDate', 90, '1', 12, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (20, 'T_Cust_show', '安装部', 'Install', 90, '0', 21, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (21, 'T_Cust_show', '预约安装时间', 'OrderDate', 100, '0', 22, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (22, 'T_Cust_show', '从约安装时间', 'AgainDate', 100, '0', 23, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (23, 'T_Cust_show', '邮政编码', 'Zipcode', 80, '0', 24, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (24, 'T_Cust_show', '开单批号', 'OrderCode', 90, '0', 25, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (25, 'T_Cust_show', '票据号', 'Voucherid', 90, '0', 26, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (26, 'T_Cust_show', '业务员', 'BusinessMen', 80, '1', 13, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (27, 'T_Cust_show', '备注', 'Remark', 180, '0', 27, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (28, 'T_Cust_show', '字符串A', 'CharA', 100, '0', 28, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (29, 'T_Cust_show', '字符串B', 'CharB', 100, '0', 29, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (30, 'T_Cust_show', '字符串C', 'CharC', 100, '0', 30, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (31, 'T_Cust_show', '字符串D', 'CharD', 100, '0', 31, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (32, 'T_Cust_show', '数值A', 'intA', 70, '0', 32, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (33, 'T_Cust_show', '数值B', 'intB', 70, '0', 33, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (34, 'T_Cust_show', '数值C', 'intC', 70, '0', 34, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (35, 'T_Cust_show', '数值D', 'intD', 70, '0', 35, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (36, 'T_Cust_show', '用户提醒', 'remind', 90, '1', 14, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (37, 'T_Cust_show', '时间项A', 'DateA', 90, '0', 36, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (38, 'T_Cust_show', '时间项B', 'DateB', 90, '0', 37, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (39, 'T_Cust_show', '制单人', 'exeMen', 80, '0', 38, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (40, 'T_Cust_show', '类别编号', 'TypeCode', 80, '0', 39, 0, 0);

-- T_Serviceshowcust: Service tab of the customer window (the customer code is that of the current customer).
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (41, 'T_Serviceshowcust', '记录ID', 'id', 60, '0', 14, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (42, 'T_Serviceshowcust', '客户编号', 'CustCode', 100, '0', 15, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (43, 'T_Serviceshowcust', '客户名称', 'CustName', 120, '1', 0, 2, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (44, 'T_Serviceshowcust', '维修日期', 'serviceDate', 90, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (45, 'T_Serviceshowcust', '保修日期', 'rehabDate', 90, '1', 2, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (46, 'T_Serviceshowcust', '型号', 'Goodsunit', 100, '1', 3, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (47, 'T_Serviceshowcust', '机身编码', 'GoodsCode', 120, '1', 4, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (48, 'T_Serviceshowcust', '故障原因', 'hitchName', 120, '1', 5, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (49, 'T_Serviceshowcust', '故障数量', 'Numbe', 70, '1', 6, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (50, 'T_Serviceshowcust', '单价', 'Price', 80, '1', 7, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (51, 'T_Serviceshowcust', '总金额', 'Money', 80, '1', 8, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (52, 'T_Serviceshowcust', '维修费用', 'serviceMoney', 80, '1', 9, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (53, 'T_Serviceshowcust', '维修部门', 'servicedepartment', 100, '1', 10, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (54, 'T_Serviceshowcust', '维修人员', 'servicedeMen', 80, '1', 11, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (55, 'T_Serviceshowcust', '备注', 'Remark', 180, '1', 13, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (56, 'T_Serviceshowcust', '维修单号', 'servicedeCode', 100, '1', 12, 0, 0);

-- T_callshowCust: Return-visit tab of the customer window.
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (57, 'T_callshowCust', '记录ID', 'id', 60, '0', 5, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (58, 'T_callshowCust', '客户编号', 'CustCode', 100, '0', 6, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (59, 'T_callshowCust', '客户名称', 'CustName', 120, '1', 0, 2, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (60, 'T_callshowCust', '回访日期', 'callDate', 90, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (61, 'T_callshowCust', '回访人员', 'callMen', 80, '1', 2, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (62, 'T_callshowCust', '回访内容', 'callRemark', 200, '1', 3, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (63, 'T_callshowCust', '回访事项处理', 'callRemarkhandle', 200, '1', 4, 0, 0);

-- T_complainCust: Complaint tab of the customer window.
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (64, 'T_complainCust', '记录ID', 'id', 60, '0', 8, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (65, 'T_complainCust', '客户编号', 'CustCode', 100, '0', 9, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (66, 'T_complainCust', '客户名称', 'CustName', 120, '1', 0, 2, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (67, 'T_complainCust', '投诉日期', 'complainDate', 90, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (68, 'T_complainCust', '投诉时间', 'complainTime', 80, '1', 2, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (69, 'T_complainCust', '投诉级别', 'complainType', 80, '1', 3, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (70, 'T_complainCust', '投诉登记人', 'complainMen', 80, '1', 6, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (71, 'T_complainCust', '投诉原因', 'complaincause', 180, '1', 4, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (72, 'T_complainCust', '投诉处理结果', 'complainresult', 180, '1', 5, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (73, 'T_complainCust', '投诉备注', 'complainRemark', 150, '1', 7, 0, 0);

-- T_serviceshow: Service record list window.
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (74, 'T_serviceshow', '记录ID', 'id', 60, '0', 15, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (75, 'T_serviceshow', '客户编号', 'CustCode', 100, '1', 2, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (76, 'T_serviceshow', '客户名称', 'CustName', 120, '1', 0, 2, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (77, 'T_serviceshow', '维修日期', 'serviceDate', 90, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (78, 'T_serviceshow', '保修日期', 'rehabDate', 90, '1', 3, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (79, 'T_serviceshow', '型号', 'Goodsunit', 100, '1', 4, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (80, 'T_serviceshow', '机身编码', 'GoodsCode', 120, '1', 5, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (81, 'T_serviceshow', '故障原因', 'hitchName', 120, '1', 6, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (82, 'T_serviceshow', '故障数量', 'Numbe', 70, '1', 7, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (83, 'T_serviceshow', '单价', 'Price', 80, '1', 8, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (84, 'T_serviceshow', '总金额', 'Money', 80, '1', 9, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (85, 'T_serviceshow', '维修费用', 'serviceMoney', 80, '1', 10, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (86, 'T_serviceshow', '维修部门', 'servicedepartment', 100, '1', 11, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (87, 'T_serviceshow', '维修人员', 'servicedeMen', 80, '1', 12, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (88, 'T_serviceshow', '备注', 'Remark', 180, '1', 14, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (89, 'T_serviceshow', '维修单号', 'servicedeCode', 100, '1', 13, 0, 0);

-- T_callshow: Return-visit list window.
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (90, 'T_callshow', '记录ID', 'id', 60, '0', 6, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (91, 'T_callshow', '客户编号', 'CustCode', 100, '1', 2, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (92, 'T_callshow', '客户名称', 'CustName', 120, '1', 0, 2, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (93, 'T_callshow', '回访日期', 'callDate', 90, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (94, 'T_callshow', '回访人员', 'callMen', 80, '1', 3, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (95, 'T_callshow', '回访内容', 'callRemark', 200, '1', 4, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (96, 'T_callshow', '回访事项处理', 'callRemarkhandle', 200, '1', 5, 0, 0);

-- T_complainshow: Complaint list window.
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (97, 'T_complainshow', '记录ID', 'id', 60, '0', 9, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (98, 'T_complainshow', '客户编号', 'CustCode', 100, '1', 2, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (99, 'T_complainshow', '客户名称', 'CustName', 120, '1', 0, 2, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (100, 'T_complainshow', '投诉日期', 'complainDate', 90, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (101, 'T_complainshow', '投诉时间', 'complainTime', 80, '1', 3, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (102, 'T_complainshow', '投诉级别', 'complainType', 80, '1', 4, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (103, 'T_complainshow', '投诉登记人', 'complainMen', 80, '1', 7, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (104, 'T_complainshow', '投诉原因', 'complaincause', 180, '1', 5, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (105, 'T_complainshow', '投诉处理结果', 'complainresult', 180, '1', 6, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (106, 'T_complainshow', '投诉备注', 'complainRemark', 150, '1', 8, 0, 0);

-- remind_show: Reminder window: who is due, when, and how to reach them.
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (107, 'remind_show', '客户ID', 'CusttityID', 60, '0', 11, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (108, 'remind_show', '客户名称', 'CustName', 120, '1', 0, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (109, 'remind_show', '客户编码', 'IDCode', 100, '1', 2, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (110, 'remind_show', '客户地址', 'Address', 180, '1', 5, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (111, 'remind_show', '客户电话', 'Phone', 100, '1', 3, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (112, 'remind_show', '客户手机', 'Mobile', 100, '1', 4, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (113, 'remind_show', '客户类别', 'classCode', 90, '1', 6, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (114, 'remind_show', '机身编码', 'GoodsCode', 120, '0', 12, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (115, 'remind_show', '型号', 'Goodsunit', 100, '1', 7, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (116, 'remind_show', '数量', 'Number', 60, '0', 13, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (117, 'remind_show', '单价', 'Price', 80, '0', 14, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (118, 'remind_show', '总金额', 'Money', 80, '0', 15, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (119, 'remind_show', '赠品名称A', 'GiftnameA', 100, '0', 16, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (120, 'remind_show', '赠品名称B', 'GiftnameB', 100, '0', 17, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (121, 'remind_show', '赠品数量A', 'GiftNumberA', 80, '0', 18, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (122, 'remind_show', '赠品数量B', 'GiftNumberB', 80, '0', 19, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (123, 'remind_show', '实际收款', 'gathering', 80, '0', 20, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (124, 'remind_show', '购买地点', 'Emptionaddress', 100, '0', 21, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (125, 'remind_show', '购买日期', 'EmptionDate', 90, '1', 8, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (126, 'remind_show', '安装部', 'Install', 90, '0', 22, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (127, 'remind_show', '预约安装时间', 'OrderDate', 100, '0', 23, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (128, 'remind_show', '从约安装时间', 'AgainDate', 100, '0', 24, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (129, 'remind_show', '邮政编码', 'Zipcode', 80, '0', 25, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (130, 'remind_show', '开单批号', 'OrderCode', 90, '0', 26, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (131, 'remind_show', '票据号', 'Voucherid', 90, '0', 27, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (132, 'remind_show', '业务员', 'BusinessMen', 80, '1', 9, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (133, 'remind_show', '备注', 'Remark', 180, '1', 10, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (134, 'remind_show', '字符串A', 'CharA', 100, '0', 28, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (135, 'remind_show', '字符串B', 'CharB', 100, '0', 29, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (136, 'remind_show', '字符串C', 'CharC', 100, '0', 30, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (137, 'remind_show', '字符串D', 'CharD', 100, '0', 31, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (138, 'remind_show', '数值A', 'intA', 70, '0', 32, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (139, 'remind_show', '数值B', 'intB', 70, '0', 33, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (140, 'remind_show', '数值C', 'intC', 70, '0', 34, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (141, 'remind_show', '数值D', 'intD', 70, '0', 35, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (142, 'remind_show', '用户提醒', 'remind', 90, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (143, 'remind_show', '时间项A', 'DateA', 90, '0', 36, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (144, 'remind_show', '时间项B', 'DateB', 90, '0', 37, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (145, 'remind_show', '制单人', 'exeMen', 80, '0', 38, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (146, 'remind_show', '类别编号', 'TypeCode', 80, '0', 39, 0, 0);

-- tImport_Show: Import mapping grid: the first column (caption) is read-only, the second
-- gets the pick list of worksheet titles, so exactly these two are shown.
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (147, 'tImport_Show', '映射ID', 'ImportID', 60, '0', 2, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (148, 'tImport_Show', '目标列名', 'S_Field', 100, '0', 3, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (149, 'tImport_Show', '源字段名称', 'FieldName', 150, '1', 0, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (150, 'tImport_Show', 'Excel字段名称', 'F_Field', 150, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (151, 'tImport_Show', '目标表名', 'tablename', 80, '0', 4, 0, 0);

-- tUser_Show: Users of the user window. The password is deliberately not part of the layout.
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (152, 'tUser_Show', '用户ID', 'id', 60, '0', 3, 0, 1);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (153, 'tUser_Show', '用户名', 'UserName', 120, '1', 0, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (154, 'tUser_Show', '备注', 'Remark', 200, '1', 2, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (155, 'tUser_Show', '仓库权限列表', 'ckList', 100, '0', 4, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (156, 'tUser_Show', '单据权限列表', 'djList', 100, '0', 5, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (157, 'tUser_Show', '权限列表', 'qxList', 200, '0', 6, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (158, 'tUser_Show', '权限组', 'qxGroup', 100, '1', 1, 0, 0);
insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) values (159, 'tUser_Show', '用户类型', 'type', 60, '0', 7, 0, 0);

-- Import mapping of the customer table: every column but the row key, in
-- table order, captioned with the customer report labels. TypeCode and exeMen
-- are kept importable on purpose: a worksheet may carry the category code, and
-- a legacy register may carry who entered the row.
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('CustName', '客户名称', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('IDCode', '客户编码', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Address', '客户地址', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Phone', '客户电话', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Mobile', '客户手机', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('classCode', '客户类别', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('GoodsCode', '机身编码', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Goodsunit', '型号', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Number', '数量', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Price', '单价', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Money', '总金额', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('GiftnameA', '赠品名称A', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('GiftnameB', '赠品名称B', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('GiftNumberA', '赠品数量A', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('GiftNumberB', '赠品数量B', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('gathering', '实际收款', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Emptionaddress', '购买地点', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('EmptionDate', '购买日期', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Install', '安装部', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('OrderDate', '预约安装时间', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('AgainDate', '从约安装时间', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Zipcode', '邮政编码', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('OrderCode', '开单批号', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Voucherid', '票据号', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('BusinessMen', '业务员', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('Remark', '备注', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('CharA', '字符串A', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('CharB', '字符串B', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('CharC', '字符串C', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('CharD', '字符串D', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('intA', '数值A', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('intB', '数值B', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('intC', '数值C', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('intD', '数值D', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('remind', '用户提醒', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('DateA', '时间项A', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('DateB', '时间项B', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('exeMen', '制单人', '', 'T_Cust');
insert into t_Import (S_Field, FieldName, F_Field, tablename) values ('TypeCode', '类别编号', '', 'T_Cust');
