#pragma once

#include <QString>
#include <QStringList>

namespace zu {

// The program's folder: where Config.ini, sql.dat, Database/ and the other files of one
// installation's data live. Always ends without a separator; paths use "/".

enum class HomeOrigin
{
    Named,         // --home DIR or the environment variable ZU_HOME
    BesideProgram, // the folder of the executable, when it runs where it was built
    Shared,        // named in the system's settings file (several Linux users share it)
    UserData,      // the user's own data folder, for an installed program
};

struct ProgramHome
{
    QString dir;
    HomeOrigin origin = HomeOrigin::BesideProgram;
    // The installed program keeps its data apart and sets it up at the first start.
    bool setUpOnStart() const { return origin == HomeOrigin::Shared || origin == HomeOrigin::UserData; }
};

// What decides the program's folder.
struct HomeSources
{
    QStringList arguments;  // the command line, program name first
    QString environment;    // ZU_HOME
    QString programDir;     // the folder of the running executable
    bool installed = false; // the executable is installed, its shipped files in ../share/zu
    QString systemSettings; // the system's settings file, /etc/zu/zu.conf: [zu] Home=DIR
    QString userDataDir;    // the user's data folder for the program
};

// "--home DIR" wins, then ZU_HOME; then, where the program was built, the folder of the
// executable; an installed program uses the folder the system's settings file names, else the
// user's data folder.
ProgramHome chooseHome(const HomeSources& sources);

// The sources of the running program: its environment, /etc/zu/zu.conf and the user's data folder
// (QStandardPaths' application data folder of the application "zu": ~/.local/share/zu).
HomeSources currentHomeSources(const QStringList& arguments);

// chooseHome(currentHomeSources(arguments)).dir
QString resolveHomeDir(const QStringList& arguments);

// True when `programDir` is the bin/ folder of an installation (share/zu beside it).
bool isInstalledProgramDir(const QString& programDir);
// The files that ship with the program (help file): share/zu of the installation, else the
// folder of the executable.
QString shippedFilesDir();
// Another program of this one's (zu-conntool), beside the running executable.
QString siblingProgram(const QString& name);
// `name` in the program's folder when it is there, else the shipped file of that name.
QString homeOrShippedFile(const QString& home, const QString& name);

// At the first start of an installed program: creates its folder (for a shared one, files are
// made writable by the group from here on) and an embedded database with its content, unless
// the folder names a database server. Throws CommandError or DbError.
void setUpProgramHome(const ProgramHome& home);

// File names inside the program's folder.
QString homeFile(const QString& home, const QString& relative);

inline constexpr const char* kConfigFile = "Config.ini";
inline constexpr const char* kServerMarkerFile = "sql.dat";
inline constexpr const char* kEmbeddedDatabaseFile = "Database/Service.db";
inline constexpr const char* kSystemSettingsFile = "/etc/zu/zu.conf";
inline constexpr const char* kShippedFilesFromBin = "../share/zu";

} // namespace zu
