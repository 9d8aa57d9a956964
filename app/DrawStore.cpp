#include "app/DrawStore.h"

namespace {

std::unique_ptr<TDrawStore>& Current()
{
    static std::unique_ptr<TDrawStore> Store;
    return Store;
}

} // namespace

TDrawStore* DrawStore()
{
    return Current().get();
}

void SetDrawStore(std::unique_ptr<TDrawStore> Store)
{
    Current() = std::move(Store);
}
