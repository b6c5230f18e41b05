#include "benchdata.h"

#include "data/apphome.h"
#include "data/connection.h"
#include "data/datamodule.h"
#include "data/schemainstaller.h"

#include <cstdio>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace zu::bench {

namespace {

void fill(Connection& c, int customers, int servicesPerCustomer)
{
    TransactionGuard tx(c);
    QSqlQuery q(c.database());
    q.prepare(QStringLiteral("insert into T_Cust (CustName, IDCode, Address, Phone, Mobile, classCode, "
                             "GoodsCode, Goodsunit, Number, Price, "
                             "Money, gathering, Emptionaddress, EmptionDate, Install, BusinessMen, Remark, "
                             "CharA, intA, remind, exeMen, "
                             "TypeCode) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    auto* rng = QRandomGenerator::global();
    for (int i = 0; i < customers; ++i) {
        const QString n = QString::number(i);
        const QVariantList values{
            QStringLiteral("客户") + n,
            QStringLiteral("KH") + n,
            QStringLiteral("北京市朝阳区建国路 %1 号").arg(i),
            QStringLiteral("010-6%1").arg(i, 7, 10, QLatin1Char('0')),
            QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')),
            QStringLiteral("家用电器"),
            QStringLiteral("SN%1").arg(rng->bounded(1000000)),
            QStringLiteral("KFR-35GW"),
            1 + i % 3,
            2999.0,
            2999.0 * (1 + i % 3),
            2999.0,
            QStringLiteral("总店"),
            QStringLiteral("2024-%1-%2 00:00:00")
                .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                .arg(1 + i % 28, 2, 10, QLatin1Char('0')),
            QStringLiteral("安装一部"),
            QStringLiteral("业务员%1").arg(i % 20),
            QStringLiteral("备注 %1").arg(i),
            QStringLiteral("A"),
            i,
            QStringLiteral("2026-12-%1 00:00:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
            QStringLiteral("Admin"),
            QStringLiteral("01%1").arg(1 + i % 9, 2, 10, QLatin1Char('0'))};
        for (int v = 0; v < values.size(); ++v)
            q.bindValue(v, values[v]);
        if (!q.exec())
            qFatal("insert failed");
    }
    const QDate today = QDate::currentDate();
    for (const char* table : {"T_service", "T_call", "T_complain"}) {
        const bool service = qstrcmp(table, "T_service") == 0;
        const QString dateColumn = service ? QStringLiteral("serviceDate")
                                           : QString::fromLatin1(table).mid(2) + QStringLiteral("Date");
        QSqlQuery j(c.database());
        j.prepare(QStringLiteral("insert into %1 (CustCode, CustName, %2) values (?, ?, ?)")
                      .arg(QLatin1String(table), dateColumn));
        const int rows = customers * (service ? servicesPerCustomer : 1);
        for (int i = 0; i < rows; ++i) {
            const int owner = static_cast<int>(rng->bounded(customers));
            j.bindValue(0, QStringLiteral("KH%1").arg(owner));
            j.bindValue(1, QStringLiteral("客户%1").arg(owner));
            j.bindValue(2, today.addDays(-static_cast<int>(rng->bounded(3 * 365)))
                               .toString(QStringLiteral("yyyy-MM-dd 00:00:00")));
            if (!j.exec())
                qFatal("insert failed");
        }
    }
    tx.commit();
}

} // namespace

QString optionValue(const QStringList& arguments, const QString& name, const QString& fallback)
{
    const qsizetype at = arguments.indexOf(QStringLiteral("--") + name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
}

int optionValue(const QStringList& arguments, const QString& name, int fallback)
{
    bool ok = false;
    const int value = optionValue(arguments, name).toInt(&ok);
    return ok ? value : fallback;
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

BenchHome::BenchHome(const QString& keep, int customers, int servicesPerCustomer)
{
    if (keep.isEmpty()) {
        QTemporaryDir temp;
        temp.setAutoRemove(false);
        m_temporary = m_path = temp.path();
    } else {
        m_path = keep;
        QDir().mkpath(m_path);
    }
    const QString file = homeFile(m_path, QLatin1String(kEmbeddedDatabaseFile));
    if (QFileInfo::exists(file))
        return;
    QElapsedTimer t;
    t.start();
    createEmbeddedDatabase(file);
    ConnectionSettings s;
    s.filePath = file;
    Connection c(SqlDialect::sqlite(), s);
    if (!c.open())
        qFatal("cannot open %s", qPrintable(c.lastError()));
    fill(c, customers, servicesPerCustomer);
    std::printf("built %d customers, %d service records and %d other journal rows in %.1f s\n", customers,
                customers * servicesPerCustomer, 2 * customers, t.elapsed() / 1000.0);
}

BenchHome::~BenchHome()
{
    if (!m_temporary.isEmpty())
        QDir(m_temporary).removeRecursively();
}

ShotRegister::ShotRegister()
{
    createEmbeddedDatabase(homeFile(m_home.path(), QLatin1String(kEmbeddedDatabaseFile)));
    m_module = std::make_unique<TfrmData>(m_home.path());
    if (!m_module->ConnectOK())
        qFatal("cannot connect to the register in %s", qPrintable(m_home.path()));
}

ShotRegister::~ShotRegister() = default;

QString shotFolder(const QStringList& arguments)
{
    const QString out = arguments.value(1, QStringLiteral("."));
    QDir().mkpath(out);
    return out;
}

} // namespace zu::bench
