#include "entrysequence.h"

#include "data/apphome.h"
#include "widgets/dialogs.h"
#include "widgets/icons.h"

#include <cstdio>
#include <optional>
#include <QApplication>

namespace {

// The desktop entry and the AppStream data carry this name.
const QString kDesktopId = QStringLiteral("cn.zu.Service");

} // namespace

int main(int argc, char* argv[])
{
    bool quitAfterStart = false;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--version") == 0) {
            std::printf("zu %s\n", ZU_VERSION);
            return 0;
        }
        // The start-up check of an installation: everything up to the login window, then the end.
        if (qstrcmp(argv[i], "--quit-after-start") == 0)
            quitAfterStart = true;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(ZU_VERSION));
    QGuiApplication::setDesktopFileName(kDesktopId);
    QApplication::setWindowIcon(zu::programIcon());
    zu::installChineseTranslations();

    zu::UnattendedDialogs unattended;
    std::optional<zu::ScopedDialogs> noOneAtTheScreen;
    if (quitAfterStart)
        noOneAtTheScreen.emplace(unattended);

    zu::EntrySequence entry(zu::chooseHome(zu::currentHomeSources(QApplication::arguments())));
    entry.setStartOnly(quitAfterStart);
    const bool started = entry.start();
    if (quitAfterStart) {
        const bool ok = entry.loginShown() && unattended.troubles() == 0;
        std::fprintf(ok ? stdout : stderr, "zu %s: %s（程序文件夹 %s）\n", ZU_VERSION,
                     ok ? "启动正常，登录窗口已显示" : "启动失败", qPrintable(entry.homeDir()));
        return ok ? 0 : 1;
    }
    if (!started)
        return 1;
    return app.exec();
}
