#include "scripteddialogs.h"

namespace zu::test {

ScriptedDialogs::ScriptedDialogs() : m_scope(*this) {}

ScriptedDialogs::~ScriptedDialogs() = default;

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Shown& s : m_shown)
        if (s.kind == QLatin1String("message"))
            texts << s.text;
    return texts;
}

QMessageBox::StandardButton ScriptedDialogs::message(QWidget*, const QString& title, const QString& text,
                                                     QMessageBox::Icon icon,
                                                     QMessageBox::StandardButtons buttons,
                                                     QMessageBox::StandardButton defaultButton)
{
    m_shown.append({QStringLiteral("message"), title, text, icon, buttons});
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    return defaultButton != QMessageBox::NoButton ? defaultButton : QMessageBox::Ok;
}

QString ScriptedDialogs::saveFileName(QWidget*, const QString& caption, const QString& proposed,
                                      const QString&)
{
    m_shown.append({QStringLiteral("save"), caption, proposed, QMessageBox::NoIcon, {}});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QString ScriptedDialogs::openFileName(QWidget*, const QString& caption, const QString& folder, const QString&)
{
    m_shown.append({QStringLiteral("open"), caption, folder, QMessageBox::NoIcon, {}});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QString ScriptedDialogs::existingFolder(QWidget*, const QString& caption, const QString& folder)
{
    m_shown.append({QStringLiteral("folder"), caption, folder, QMessageBox::NoIcon, {}});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

bool ScriptedDialogs::openExternally(const QString& fileOrUrl)
{
    m_shown.append({QStringLiteral("open-externally"), QString(), fileOrUrl, QMessageBox::NoIcon, {}});
    return true;
}

bool ScriptedDialogs::startDetached(const QString& program, const QStringList& arguments)
{
    m_shown.append(
        {QStringLiteral("start"), program, arguments.join(QLatin1Char(' ')), QMessageBox::NoIcon, {}});
    return true;
}

} // namespace zu::test
