// The prize-draw program: the main window over the application's database in the current
// directory, on the desktop when a display is reachable (headless otherwise).

#include "RudUvud/xlsadapter/XlsAutomationServer.h"
#include "app/DatabaseDrawStore.h"
#include "app/MainForm.h"
#include "platform/backend/Start.h"
#include "platform/forms/Forms.h"
#include "platform/servers/Servers.h"

int main()
{
    StartPlatformBackend();
    Application->Initialize();
    // The word-processor documents of the export are written through the platform's server.
    RegisterPlatformOleServers();
    // The grid's spreadsheet exchange finds the xls engine as the spreadsheet server.
    RegisterXlsOleServer();
    SetDrawStore(CreateDatabaseDrawStore());
    TMainForm* MainForm = nullptr;
    Application->CreateForm(MainForm);
    Application->Run();
    // Whatever way the window closed, nothing pending is left behind.
    DrawStore()->Close();
    return 0;
}
