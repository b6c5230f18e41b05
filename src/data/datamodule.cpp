#include "datamodule.h"

#include "apphome.h"
#include "errors.h"
#include "errortext.h"
#include "schemainstaller.h"

#include <QDir>
#include <QFileInfo>

namespace zu {

namespace {

TfrmData* g_dataModule = nullptr;

} // namespace

TfrmData& data()
{
    Q_ASSERT_X(g_dataModule, "zu::data", "no data module");
    return *g_dataModule;
}

bool hasDataModule()
{
    return g_dataModule != nullptr;
}

ConnectionSettings serverSettingsFromIni(const IniFile& ini)
{
    ConnectionSettings s;
    ConnectionSettings::splitServer(ini.readString(QStringLiteral("DBConn"), QStringLiteral("Server")),
                                    &s.host, &s.port);
    s.database = ini.readString(QStringLiteral("DBConn"), QStringLiteral("Database"));
    s.user = ini.readString(QStringLiteral("DBConn"), QStringLiteral("User"));
    s.password = ini.readString(QStringLiteral("DBConn"), QStringLiteral("Password"));
    return s;
}

TfrmData::TfrmData(const QString& homeDir, Opener opener, StatusSink status)
    : m_home(homeDir), m_opener(std::move(opener)), m_status(std::move(status)),
      m_configIni(homePath(QLatin1String(kConfigFile)))
{
    setObjectName(QStringLiteral("frmData"));
    Q_ASSERT_X(!g_dataModule, "TfrmData", "a data module exists already");
    g_dataModule = this;
    if (!m_opener)
        m_opener = [](Connection& c) { return c.open(); };

    if (QFileInfo::exists(homePath(QLatin1String(kServerMarkerFile))))
        connectServer();
    else
        connectEmbedded();
    createDataSets();
    connect(&m_conn->events(), &ConnectionEvents::tableChanged, this, &TfrmData::listsChanged);
    connect(&m_conn->events(), &ConnectionEvents::serverReachableChanged, this,
            &TfrmData::serverReachableChanged);
}

bool TfrmData::serverReachable() const
{
    return m_conn->serverReachable();
}

TfrmData::~TfrmData()
{
    for (auto* p :
         {&m_qryCustom, &m_qryServiceCust, &m_qryCallCust, &m_qryComplainCust, &m_qryservice, &m_qryCall,
          &m_qryComplain, &m_qryRemind, &m_qryCombo, &m_qryUser, &m_qryUserZ, &m_qryselect})
        p->reset();
    m_qryTemp.reset();
    m_F.reset();
    m_T.reset();
    m_qryBackup.reset();
    m_conn.reset();
    g_dataModule = nullptr;
}

QString TfrmData::homePath(const QString& relative) const
{
    return homeFile(m_home, relative);
}

bool TfrmData::attempt()
{
    m_conn->close();
    return m_opener(*m_conn);
}

void TfrmData::connectServer()
{
    const QString server = m_configIni.readString(QStringLiteral("DBConn"), QStringLiteral("Server"));
    m_isInternet = m_configIni.readInteger(QStringLiteral("config"), QStringLiteral("IsInternet"), -1);
    m_conn = std::make_unique<Connection>(SqlDialect::postgres(), serverSettingsFromIni(m_configIni));
    const QString question = QStringLiteral("连接数据库失败,是否要重新配置数据库?");
    bool connected = attempt();
    if (!connected && m_isInternet == 1 && attempt()) {
        m_configIni.writeString(QStringLiteral("DBConn"), QStringLiteral("Server"), server);
        connected = true;
    }
    if (!connected) {
        m_failureCause = QStringLiteral("无法连接数据库服务器 %1 上的数据库 %2。")
                             .arg(m_conn->settings().host, m_conn->settings().database) +
                         databaseTextInBrackets(m_conn->lastError());
        fail(question);
        return;
    }
    if (!usableSchema()) {
        fail(question);
        return;
    }
    checkWritable();
    m_connectOK = true;
}

void TfrmData::connectEmbedded()
{
    ConnectionSettings s;
    s.filePath = homePath(QLatin1String(kEmbeddedDatabaseFile));
    m_conn = std::make_unique<Connection>(SqlDialect::sqlite(), s);
    if (attempt() && usableSchema()) {
        checkWritable();
        m_connectOK = true;
        return;
    }
    if (m_failureCause.isEmpty())
        m_failureCause = QStringLiteral("无法打开数据库文件 %1。").arg(QDir::toNativeSeparators(s.filePath)) +
                         databaseTextInBrackets(m_conn->lastError());
    m_failedText = QStringLiteral("连接数据库失败...");
    if (m_status)
        m_status(m_failedText);
    fail(QStringLiteral("连接数据库失败,要重新配置数据库吗?"));
}

bool TfrmData::usableSchema()
{
    try {
        SchemaInstaller schema(*m_conn);
        m_failureCause = schema.refusal();
        if (!m_failureCause.isEmpty()) {
            m_conn->close();
            return false;
        }
        // An older database of this program is brought up to date as it is opened.
        m_upgradeSteps = schema.upgrade();
        return true;
    } catch (const DbError& e) {
        m_failureCause = QStringLiteral("数据库不能升级到本程序的版本：%1").arg(e.text());
    } catch (const CommandError& e) {
        m_failureCause = e.text();
    }
    m_conn->close();
    return false;
}

void TfrmData::checkWritable()
{
    // A read-only database is said at once, not at the first save that fails.
    try {
        TransactionGuard probe(*m_conn);
        Query(*m_conn).exec(QStringLiteral("update zu_schema set version = version where 1 = 0"));
    } catch (const DbError& e) {
        if (e.failure() == DbFailure::ReadOnly)
            m_startupWarning = QStringLiteral("数据库是只读的，可以查看数据，但不能保存任何修改。"
                                              "请检查数据库文件及其文件夹的写入权限。") +
                               QStringLiteral("\n") + m_conn->dialect().statusText(m_conn->settings());
    }
}

void TfrmData::fail(const QString& reconfigurationQuestion)
{
    // The program's shell asks the question; the data module only reports.
    m_reconfigurationQuestion = reconfigurationQuestion;
    m_quitRequested = true;
}

void TfrmData::listsChanged(const QString& table, const QObject* source)
{
    for (DataSet* list : dataSets()) {
        if (list == source || !list->isOpen() || list->state() != DataSet::State::Browse ||
            list->tableName().compare(table, Qt::CaseInsensitive) != 0)
            continue;
        try {
            list->refresh();
        } catch (const std::exception& e) {
            // The list's next use reports it; a notice cannot.
            qWarning("%s", e.what());
        }
    }
    emit tableChanged(table);
}

void TfrmData::createDataSets()
{
    Connection& c = *m_conn;
    auto make = [&c](const char* name, const char* table, const char* key) {
        return std::make_unique<DataSet>(c, QString::fromLatin1(name), QString::fromLatin1(table),
                                         QString::fromLatin1(key));
    };
    m_qryCustom = make("qryCustom", "T_Cust", "CusttityID");
    m_qryServiceCust = make("qryServiceCust", "T_service", "id");
    m_qryCallCust = make("qryCallCust", "T_call", "id");
    m_qryComplainCust = make("qryComplainCust", "T_complain", "id");
    m_qryservice = make("qryservice", "T_service", "id");
    m_qryCall = make("qryCall", "T_call", "id");
    m_qryComplain = make("qryComplain", "T_complain", "id");
    m_qryRemind = make("qryRemind", "T_Cust", "CusttityID");
    m_qryCombo = make("qryCombo", "T_type", "id");
    m_qryUser = make("qryUser", "T_user", "id");
    m_qryUserZ = make("qryUserZ", "T_user", "id");
    m_qryselect = make("qryselect", "T_Cust", "CusttityID");
    for (DataSet* detail : {m_qryServiceCust.get(), m_qryCallCust.get(), m_qryComplainCust.get()})
        detail->setMaster(m_qryCustom.get(), QStringLiteral("IDCode"), QStringLiteral("CustCode"));

    m_qryTemp = std::make_unique<Query>(c);
    m_F = std::make_unique<Query>(c);
    m_T = std::make_unique<Query>(c);
    m_qryBackup = std::make_unique<Query>(c);
}

QList<DataSet*> TfrmData::dataSets() const
{
    return {m_qryCustom.get(),  m_qryServiceCust.get(), m_qryCallCust.get(), m_qryComplainCust.get(),
            m_qryservice.get(), m_qryCall.get(),        m_qryComplain.get(), m_qryRemind.get(),
            m_qryCombo.get(),   m_qryUser.get(),        m_qryUserZ.get(),    m_qryselect.get()};
}

void TfrmData::closeDataSets()
{
    // Masters first: their details follow them.
    for (DataSet* d : dataSets())
        d->close();
    for (Query* q : {m_qryTemp.get(), m_F.get(), m_T.get(), m_qryBackup.get()})
        q->close();
}

void TfrmData::reconnect()
{
    closeDataSets();
    m_conn->close();
    if (!m_conn->open())
        throw DbError(QStringLiteral("无法重新打开数据库。") + databaseTextInBrackets(m_conn->lastError()));
    // A restored backup may come from an older release.
    if (!usableSchema())
        throw DbError(m_failureCause, DbFailure::SchemaMismatch);
}

} // namespace zu
