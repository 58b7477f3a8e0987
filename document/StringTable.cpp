#include "document/StringTable.h"

#include "platform/Platform.h"

namespace Plugin
{

WideText LoadText(unsigned id)
{
    std::basic_string_view<WideChar> text;
    return Platform::LoadStringResource(id, text) ? WideText(text) : WideText();
}

} // namespace Plugin
