#pragma once

#include <QString>
#include <QVariant>

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

// Which row the details were read from (none when the table was empty) and its version then.
struct CompanyInfoRow
{
    QVariant key;
    QVariant version;
};

// The details of the first row (by id); all empty when the table holds none. `row` receives
// which row that was.
CompanyInfo readCompanyInfo(Query& query, CompanyInfoRow* row = nullptr);
// Writes the details into the first row (by id), or adds a row when there is none. Details read
// as `row` says are written only while that row is as it was read, and added only while the
// table is still empty: otherwise DbError (ChangedElsewhere, DeletedElsewhere), nothing written.
void storeCompanyInfo(Query& query, const CompanyInfo& info, const CompanyInfoRow* row = nullptr);

} // namespace zu
