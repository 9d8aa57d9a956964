#pragma once

// The draw store over the application's database (the tables of AppTables.h).

#include "app/DrawStore.h"

std::unique_ptr<TDrawStore> CreateDatabaseDrawStore();
