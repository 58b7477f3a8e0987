#include "plugin/ImportPlugin.h"

#include "import/HostBoundary.h"
#include "platform/Platform.h"
#include "plugin/ImportDriver.h"

#include <new>

namespace Plugin
{

IGroundBasedMIP* CImportPluginImpl::Create()
{
    auto* plugin = new (std::nothrow) CImportPluginImpl();
    if (plugin != nullptr)
        plugin->AddRef();
    return plugin;
}

void* CImportPluginImpl::GetInterface(int kind)
{
    if (kind < 0 || kind > 2)
        return nullptr;
    AddRef();
    return static_cast<IGroundBasedMIP*>(this);
}

BSTR CImportPluginImpl::GetName()
{
    return Platform::AllocateBstr(WIDE_TEXT("HexagonLandXML"));
}

#if defined(_WIN32) && !defined(_MSC_VER)
GUID* CImportPluginImpl::GetId(GUID* result)
{
    *result = kPluginId;
    return result;
}
#else
GUID CImportPluginImpl::GetId()
{
    return kPluginId;
}
#endif

int CImportPluginImpl::GetVersion()
{
    return 1;
}

IPropertyListViewController* CImportPluginImpl::GetPropertyListController()
{
    return this;
}

BSTR CImportPluginImpl::GetFileFilter()
{
    return Platform::AllocateBstr(WIDE_TEXT("*.xml"));
}

BSTR CImportPluginImpl::GetFormatName()
{
    // Through the table, as a host-visible override of slot 3 would expect.
    IPlugin* self = this;
    return self->GetName();
}

void CImportPluginImpl::Import(IPathEnumerator* paths, IImportSink* sink)
{
    // Each file's failure is reported to the sink; nothing of the plug-in's own leaves here.
    AtHostBoundary([&] { ImportFiles(*paths, *sink, &considerPrismConstant); });
}

} // namespace Plugin
