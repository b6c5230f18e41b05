#include "commands.h"

#include "tfrmmain.h"

#include "customers/tfrmcousttree.h"
#include "customers/tfrmcustom.h"
#include "data/mdichild.h"
#include "maintenance/tfrmbackup.h"
#include "maintenance/tfrmcleardata.h"
#include "users/tfrmuserqx.h"

#include <QMdiArea>

namespace zu {

namespace {

CustomerWindowCommands customerWindowCommands()
{
    return {};
}

void openCustomerWindow(TfrmMain& main)
{
    TfrmCustom* window = ShowMdiChild(main.mdiArea(), TfrmCustom::reference());
    window->setCommands(customerWindowCommands());
}

} // namespace

void installCommands(TfrmMain& main)
{
    TfrmMain* m = &main;
    main.setCustomerWindow([m] { openCustomerWindow(*m); });
    main.setCommand(QStringLiteral("actCustM"), [m] { openCustomerWindow(*m); });
    main.setCommand(QStringLiteral("actType"), [m] {
        showModal<TfrmCoustTree>(m, [](TfrmCoustTree& editor) { editor.FManage = true; });
    });
    main.setCommand(QStringLiteral("actpopedom"), [m] { showModal<TfrmUserQx>(m, [](TfrmUserQx&) {}); });
    main.setCommand(QStringLiteral("actdatabase"), [m] { showModal<TfrmBackUP>(m, [](TfrmBackUP&) {}); });
    main.setCommand(QStringLiteral("N27"), [m] { showModal<TfrmClearData>(m, [](TfrmClearData&) {}); });
}

} // namespace zu
