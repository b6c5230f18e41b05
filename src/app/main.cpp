#include "data/apphome.h"
#include "data/datamodule.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zu软件"));
    QApplication::setApplicationVersion(QStringLiteral(ZU_VERSION));
    const QStringList args = QApplication::arguments();
    if (args.contains(QLatin1String("--version"))) {
        std::printf("zu %s\n", ZU_VERSION);
        return 0;
    }
    zu::TfrmData dataModule(zu::resolveHomeDir(args));
    return dataModule.ConnectOK() ? 0 : 1;
}
