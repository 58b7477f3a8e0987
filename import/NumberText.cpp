#include "import/NumberText.h"

#include <charconv>

namespace Plugin
{

// to_chars with a precision is specified as printf in the C locale.
void AppendGeneral12(WideText& text, double value)
{
    char digits[64];
    const std::to_chars_result result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 12);
    for (const char* c = digits; c != result.ptr; ++c)
        text += static_cast<WideChar>(*c);
}

} // namespace Plugin
