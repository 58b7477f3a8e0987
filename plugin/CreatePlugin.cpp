#include "platform/Platform.h"
#include "plugin/ImportPlugin.h"

LANDXML_EXPORT Plugin::IGroundBasedMIP* CreatePlugin()
{
    return Plugin::CImportPluginImpl::Create();
}
