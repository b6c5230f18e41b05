#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace zu {
class TfrmData;
}

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

// A program folder of its own holding an empty embedded register, with the data module connected
// to it: what the screenshot programs fill and draw.
class ShotRegister final
{
public:
    ShotRegister();
    ~ShotRegister();
    TfrmData& module() { return *m_module; }

private:
    QTemporaryDir m_home;
    std::unique_ptr<TfrmData> m_module;
};

// The folder named first on the command line (the current one when none), created if missing.
QString shotFolder(const QStringList& arguments);

} // namespace zu::bench
