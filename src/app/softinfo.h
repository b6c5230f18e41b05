#pragma once

#include <QString>

namespace zu {

class Query;

// The program's row of t_SoftInfo: the version number of the database and the company's
// details.

// The version of the first row; empty when the table holds none.
QString readVersion(Query& query);

struct CompanyInfo
{
    QString coName;
    QString contact;
    QString address;
    QString phone;
    QString fax;
    QString email;
};

// The details of the first row (by id); all empty when the table holds none.
CompanyInfo readCompanyInfo(Query& query);
// Writes the details into the first row (by id), or adds a row when there is none.
void storeCompanyInfo(Query& query, const CompanyInfo& info);

} // namespace zu
