#include "plugin/HostBoundary.h"

namespace Plugin
{
namespace
{

thread_local Held* newest = nullptr;

} // namespace

Held::Held(void* listed, void (*releaseListed)(void*))
    : object(listed), release(releaseListed), older(newest)
{
    newest = this;
}

Held::~Held()
{
    newest = older;
}

Held* Held::Newest()
{
    return newest;
}

void Held::ReleaseAfter(Held* mark)
{
    while (newest != nullptr && newest != mark)
    {
        Held* entry = newest;
        newest = entry->older;
        entry->release(entry->object);
    }
}

} // namespace Plugin
