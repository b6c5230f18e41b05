-- Schema of the embedded database (SQLite). Names are matched without regard to letter case.
-- Dates are stored as text 'yyyy-MM-dd HH:mm:ss' (triggers made by the program keep them so); Booleans as 0/1.
-- The schema of release 1.0: later changes are the numbered upgrade steps (schemainstaller.cpp),
-- which a new database goes through as well.

create table T_Cust (
    CusttityID integer primary key autoincrement,
    CustName varchar(255),
    IDCode varchar(50),
    Address varchar(255),
    Phone varchar(255),
    Mobile varchar(255),
    classCode varchar(255),
    GoodsCode varchar(255),
    Goodsunit varchar(255),
    Number integer,
    Price real,
    Money real,
    GiftnameA varchar(255),
    GiftnameB varchar(255),
    GiftNumberA integer,
    GiftNumberB integer,
    gathering real,
    Emptionaddress varchar(255),
    EmptionDate datetime,
    Install varchar(50),
    OrderDate datetime,
    AgainDate datetime,
    Zipcode varchar(255),
    OrderCode varchar(255),
    Voucherid varchar(255),
    BusinessMen varchar(255),
    Remark text,
    CharA varchar(255),
    CharB varchar(255),
    CharC varchar(50),
    CharD varchar(255),
    intA integer,
    intB integer,
    intC integer,
    intD integer,
    remind datetime,
    DateA datetime,
    DateB datetime,
    exeMen varchar(255),
    TypeCode varchar(50)
);
create index ix_cust_typecode on T_Cust (TypeCode);
create index ix_cust_custname on T_Cust (CustName);
create index ix_cust_remind on T_Cust (remind);
create unique index ux_cust_idcode on T_Cust (IDCode) where IDCode is not null and IDCode <> '';

create table T_service (
    id integer primary key autoincrement,
    CustCode varchar(50),
    CustName varchar(255),
    serviceDate datetime,
    rehabDate datetime,
    Goodsunit varchar(255),
    GoodsCode varchar(255),
    hitchName varchar(255),
    Numbe integer,
    Price real,
    Money real,
    serviceMoney real,
    servicedepartment varchar(255),
    servicedeMen varchar(255),
    Remark text,
    servicedeCode varchar(255)
);
create index ix_service_custcode on T_service (CustCode);
create index ix_service_date on T_service (serviceDate);

create table T_call (
    id integer primary key autoincrement,
    CustCode varchar(50),
    CustName varchar(255),
    callDate datetime,
    callMen varchar(255),
    callRemark text,
    callRemarkhandle text
);
create index ix_call_custcode on T_call (CustCode);
create index ix_call_date on T_call (callDate);

create table T_complain (
    id integer primary key autoincrement,
    CustCode varchar(50),
    CustName varchar(255),
    complainDate datetime,
    complainTime varchar(50),
    complainType varchar(255),
    complainMen varchar(255),
    complaincause text,
    complainresult text,
    complainRemark text
);
create index ix_complain_custcode on T_complain (CustCode);
create index ix_complain_date on T_complain (complainDate);

create table T_type (
    id integer primary key autoincrement,
    caption varchar(255),
    [table] varchar(50)
);
create index ix_type_table on T_type ([table]);

create table T_Dict_cate (
    id integer primary key autoincrement,
    name varchar(255),
    code varchar(30),
    tableName varchar(50)
);
create index ix_dict_cate_code on T_Dict_cate (tableName, code);

create table T_FieldShow (
    ID integer,
    TableName varchar(50) collate nocase,
    Name varchar(50),
    Field varchar(50),
    Width integer,
    show boolean,
    ShowID integer,
    SumField integer,
    dotsize integer
);
create index ix_fieldshow_table on T_FieldShow (TableName collate nocase, ShowID);

create table T_remind (
    id integer primary key,
    Day integer,
    chetrues varchar(10)
);

create table T_user (
    id integer primary key autoincrement,
    UserName varchar(50),
    Password varchar(255),
    Remark text,
    ckList text,
    djList text,
    qxList text,
    qxGroup varchar(50),
    type varchar(20)
);

create table T_popedom (
    id integer primary key autoincrement,
    tablename varchar(50),
    code varchar(30),
    name varchar(100),
    qxName text
);
create index ix_popedom_code on T_popedom (tablename, code);

create table t_SoftInfo (
    id integer primary key autoincrement,
    Version varchar(50),
    CoName varchar(255),
    Contact varchar(255),
    Address varchar(255),
    Phone varchar(255),
    Fax varchar(255),
    Email varchar(255)
);

create table t_Import (
    ImportID integer primary key autoincrement,
    S_Field varchar(30),
    FieldName varchar(50),
    F_Field varchar(50),
    tablename varchar(50)
);

create table zu_schema (
    version integer not null
);
