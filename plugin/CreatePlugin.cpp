#include "platform/Platform.h"
#include "plugin/ImportPlugin.h"

LANDXML_EXPORT Plugin::IGroundBasedMIP* CreatePlugin()
{
    auto* plugin = new Plugin::CImportPluginImpl();
    plugin->AddRef();
    return plugin;
}
