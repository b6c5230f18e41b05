#pragma once

#include <QString>
#include <QStringList>

namespace zu::bench {

// The value after `--name` on the command line, or `fallback`.
QString optionValue(const QStringList& arguments, const QString& name, const QString& fallback = {});
int optionValue(const QStringList& arguments, const QString& name, int fallback);

// Resident memory of this process in KiB (VmRSS), -1 when unknown.
long residentKiB();

// A program folder with an embedded database of `customers` customers, `servicesPerCustomer`
// service records per customer (spread over the last years), and one return visit and one
// complaint per customer. `keep` names a folder to build (or reuse) instead of a temporary one.
class BenchHome final
{
public:
    BenchHome(const QString& keep, int customers, int servicesPerCustomer = 1);
    ~BenchHome();
    QString path() const { return m_path; }

private:
    QString m_path;
    QString m_temporary;
};

} // namespace zu::bench
