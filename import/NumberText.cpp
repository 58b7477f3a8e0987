#include "import/NumberText.h"

#include <charconv>

namespace Plugin
{

void AppendGeneral12(WideString& text, double value)
{
    // to_chars with a precision is specified as printf in the C locale.
    char digits[64];
    const std::to_chars_result result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 12);
    text.append(digits, result.ptr);
}

} // namespace Plugin
