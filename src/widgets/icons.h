#pragma once

#include <QIcon>
#include <QString>

namespace zu {

// The program's own icon (the window icon of every window).
QIcon programIcon();

// The icon of a command, the same wherever the command appears: menu, tool bar, window button.
// The icons are drawings of the Breeze icon theme built into the program; an unknown name gives
// an empty icon.
enum class CommandIcon
{
    Customers,
    Service,
    Call,
    Complaint,
    Categories,
    Lookups,
    Users,
    Password,
    Backup,
    Reminders,
    Spreadsheet,
    CustomerReport,
    ListReport,
    Statistics,
    Envelope,
    Label,
    Import,
    Template,
    ClearData,
    Exit,
    Help,
    WebSite,
    About,
    Company,
    Add,
    AddUser,
    Edit,
    Delete,
    Find,
    Refresh,
    Close,
    Save,
    Cancel,
    Ok,
    Columns,
    TreeRoot,
    Folder,
    FolderOpen,
};

QIcon commandIcon(CommandIcon which);

// The name under which the drawing is built in (":/icons/<name>.svg").
QString commandIconName(CommandIcon which);

} // namespace zu
