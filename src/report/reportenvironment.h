#pragma once

#include <QDateTime>
#include <QString>

namespace zu {

class Connection;

// The company information of t_SoftInfo, offered to templates as system values.
struct CompanyInfo
{
    QString coName;
    QString contact;
    QString address;
    QString phone;
    QString fax;
    QString email;
};

// Reads the first row of t_SoftInfo; an empty table gives empty values. Throws DbError.
CompanyInfo readCompanyInfo(Connection& connection);

// What a report knows besides its records.
struct ReportEnvironment
{
    CompanyInfo company;
    QDateTime now = QDateTime::currentDateTime();
};

} // namespace zu
