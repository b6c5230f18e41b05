#include "apphome.h"

#include "errors.h"
#include "inifile.h"
#include "schemainstaller.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <sys/stat.h>

namespace zu {

namespace {

QString absoluteClean(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString namedHome(const QStringList& arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--home") && i + 1 < arguments.size())
            return arguments[i + 1];
        if (a.startsWith(QLatin1String("--home=")))
            return a.mid(7);
    }
    return {};
}

} // namespace

ProgramHome chooseHome(const HomeSources& sources)
{
    QString named = namedHome(sources.arguments);
    if (named.isEmpty())
        named = sources.environment;
    if (!named.isEmpty())
        return {absoluteClean(named), HomeOrigin::Named};
    if (!sources.installed)
        return {absoluteClean(sources.programDir), HomeOrigin::BesideProgram};
    if (!sources.systemSettings.isEmpty() && QFileInfo::exists(sources.systemSettings)) {
        const IniFile settings(sources.systemSettings);
        const QString shared = settings.readString(QStringLiteral("zu"), QStringLiteral("Home")).trimmed();
        if (!shared.isEmpty())
            return {absoluteClean(shared), HomeOrigin::Shared};
    }
    return {absoluteClean(sources.userDataDir), HomeOrigin::UserData};
}

HomeSources currentHomeSources(const QStringList& arguments)
{
    HomeSources s;
    s.arguments = arguments;
    s.environment = qEnvironmentVariable("ZU_HOME");
    s.programDir = QCoreApplication::applicationDirPath();
    s.installed = isInstalledProgramDir(s.programDir);
    s.systemSettings = QString::fromLatin1(kSystemSettingsFile);
    // The application data folder of "zu" whatever name the running program gives itself.
    s.userDataDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zu");
    return s;
}

QString resolveHomeDir(const QStringList& arguments)
{
    return chooseHome(currentHomeSources(arguments)).dir;
}

bool isInstalledProgramDir(const QString& programDir)
{
    return QFileInfo(QDir(programDir).filePath(QLatin1String(kShippedFilesFromBin))).isDir();
}

QString shippedFilesDir()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    if (isInstalledProgramDir(programDir))
        return absoluteClean(QDir(programDir).filePath(QLatin1String(kShippedFilesFromBin)));
    return programDir;
}

QString siblingProgram(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

QString homeOrShippedFile(const QString& home, const QString& name)
{
    const QString own = homeFile(home, name);
    if (QFileInfo::exists(own))
        return own;
    return homeFile(shippedFilesDir(), name);
}

void setUpProgramHome(const ProgramHome& home)
{
    if (!home.setUpOnStart())
        return;
    // Every user of a shared folder writes the database and its journal files.
    if (home.origin == HomeOrigin::Shared)
        ::umask(::umask(0) & ~S_IWGRP & 07777);
    if (!QDir().mkpath(home.dir))
        throw CommandError(QStringLiteral("无法创建程序文件夹 %1").arg(QDir::toNativeSeparators(home.dir)));
    if (QFileInfo::exists(homeFile(home.dir, QLatin1String(kServerMarkerFile))))
        return;
    const QString database = homeFile(home.dir, QLatin1String(kEmbeddedDatabaseFile));
    if (!QFileInfo::exists(database))
        createEmbeddedDatabase(database);
}

QString homeFile(const QString& home, const QString& relative)
{
    return QDir::cleanPath(home + QLatin1Char('/') + relative);
}

} // namespace zu
