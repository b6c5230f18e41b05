#pragma once

#include <QString>
#include <QStringList>

namespace zu {

// The program's folder: where Config.ini, sql.dat, Database/ and the other files beside the
// program live. "--home DIR" wins, then the environment variable ZU_HOME, then the folder of the
// running executable. Always ends without a separator; paths use "/".
QString resolveHomeDir(const QStringList& arguments);

// File names inside the program's folder.
QString homeFile(const QString& home, const QString& relative);

inline constexpr const char* kConfigFile = "Config.ini";
inline constexpr const char* kServerMarkerFile = "sql.dat";
inline constexpr const char* kEmbeddedDatabaseFile = "Database/Service.db";

} // namespace zu
