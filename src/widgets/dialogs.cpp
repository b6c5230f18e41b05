#include "dialogs.h"

#include <cstdio>

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace zu {

namespace {

class DesktopDialogs final : public Dialogs
{
public:
    QMessageBox::StandardButton message(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override
    {
        QMessageBox box(icon, title, text, buttons, parent);
        if (defaultButton != QMessageBox::NoButton)
            box.setDefaultButton(defaultButton);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                         const QString& filter) override
    {
        // A bare file name is proposed in the user's documents, not wherever the program started.
        QString start = proposed;
        if (QFileInfo(proposed).isRelative()) {
            QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            if (folder.isEmpty() || !QDir(folder).exists())
                folder = QDir::homePath();
            start = QDir(folder).filePath(proposed);
        }
        return QFileDialog::getSaveFileName(parent, caption, start, filter);
    }

    QString openFileName(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    }

    QString existingFolder(QWidget* parent, const QString& caption, const QString& folder) override
    {
        return QFileDialog::getExistingDirectory(parent, caption, folder);
    }

    bool openExternally(const QString& fileOrUrl) override
    {
        const QUrl url = QFileInfo::exists(fileOrUrl) ? QUrl::fromLocalFile(fileOrUrl) : QUrl(fileOrUrl);
        return QDesktopServices::openUrl(url);
    }

    bool startDetached(const QString& program, const QStringList& arguments) override
    {
        return QProcess::startDetached(program, arguments);
    }
};

DesktopDialogs& desktopDialogs()
{
    static DesktopDialogs instance;
    return instance;
}

Dialogs* g_installed = nullptr;

} // namespace

Dialogs::~Dialogs() = default;

QMessageBox::StandardButton UnattendedDialogs::message(QWidget*, const QString& title, const QString& text,
                                                       QMessageBox::Icon icon,
                                                       QMessageBox::StandardButtons buttons,
                                                       QMessageBox::StandardButton defaultButton)
{
    if (icon != QMessageBox::Information && icon != QMessageBox::NoIcon)
        ++m_troubles;
    std::fprintf(stderr, "%s\n", qPrintable(title + QStringLiteral("：") + text));
    if (defaultButton != QMessageBox::NoButton)
        return defaultButton;
    // The most careful answer there is.
    for (const QMessageBox::StandardButton b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
        if (buttons.testFlag(b))
            return b;
    return QMessageBox::NoButton;
}

void Dialogs::inform(QWidget* parent, const QString& title, const QString& text, QMessageBox::Icon icon)
{
    message(parent, title, text, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool Dialogs::askYesNo(QWidget* parent, const QString& title, const QString& text, QMessageBox::Icon icon)
{
    return message(parent, title, text, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

Dialogs& dialogs()
{
    return g_installed ? *g_installed : desktopDialogs();
}

ScopedDialogs::ScopedDialogs(Dialogs& dialogs) : m_previous(g_installed)
{
    g_installed = &dialogs;
}

ScopedDialogs::~ScopedDialogs()
{
    g_installed = m_previous;
}

} // namespace zu
