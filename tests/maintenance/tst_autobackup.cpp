#include "data/apphome.h"
#include "data/errors.h"
#include "data/inifile.h"
#include "maintenance/autobackup.h"
#include "maintenance/backupfiles.h"
#include "support/testdatabase.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

using namespace zu;
using zu::test::TestHome;

namespace {

QString autoName(const char* day, const char* time = nullptr)
{
    return QStringLiteral("Assets_auto") + QString::fromLatin1(day) +
           (time ? QLatin1Char('_') + QString::fromLatin1(time) : QString()) + QStringLiteral(".db");
}

// Daily names from `first` to `last`.
QStringList everyDay(const QDate& first, const QDate& last)
{
    QStringList out;
    for (QDate d = first; d <= last; d = d.addDays(1))
        out << QStringLiteral("Assets_auto%1.db").arg(d.toString(QStringLiteral("yyyy-MM-dd")));
    return out;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// A writer that puts a text into the backup file.
BackupWriter writing(const QByteArray& content)
{
    return [content](const QString& path) {
        QFile f(path);
        QVERIFY(f.size() == 0); // given an empty file
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    };
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QDateTime kMorning(QDate(2024, 3, 5), QTime(8, 15, 0));

// The file system a test pretends the backup folder is on: what the no-replace rename and the
// hard link fail with there (0: they work). FAT, some network shares and memory sticks lack one
// or both.
struct PretendedFileSystem
{
    int renameError = 0;
    int linkError = 0;
};
PretendedFileSystem pretended;

} // namespace

// This program's own calls of these two reach the pretended file system first.
extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to,
                         unsigned int flags) noexcept
{
    if (pretended.renameError != 0) {
        errno = pretended.renameError;
        return -1;
    }
    using Call = int (*)(int, const char*, int, const char*, unsigned int);
    static const auto real = reinterpret_cast<Call>(dlsym(RTLD_NEXT, "renameat2"));
    return real(fromDir, from, toDir, to, flags);
}

extern "C" int link(const char* from, const char* to) noexcept
{
    if (pretended.linkError != 0) {
        errno = pretended.linkError;
        return -1;
    }
    using Call = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Call>(dlsym(RTLD_NEXT, "link"));
    return real(from, to);
}

class TestAutoBackup final : public QObject
{
    Q_OBJECT
private slots:
    void dayOfAnAutomaticBackup()
    {
        const QString db = QStringLiteral(".db");
        QCOMPARE(automaticBackupDay(autoName("2024-03-05"), db), QDate(2024, 3, 5));
        QCOMPARE(automaticBackupDay(autoName("2024-03-05", "101500"), db), QDate(2024, 3, 5));
        QCOMPARE(automaticBackupDay(autoName("2024-03-05", "101500_2"), db), QDate(2024, 3, 5));
        QCOMPARE(automaticBackupDay(QStringLiteral("ASSETS_AUTO2024-03-05.DB"), db), QDate());
        // Not automatic backups: the user's own, safety copies, other extensions, no valid date.
        for (const char* name : {"Assets_bak2024-03-05.db", "Assets_before_restore_2024-03-05_101500.db",
                                 "Assets_auto2024-03-05.bak", "Assets_auto2024-13-05.db", "Assets_auto.db",
                                 "Assets_auto2024-03-05_1015.db", "xAssets_auto2024-03-05.db"})
            QVERIFY2(!automaticBackupDay(QString::fromLatin1(name), db).isValid(), name);
        QCOMPARE(
            automaticBackupDay(QStringLiteral("service-Assets_auto2024-03-05.bak"), QStringLiteral(".bak")),
            QDate());
        QCOMPARE(automaticBackupDay(QStringLiteral("Assets_auto2024-03-05.bak"), QStringLiteral(".bak")),
                 QDate(2024, 3, 5));
    }

    void rotationKeepsSevenDaysAndFourWeeks()
    {
        // A backup every day of March 2024 up to Sunday the 31st.
        const QStringList names = everyDay(QDate(2024, 3, 1), QDate(2024, 3, 31));
        const QStringList out = rotatedOut(names, QStringLiteral(".db"), {.days = 7, .weeks = 4});
        QStringList kept = names;
        for (const QString& n : out)
            kept.removeOne(n);
        // The last seven days, then the Sunday of each of the four weeks before them (the week of
        // the 3rd began on Monday 26 February).
        QCOMPARE(sorted(kept), sorted(everyDay(QDate(2024, 3, 25), QDate(2024, 3, 31)) +
                                      QStringList{autoName("2024-03-03"), autoName("2024-03-10"),
                                                  autoName("2024-03-17"), autoName("2024-03-24")}));
        QCOMPARE(out.size(), 31 - 11);
    }

    void rotationAtTheDayBoundary()
    {
        const RotationRule noWeeks{.days = 7, .weeks = 0};
        const QStringList seven = everyDay(QDate(2024, 3, 1), QDate(2024, 3, 7));
        QCOMPARE(rotatedOut(seven, QStringLiteral(".db"), noWeeks), QStringList());
        const QStringList eight = everyDay(QDate(2024, 2, 29), QDate(2024, 3, 7));
        QCOMPARE(rotatedOut(eight, QStringLiteral(".db"), noWeeks), QStringList{autoName("2024-02-29")});
        // Days on which backups were made count, not calendar days: a long holiday loses nothing.
        const QStringList gaps{autoName("2023-08-01"), autoName("2024-01-15"), autoName("2024-03-07")};
        QCOMPARE(rotatedOut(gaps, QStringLiteral(".db"), {.days = 3, .weeks = 0}), QStringList());
    }

    void rotationAtTheWeekBoundary()
    {
        // Weeks run Monday to Sunday: Sunday the 10th and Monday the 11th are in different weeks,
        // Monday the 11th and Sunday the 17th in the same.
        const QStringList names{autoName("2024-03-10"), autoName("2024-03-11"), autoName("2024-03-17"),
                                autoName("2024-03-18")};
        QCOMPARE(rotatedOut(names, QStringLiteral(".db"), {.days = 1, .weeks = 2}),
                 QStringList{autoName("2024-03-11")});
        QCOMPARE(sorted(rotatedOut(names, QStringLiteral(".db"), {.days = 1, .weeks = 1})),
                 sorted({autoName("2024-03-10"), autoName("2024-03-11")}));
        QCOMPARE(rotatedOut(names, QStringLiteral(".db"), {.days = 1, .weeks = 3}),
                 QStringList{autoName("2024-03-11")});
    }

    void rotationAcrossTheNewYear()
    {
        // 30 and 31 December 2024 belong to the first week of 2025, 29 December to the last of 2024.
        const QStringList names{autoName("2024-12-29"), autoName("2024-12-31"), autoName("2025-01-02"),
                                autoName("2025-01-06")};
        QCOMPARE(sorted(rotatedOut(names, QStringLiteral(".db"), {.days = 1, .weeks = 1})),
                 sorted({autoName("2024-12-29"), autoName("2024-12-31")}));
        QCOMPARE(rotatedOut(names, QStringLiteral(".db"), {.days = 1, .weeks = 2}),
                 QStringList{autoName("2024-12-31")});
    }

    void rotationWithSeveralBackupsOfADay()
    {
        const QStringList names{autoName("2024-03-04"), autoName("2024-03-04", "120000"),
                                autoName("2024-03-05"), autoName("2024-03-05", "101500"),
                                autoName("2024-03-05", "101500_2")};
        // All of a kept day stay; of an older day only its newest counts for its week.
        QCOMPARE(rotatedOut(names, QStringLiteral(".db"), {.days = 1, .weeks = 4}),
                 QStringList{autoName("2024-03-04")});
        QCOMPARE(rotatedOut(names, QStringLiteral(".db"), {.days = 2, .weeks = 0}), QStringList());
    }

    void rotationLeavesOtherFilesAlone()
    {
        const QStringList names{QStringLiteral("Assets_bak2020-01-01.db"),
                                QStringLiteral("Assets_before_restore_2020-01-01_101500.db"),
                                QStringLiteral("Assets_auto2020-01-01.bak"),
                                QStringLiteral("notes.db"),
                                autoName("2020-01-01"),
                                autoName("2024-03-05")};
        QCOMPARE(rotatedOut(names, QStringLiteral(".db"), {.days = 1, .weeks = 0}),
                 QStringList{autoName("2020-01-01")});
    }

    void settingsFromConfigIni()
    {
        TestHome home;
        IniFile ini(home.file(QStringLiteral("Config.ini")));
        AutomaticBackupSettings s = readAutomaticBackupSettings(ini);
        QVERIFY(s.enabled);
        QCOMPARE(s.rule.days, 7);
        QCOMPARE(s.rule.weeks, 4);
        ini.writeString(QStringLiteral("config"), QStringLiteral("AutoBackup"), QStringLiteral("0"));
        ini.writeString(QStringLiteral("config"), QStringLiteral("AutoBackupDays"), QStringLiteral("0"));
        ini.writeString(QStringLiteral("config"), QStringLiteral("AutoBackupWeeks"), QStringLiteral("-2"));
        s = readAutomaticBackupSettings(ini);
        QVERIFY(!s.enabled);
        QCOMPARE(s.rule.days, 1); // at least the newest is kept
        QCOMPARE(s.rule.weeks, 0);
        ini.writeString(QStringLiteral("config"), QStringLiteral("AutoBackup"), QStringLiteral("1"));
        ini.writeString(QStringLiteral("config"), QStringLiteral("AutoBackupDays"), QStringLiteral("30"));
        ini.writeString(QStringLiteral("config"), QStringLiteral("AutoBackupWeeks"), QStringLiteral("12"));
        s = readAutomaticBackupSettings(ini);
        QVERIFY(s.enabled);
        QCOMPARE(s.rule.days, 30);
        QCOMPARE(s.rule.weeks, 12);
    }

    void firstStartOfTheDayOnly()
    {
        TestHome home;
        const QString folder = home.file(QStringLiteral("Backup"));
        QVERIFY(QDir().mkpath(folder));
        const RotationRule rule;
        AutomaticBackup r =
            runAutomaticBackup(folder, kMorning, QStringLiteral(".db"), rule, writing("first"));
        QCOMPARE(r.written, QDir(folder).filePath(autoName("2024-03-05")));
        QCOMPARE(contentOf(r.written), QByteArray("first"));

        // Started again the same day: nothing written.
        bool called = false;
        r = runAutomaticBackup(folder, kMorning.addSecs(3600), QStringLiteral(".db"), rule,
                               [&called](const QString&) { called = true; });
        QVERIFY(!called);
        QVERIFY(r.written.isEmpty());
        QCOMPARE(filesIn(folder), QStringList{autoName("2024-03-05")});

        // Asked for one all the same (the connection tool): beside the first, never over it.
        r = runAutomaticBackup(folder, kMorning.addSecs(3600), QStringLiteral(".db"), rule, writing("second"),
                               true);
        QCOMPARE(r.written, QDir(folder).filePath(autoName("2024-03-05", "091500")));
        r = runAutomaticBackup(folder, kMorning.addSecs(3600), QStringLiteral(".db"), rule, writing("third"),
                               true);
        QCOMPARE(r.written, QDir(folder).filePath(autoName("2024-03-05", "091500_2")));
        QCOMPARE(contentOf(QDir(folder).filePath(autoName("2024-03-05"))), QByteArray("first"));
        QCOMPARE(contentOf(QDir(folder).filePath(autoName("2024-03-05", "091500"))), QByteArray("second"));
        QCOMPARE(contentOf(r.written), QByteArray("third"));

        // The next day writes again.
        r = runAutomaticBackup(folder, kMorning.addDays(1), QStringLiteral(".db"), rule, writing("next"));
        QCOMPARE(r.written, QDir(folder).filePath(autoName("2024-03-06")));
        QCOMPARE(filesIn(folder).size(), 4);
    }

    void rotationRunsAfterTheBackup()
    {
        TestHome home;
        const QString folder = home.file(QStringLiteral("Backup"));
        for (const QString& name : everyDay(QDate(2024, 2, 27), QDate(2024, 3, 4)))
            home.write(QStringLiteral("Backup/") + name, "old");
        home.write(QStringLiteral("Backup/Assets_bak2024-01-01.db"), "mine");
        const AutomaticBackup r = runAutomaticBackup(folder, kMorning, QStringLiteral(".db"),
                                                     {.days = 7, .weeks = 0}, writing("today"));
        QCOMPARE(r.written, QDir(folder).filePath(autoName("2024-03-05")));
        QCOMPARE(r.removed, QStringList{autoName("2024-02-27")});
        QVERIFY(!QFileInfo::exists(QDir(folder).filePath(autoName("2024-02-27"))));
        QCOMPARE(filesIn(folder).size(), 8);
        QVERIFY(QFileInfo::exists(QDir(folder).filePath(QStringLiteral("Assets_bak2024-01-01.db"))));
    }

    void aFailedBackupRemovesNothing()
    {
        TestHome home;
        const QString folder = home.file(QStringLiteral("Backup"));
        for (const QString& name : everyDay(QDate(2024, 2, 1), QDate(2024, 3, 4)))
            home.write(QStringLiteral("Backup/") + name, "old");
        const QStringList before = filesIn(folder);
        QVERIFY_THROWS_EXCEPTION(CommandError,
                                 runAutomaticBackup(folder, kMorning, QStringLiteral(".db"),
                                                    {.days = 1, .weeks = 0}, [](const QString& path) {
                                                        QFile f(path);
                                                        QVERIFY(f.open(QIODevice::WriteOnly));
                                                        f.write("half");
                                                        throw CommandError(QStringLiteral("磁盘已满"));
                                                    }));
        // No half-written file under any name, and no older backup gone.
        QCOMPARE(filesIn(folder), before);
    }

    void interruptedBackupsAreClearedAtTheNextStart()
    {
        TestHome home;
        const QString folder = home.file(QStringLiteral("Backup"));
        QVERIFY(QDir().mkpath(folder));
        // Left by a program that was killed while it wrote a backup.
        home.write(QStringLiteral("Backup/.zu-backup-Ab12Cd"), QByteArray(4096, 'x'));
        // Being written right now by another program: its writer holds the lock.
        QProcess writer;
        const QString inProgress = QDir(folder).filePath(QStringLiteral(".zu-backup-Ef34Gh"));
        writer.start(QStringLiteral("flock"),
                     {QStringLiteral("--exclusive"), QStringLiteral("--no-fork"), inProgress,
                      QStringLiteral("-c"), QStringLiteral("echo locked; exec sleep 600")});
        QVERIFY(writer.waitForStarted());
        QVERIFY(writer.waitForReadyRead(30000));
        QCOMPARE(writer.readAllStandardOutput(), QByteArray("locked\n"));
        // And one of this program, in progress too.
        PartialBackup mine(folder);

        const AutomaticBackup r =
            runAutomaticBackup(folder, kMorning, QStringLiteral(".db"), {}, writing("today"));
        QCOMPARE(r.abandoned, QStringList{QStringLiteral(".zu-backup-Ab12Cd")});
        QVERIFY(QFileInfo::exists(inProgress));
        QVERIFY(QFileInfo::exists(mine.path()));

        // Its writer killed, the next start clears it away.
        writer.kill();
        QVERIFY(writer.waitForFinished(30000));
        QCOMPARE(removeAbandonedBackups(folder), QStringList{QStringLiteral(".zu-backup-Ef34Gh")});
        QVERIFY(!QFileInfo::exists(inProgress));
        QVERIFY(QFileInfo::exists(mine.path()));
        QCOMPARE(filesIn(folder), (QStringList{QFileInfo(mine.path()).fileName(), autoName("2024-03-05")}));
    }

    void aKillWhileWritingLeavesTheEarlierBackup()
    {
        TestHome home;
        const QString folder = home.path();
        home.write(QStringLiteral("nightly.db"), "yesterday");
        const QString target = home.file(QStringLiteral("nightly.db"));
        // A job killed in the middle of its backup, for both ways a backup is put in place: over the
        // job's earlier file, and beside the day's first.
        for (const bool replacing : {true, false}) {
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                const BackupWriter killedMidway = [](const QString& path) {
                    QFile f(path);
                    if (f.open(QIODevice::WriteOnly)) {
                        f.write("half");
                        f.flush();
                    }
                    ::raise(SIGKILL);
                };
                try {
                    if (replacing)
                        writeBackupReplacing(target, killedMidway);
                    else
                        writeNewBackup(folder, QStringLiteral("nightly"), kMorning, QStringLiteral(".db"),
                                       killedMidway);
                } catch (...) {
                }
                ::_exit(1);
            }
            int status = 0;
            QCOMPARE(::waitpid(child, &status, 0), child);
            QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, replacing ? "replacing" : "beside");
            QCOMPARE(contentOf(target), QByteArray("yesterday"));
            const QStringList left =
                QDir(folder).entryList({QStringLiteral(".zu-backup-*")}, QDir::Files | QDir::Hidden);
            QCOMPARE(left.size(), 1);
            // The next start clears the half-written file away; the earlier backup stays.
            QCOMPARE(removeAbandonedBackups(folder), left);
            QCOMPARE(filesIn(folder), QStringList{QStringLiteral("nightly.db")});
        }
    }

    // A new backup beside others of the same name takes the first free of the plain name, the
    // name with the time and the time numbered 2 to 99; with all of them taken it is refused.
    void backupNamesAreNumberedUpTo99()
    {
        TestHome home;
        const QString folder = home.path();
        const auto backup = [&] {
            return QFileInfo(writeNewBackup(folder, QStringLiteral("备份"), kMorning, QStringLiteral(".db"),
                                            writing("x")))
                .fileName();
        };
        const QString timed = QStringLiteral("备份_") + kMorning.toString(QStringLiteral("HHmmss"));
        QCOMPARE(backup(), QStringLiteral("备份.db"));
        QCOMPARE(backup(), timed + QStringLiteral(".db"));
        QCOMPARE(backup(), timed + QStringLiteral("_2.db"));
        for (int n = 3; n < 99; ++n)
            home.write(timed + QStringLiteral("_%1.db").arg(n), "x");
        QCOMPARE(backup(), timed + QStringLiteral("_99.db"));
        QVERIFY_THROWS_EXCEPTION(CommandError, backup());
        QVERIFY(!QFile::exists(home.file(timed + QStringLiteral("_100.db"))));
        QCOMPARE(filesIn(folder).size(), 100); // nothing half-written left behind
    }

    // Where the folder's file system lacks the no-replace rename, a hard link puts the backup in
    // place; where it lacks hard links too, the name is looked at first. Either way a file of that
    // name is never replaced, and any other failure is said with the file's name.
    void placingOnFileSystemsWithoutNoReplaceRename_data()
    {
        QTest::addColumn<int>("renameError");
        QTest::addColumn<int>("linkError");
        QTest::addColumn<bool>("fails");
        QTest::newRow("no such rename (EINVAL), links") << EINVAL << 0 << false;
        QTest::newRow("no such rename (ENOSYS), links") << ENOSYS << 0 << false;
        QTest::newRow("no such rename (EOPNOTSUPP), links") << EOPNOTSUPP << 0 << false;
        QTest::newRow("nor links (EPERM)") << EINVAL << EPERM << false;
        QTest::newRow("nor links (EOPNOTSUPP)") << ENOSYS << EOPNOTSUPP << false;
        QTest::newRow("rename refused (EACCES)") << EACCES << 0 << true;
        QTest::newRow("link refused (EIO)") << EINVAL << EIO << true;
    }
    void placingOnFileSystemsWithoutNoReplaceRename()
    {
        QFETCH(int, renameError);
        QFETCH(int, linkError);
        QFETCH(bool, fails);
        TestHome home;
        const QString folder = home.path();
        home.write(QStringLiteral("old.db"), "old");
        const QString old = home.file(QStringLiteral("old.db"));
        const QString fresh = home.file(QStringLiteral("new.db"));
        const auto restore = qScopeGuard([] { pretended = {}; });
        {
            PartialBackup partial(folder);
            writing("new")(partial.path());
            pretended = {.renameError = renameError, .linkError = linkError};
            if (fails) {
                try {
                    partial.placeAsNew(fresh);
                    QFAIL("placed although the file system refused it");
                } catch (const CommandError& e) {
                    QVERIFY2(e.text().startsWith(QStringLiteral("无法写入文件 %1：").arg(fresh)),
                             qPrintable(e.text()));
                    QVERIFY(e.text().endsWith(
                        QString::fromLocal8Bit(std::strerror(linkError != 0 ? linkError : renameError))));
                }
            } else {
                QVERIFY(!partial.placeAsNew(old));
                QCOMPARE(contentOf(old), QByteArray("old"));
                QVERIFY(partial.placeAsNew(fresh));
                QCOMPARE(contentOf(fresh), QByteArray("new"));
            }
        }
        pretended = {};
        QCOMPARE(filesIn(folder), fails ? QStringList{QStringLiteral("old.db")}
                                        : (QStringList{QStringLiteral("new.db"), QStringLiteral("old.db")}));
        QCOMPARE(contentOf(old), QByteArray("old"));
    }

    void placingNeverLeavesTheTargetMissing()
    {
        TestHome home;
        const QString folder = home.path();
        home.write(QStringLiteral("target.db"), "old");
        const QString target = home.file(QStringLiteral("target.db"));
        {
            PartialBackup partial(folder);
            QVERIFY(partial.path().startsWith(folder + QStringLiteral("/.zu-backup-")));
            QCOMPARE(QFileInfo(partial.path()).size(), 0);
            writing("new")(partial.path());
            QVERIFY(!partial.placeAsNew(target)); // a file of that name is never replaced
            QCOMPARE(contentOf(target), QByteArray("old"));
        }
        // Not placed: gone with its object.
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("target.db")});

        // A failed writer leaves the old file as it was; a finished one replaces it.
        QVERIFY_THROWS_EXCEPTION(CommandError, writeBackupReplacing(target, [](const QString&) {
                                     throw CommandError(QStringLiteral("pg_dump: error"));
                                 }));
        QCOMPARE(contentOf(target), QByteArray("old"));
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("target.db")});
        writeBackupReplacing(target, writing("new"));
        QCOMPARE(contentOf(target), QByteArray("new"));
        QCOMPARE(filesIn(folder), QStringList{QStringLiteral("target.db")});

        // A folder that cannot be written: told so, nothing written.
        QVERIFY_THROWS_EXCEPTION(CommandError,
                                 writeNewBackup(home.file(QStringLiteral("gone")), QStringLiteral("x"),
                                                kMorning, QStringLiteral(".db"), writing("x")));
    }

    void sizesAsTheWindowShowsThem()
    {
        QCOMPARE(fileSizeText(0), QStringLiteral("0 字节"));
        QCOMPARE(fileSizeText(1023), QStringLiteral("1023 字节"));
        QCOMPARE(fileSizeText(1024), QStringLiteral("1.0 KB"));
        QCOMPARE(fileSizeText(1024 * 1024 - 1), QStringLiteral("1024.0 KB"));
        QCOMPARE(fileSizeText(1024 * 1024), QStringLiteral("1.0 MB"));
        QCOMPARE(fileSizeText(5 * 1024 * 1024 + 512 * 1024), QStringLiteral("5.5 MB"));
        QCOMPARE(fileSizeText(qint64(3) * 1024 * 1024 * 1024), QStringLiteral("3.00 GB"));
    }

    void theProgramsStartBacksTheEmbeddedDatabaseUp_data() { zu::test::addEngineRows(); }
    void theProgramsStartBacksTheEmbeddedDatabaseUp()
    {
        ZU_TEST_DATABASE(db);
        // Left by a backup that was interrupted, on either engine.
        db.home().write(QStringLiteral("Backup/.zu-backup-Xy12Zw"), "half");
        const AutomaticBackup r = automaticBackupAtStart(db.dataModule(), kMorning);
        const QString folder = db.home().file(QStringLiteral("Backup"));
        QCOMPARE(r.abandoned, QStringList{QStringLiteral(".zu-backup-Xy12Zw")});
        if (db.isServer()) {
            // The server's backups are a scheduled job's.
            QVERIFY(r.written.isEmpty());
            QCOMPARE(filesIn(folder), QStringList());
            return;
        }
        QCOMPARE(r.written, QDir(folder).filePath(autoName("2024-03-05")));
        QVERIFY(QFileInfo(r.written).size() > 4096);
        QVERIFY(automaticBackupAtStart(db.dataModule(), kMorning.addSecs(60)).written.isEmpty());
        // Turned off in Config.ini: no backup, the clearing all the same.
        db.dataModule().ConfigIni().writeString(QStringLiteral("config"), QStringLiteral("AutoBackup"),
                                                QStringLiteral("0"));
        db.home().write(QStringLiteral("Backup/.zu-backup-Ab34Cd"), "half");
        const AutomaticBackup off = automaticBackupAtStart(db.dataModule(), kMorning.addDays(1));
        QVERIFY(off.written.isEmpty());
        QCOMPARE(off.abandoned, QStringList{QStringLiteral(".zu-backup-Ab34Cd")});
        QCOMPARE(filesIn(folder), QStringList{autoName("2024-03-05")});
    }
};

QTEST_GUILESS_MAIN(TestAutoBackup)
#include "tst_autobackup.moc"
