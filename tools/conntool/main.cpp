#include "configwindow.h"
#include "conntoolcore.h"

#include "data/apphome.h"
#include "widgets/icons.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool interactive = args.isEmpty() || (args.size() == 2 && args[0] == QLatin1String("--home"));
    if (!interactive) {
        QCoreApplication app(argc, argv);
        return zu::conntool::runCommandLine(args);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zu软件连接配置"));
    QApplication::setWindowIcon(zu::programIcon());
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    zu::conntool::ConfigWindow window(zu::resolveHomeDir(QApplication::arguments()));
    window.show();
    return app.exec();
}
