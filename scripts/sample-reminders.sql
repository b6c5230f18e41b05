-- Reminders of every kind and state for looking at the reminder centre (after sample-data.sql):
-- every kind told from a month ago, customers due today, overdue, next week, one done, one put off.
update T_remind set RemindSince = date('now', '-30 days') || ' 00:00:00', PlanSince = date('now', '-30 days') || ' 00:00:00',
  CallSince = date('now', '-30 days') || ' 00:00:00', WarrantySince = date('now', '-30 days') || ' 00:00:00';
insert into T_Cust (CustName, IDCode, Phone, Mobile, Goodsunit, EmptionDate, remind, exeMen)
  values ('陈静', 'KH0004', '022-23456789', '13512345678', 'KFR-35GW', date('now', '-400 days') || ' 00:00:00', date('now') || ' 00:00:00', 'Admin');
insert into T_Cust (CustName, IDCode, Phone, Mobile, Goodsunit, EmptionDate, remind, exeMen)
  values ('刘洋', 'KH0005', '010-87654321', '13698761234', 'KFR-72LW', date('now', '-200 days') || ' 00:00:00', date('now', '-4 days') || ' 00:00:00', 'Admin');
insert into T_Cust (CustName, IDCode, Phone, Mobile, Goodsunit, EmptionDate, remind, exeMen)
  values ('孙丽', 'KH0006', '010-66668888', '13711112222', 'KFR-35GW', date('now', '-358 days') || ' 00:00:00', date('now', '-2 days') || ' 00:00:00', 'Admin');
insert into T_Cust (CustName, IDCode, Phone, Mobile, Goodsunit, EmptionDate, remind, exeMen)
  values ('周强', 'KH0007', '010-61234567', '13822223333', 'KFR-72LW', date('now', '-6 months') || ' 00:00:00', date('now', '+1 days') || ' 00:00:00', 'Admin');
insert into T_plan (Goodsunit, hitchName, Months) values ('KFR-72LW', '清洗', 6);
-- 刘洋's reminder date was marked done, 孙丽's put off to the day after tomorrow.
insert into T_remindstate (Kind, SourceId, PlanId, DueDate, State, SnoozeUntil, ByUser, AtTime)
  select 'remind', CusttityID, 0, date('now', '-4 days') || ' 00:00:00', 'done', null, 'Admin', datetime('now', 'localtime')
  from T_Cust where IDCode = 'KH0005';
insert into T_remindstate (Kind, SourceId, PlanId, DueDate, State, SnoozeUntil, ByUser, AtTime)
  select 'remind', CusttityID, 0, date('now', '-2 days') || ' 00:00:00', 'snoozed', date('now', '+2 days') || ' 00:00:00', 'Admin', datetime('now', 'localtime')
  from T_Cust where IDCode = 'KH0006';
