#include "platform/servers/Servers.h"

void RegisterPlatformOleServers()
{
    RegisterOleServer("Microsoft.XMLDOM", NewXmlDocument);
    RegisterOleServer("Word.Application", NewWordApplication);
    RegisterOleServer("ADODB.Connection", NewAdoConnection);
    RegisterOleServer("ADODB.RecordSet", NewAdoRecordSet);
}
