#pragma once

// Registers the platform's automation servers (see README.md) with the server registry of
// platform/win/Automation.h. Safe to call more than once.
void RegisterPlatformOleServers();

// The server objects' factories, for tests and for registering under other names.
#include "platform/win/Automation.h"
std::shared_ptr<TAutoObject> NewXmlDocument();
std::shared_ptr<TAutoObject> NewWordApplication();
std::shared_ptr<TAutoObject> NewAdoConnection();
std::shared_ptr<TAutoObject> NewAdoRecordSet();
