#include "entrysequence.h"

#include "data/apphome.h"

#include <cstdio>
#include <QApplication>

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--version") == 0) {
            std::printf("zu %s\n", ZU_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(ZU_VERSION));
    zu::installChineseTranslations();
    zu::EntrySequence entry(zu::resolveHomeDir(QApplication::arguments()));
    if (!entry.start())
        return 1;
    return app.exec();
}
