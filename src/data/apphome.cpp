#include "apphome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace zu {

QString resolveHomeDir(const QStringList& arguments)
{
    QString home;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--home") && i + 1 < arguments.size()) {
            home = arguments[i + 1];
            break;
        }
        if (a.startsWith(QLatin1String("--home="))) {
            home = a.mid(7);
            break;
        }
    }
    if (home.isEmpty())
        home = qEnvironmentVariable("ZU_HOME");
    if (home.isEmpty())
        home = QCoreApplication::applicationDirPath();
    return QDir::cleanPath(QFileInfo(home).absoluteFilePath());
}

QString homeFile(const QString& home, const QString& relative)
{
    return QDir::cleanPath(home + QLatin1Char('/') + relative);
}

} // namespace zu
