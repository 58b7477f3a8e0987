#include "plugin/StringTable.h"

#include "platform/Platform.h"

namespace Plugin
{

WideString LoadText(unsigned id)
{
    WideString text;
    if (!Platform::LoadStringResource(id, text))
        text.clear();
    return text;
}

} // namespace Plugin
