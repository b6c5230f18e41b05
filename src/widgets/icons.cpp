#include "icons.h"

#include <QHash>

namespace zu {

namespace {

struct IconName
{
    CommandIcon icon;
    const char* name;
};

// The names match src/widgets/CMakeLists.txt, which copies each drawing into the program.
constexpr IconName kNames[] = {
    {CommandIcon::Customers, "customers"},
    {CommandIcon::Service, "service"},
    {CommandIcon::Call, "call"},
    {CommandIcon::Complaint, "complaint"},
    {CommandIcon::Categories, "categories"},
    {CommandIcon::Lookups, "lookups"},
    {CommandIcon::Users, "users"},
    {CommandIcon::Password, "password"},
    {CommandIcon::Backup, "backup"},
    {CommandIcon::Reminders, "reminders"},
    {CommandIcon::Spreadsheet, "spreadsheet"},
    {CommandIcon::CustomerReport, "customer-report"},
    {CommandIcon::ListReport, "list-report"},
    {CommandIcon::Statistics, "statistics"},
    {CommandIcon::Envelope, "envelope"},
    {CommandIcon::Label, "label"},
    {CommandIcon::Import, "import"},
    {CommandIcon::Template, "template"},
    {CommandIcon::ClearData, "clear-data"},
    {CommandIcon::Exit, "exit"},
    {CommandIcon::Help, "help"},
    {CommandIcon::WebSite, "website"},
    {CommandIcon::About, "about"},
    {CommandIcon::Company, "company"},
    {CommandIcon::Add, "add"},
    {CommandIcon::AddUser, "add-user"},
    {CommandIcon::Edit, "edit"},
    {CommandIcon::Delete, "delete"},
    {CommandIcon::Find, "find"},
    {CommandIcon::Refresh, "refresh"},
    {CommandIcon::Close, "close"},
    {CommandIcon::Save, "save"},
    {CommandIcon::Cancel, "cancel"},
    {CommandIcon::Ok, "ok"},
    {CommandIcon::Columns, "columns"},
    {CommandIcon::TreeRoot, "tree-root"},
    {CommandIcon::Folder, "folder"},
    {CommandIcon::FolderOpen, "folder-open"},
};

} // namespace

QIcon programIcon()
{
    static const QIcon icon = [] {
        QIcon i(QStringLiteral(":/program/cn.zu.Service.svg"));
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            i.addFile(QStringLiteral(":/program/%1/cn.zu.Service.png").arg(size), QSize(size, size));
        return i;
    }();
    return icon;
}

QString commandIconName(CommandIcon which)
{
    for (const IconName& n : kNames)
        if (n.icon == which)
            return QString::fromLatin1(n.name);
    return {};
}

QIcon commandIcon(CommandIcon which)
{
    static QHash<int, QIcon> cache;
    const int key = static_cast<int>(which);
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return it.value();
    const QIcon icon(QStringLiteral(":/icons/%1.svg").arg(commandIconName(which)));
    cache.insert(key, icon);
    return icon;
}

} // namespace zu
