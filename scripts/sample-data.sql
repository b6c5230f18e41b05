-- A few categories, customers and records for looking at the program.
insert into T_Dict_cate (name, code, tableName) values ('家用空调', '01', '用户类别');
insert into T_Dict_cate (name, code, tableName) values ('壁挂式', '0101', '用户类别');
insert into T_Dict_cate (name, code, tableName) values ('柜式', '0102', '用户类别');
insert into T_Dict_cate (name, code, tableName) values ('冰箱', '02', '用户类别');
insert into T_Dict_cate (name, code, tableName) values ('洗衣机', '03', '用户类别');
insert into T_type (caption, [table]) values ('KFR-35GW', '型号');
insert into T_type (caption, [table]) values ('KFR-72LW', '型号');
insert into T_type (caption, [table]) values ('安装一部', '安装部');
insert into T_type (caption, [table]) values ('王师傅', '工程师');
insert into T_type (caption, [table]) values ('张明', '业务员');
insert into T_warranty (Goodsunit, Months) values ('KFR-72LW', 36);
insert into T_Cust (CustName, IDCode, Address, Phone, Mobile, classCode, TypeCode, GoodsCode, Goodsunit, Number, Price, Money, gathering, EmptionDate, BusinessMen, remind, exeMen)
  values ('李建国', 'KH0001', '北京市朝阳区建国路88号', '010-65001234', '13901234567', '壁挂式', '0101', 'SN20240301', 'KFR-35GW', 1, 2999, 2999, 2999, date('now','-30 days') || ' 00:00:00', '张明', date('now','+3 days') || ' 00:00:00', 'Admin');
insert into T_Cust (CustName, IDCode, Address, Phone, Mobile, classCode, TypeCode, GoodsCode, Goodsunit, Number, Price, Money, gathering, EmptionDate, BusinessMen, exeMen)
  values ('王芳', 'KH0002', '北京市海淀区中关村大街1号', '010-62005678', '13801112222', '柜式', '0102', 'SN20240415', 'KFR-72LW', 2, 5699, 11398, 11000, date('now','-12 days') || ' 00:00:00', '张明', 'Admin');
insert into T_Cust (CustName, IDCode, Address, Mobile, classCode, TypeCode, Goodsunit, Number, Price, Money, gathering, EmptionDate, exeMen)
  values ('赵小龙', 'KH0003', '天津市和平区南京路20号', '13698765432', '冰箱', '02', 'BCD-218', 1, 1899.5, 1899.5, 1899.5, date('now','-3 days') || ' 00:00:00', 'Admin');
insert into T_service (CustCode, CustName, serviceDate, Goodsunit, hitchName, Numbe, serviceMoney, servicedepartment, servicedeMen, Remark)
  values ('KH0001', '李建国', date('now','-5 days') || ' 00:00:00', 'KFR-35GW', '不制冷', 1, 80, '安装一部', '王师傅', '加氟后正常');
insert into T_service (CustCode, CustName, serviceDate, Goodsunit, hitchName, Numbe, serviceMoney, servicedepartment, servicedeMen, Remark)
  values ('KH0001', '李建国', date('now','-1 days') || ' 00:00:00', 'KFR-35GW', '噪音大', 1, 0, '安装一部', '王师傅', '紧固外机');
insert into T_call (CustCode, CustName, callDate, callMen, callRemark) values ('KH0001', '李建国', date('now','-2 days') || ' 00:00:00', '张明', '对维修满意');
