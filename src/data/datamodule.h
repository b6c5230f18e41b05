#pragma once

#include "connection.h"
#include "dataset.h"
#include "inifile.h"
#include "query.h"

#include <functional>
#include <memory>
#include <QObject>

namespace zu {

// The data module: owns the one database connection, the settings file and the shared data sets
// through which every window reads and writes. Created once by the program (afresh by each test
// on a temporary folder) and reached through data().
class TfrmData final : public QObject
{
    Q_OBJECT
public:
    // Opens the connection; a test may put its own step in between (a server that answers only
    // the second time, say).
    using Opener = std::function<bool(Connection&)>;
    // Told of a failed connection before the user is asked (the splash shows it meanwhile).
    using StatusSink = std::function<void(const QString&)>;

    explicit TfrmData(const QString& homeDir, Opener opener = {}, StatusSink status = {});
    ~TfrmData() override;

    QString homeDir() const { return m_home; }
    QString homePath(const QString& relative) const;

    bool ConnectOK() const { return m_connectOK; }
    // The connection failed and the program is to end.
    bool quitRequested() const { return m_quitRequested; }
    int IsInternet() const { return m_isInternet; }
    QString connectionFailedText() const { return m_failedText; }
    // After a failed connection: what went wrong, in words for the user (no tables of this
    // program, a newer database, the server's refusal, ...).
    QString connectionFailureCause() const { return m_failureCause; }
    // Said at start-up before anything is saved: the database cannot be written (read-only).
    QString startupWarning() const { return m_startupWarning; }
    // Schema steps that were taken when an older database was opened.
    int upgradeSteps() const { return m_upgradeSteps; }
    // False while the database server cannot be reached.
    bool serverReachable() const;
    // After a failed connection: the yes/no question the program asks before it ends, whether
    // the user wants to set up the database connection again (empty when connected).
    QString reconfigurationQuestion() const { return m_reconfigurationQuestion; }

    Connection& conn() { return *m_conn; }
    const SqlDialect& dialect() const { return m_conn->dialect(); }
    IniFile& ConfigIni() { return m_configIni; }

    // The logged-in user, set by the login for the rest of the run.
    QString CurrentUserName() const { return m_currentUserName; }
    QString CurrentUserRights() const { return m_currentUserRights; }
    // The logged-in user's row (T_user.id): what tells them apart when the name is changed.
    QVariant CurrentUserKey() const { return m_currentUserKey; }
    void setCurrentUserName(const QString& name) { m_currentUserName = name; }
    void setCurrentUserRights(const QString& rights) { m_currentUserRights = rights; }
    void setCurrentUserKey(const QVariant& key) { m_currentUserKey = key; }

    // Closes every data set, closes the connection and opens it again (after maintenance).
    // Throws DbError when it cannot be opened again.
    void reconnect();
    // Closes every shared data set (before the database file is replaced).
    void closeDataSets();

    // Shared data sets
    DataSet& qryCustom() { return *m_qryCustom; }
    DataSet& qryServiceCust() { return *m_qryServiceCust; }
    DataSet& qryCallCust() { return *m_qryCallCust; }
    DataSet& qryComplainCust() { return *m_qryComplainCust; }
    DataSet& qryservice() { return *m_qryservice; }
    DataSet& qryCall() { return *m_qryCall; }
    DataSet& qryComplain() { return *m_qryComplain; }
    DataSet& qryRemind() { return *m_qryRemind; }
    DataSet& qryCombo() { return *m_qryCombo; }
    DataSet& qryUser() { return *m_qryUser; }
    DataSet& qryUserZ() { return *m_qryUserZ; }
    DataSet& qryselect() { return *m_qryselect; }
    QList<DataSet*> dataSets() const;

    // Scratch queries
    Query& qryTemp() { return *m_qryTemp; }
    Query& F() { return *m_F; }
    Query& T() { return *m_T; }
    Query& Qry_Backup() { return *m_qryBackup; }

signals:
    // A write to `table` (as its statement spells it) was committed, and every open shared list
    // of that table has been read again; windows that show the table otherwise refresh now.
    void tableChanged(const QString& table);
    void serverReachableChanged(bool reachable);

private:
    void connectServer();
    void connectEmbedded();
    bool attempt();
    void fail(const QString& reconfigurationQuestion);
    void createDataSets();
    bool usableSchema();
    void checkWritable();
    void listsChanged(const QString& table, const QObject* source);

    QString m_home;
    Opener m_opener;
    StatusSink m_status;
    QString m_failedText;
    QString m_reconfigurationQuestion;
    QString m_failureCause;
    QString m_startupWarning;
    int m_upgradeSteps = 0;
    bool m_connectOK = false;
    bool m_quitRequested = false;
    int m_isInternet = -1;
    IniFile m_configIni;
    QString m_currentUserName;
    QString m_currentUserRights;
    QVariant m_currentUserKey;
    std::unique_ptr<Connection> m_conn;

    std::unique_ptr<DataSet> m_qryCustom, m_qryServiceCust, m_qryCallCust, m_qryComplainCust, m_qryservice,
        m_qryCall, m_qryComplain, m_qryRemind, m_qryCombo, m_qryUser, m_qryUserZ, m_qryselect;
    std::unique_ptr<Query> m_qryTemp, m_F, m_T, m_qryBackup;
};

// The data module of the running program.
TfrmData& data();
bool hasDataModule();

// Config.ini values of the server connection.
ConnectionSettings serverSettingsFromIni(const IniFile& ini);

} // namespace zu
