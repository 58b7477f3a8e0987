#include "import/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace Plugin
{

// to_chars with a precision is specified as printf in the C locale.
void AppendGeneral12(WideText& text, double value)
{
    // A whole number below 10^12 is written as its digits, as the general format writes it; the
    // integer conversion is many times cheaper. Image notes write distances that are all 0.
    if (std::fabs(value) < 1e12 && value == std::floor(value))
    {
        if (std::signbit(value))
            text += WideChar('-');
        const auto whole = static_cast<std::uint64_t>(std::fabs(value));
        char integer[16];
        const std::to_chars_result written =
            std::to_chars(integer, integer + sizeof integer, whole);
        for (const char* c = integer; c != written.ptr; ++c)
            text += static_cast<WideChar>(*c);
        return;
    }
    char digits[64];
    const std::to_chars_result result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 12);
    for (const char* c = digits; c != result.ptr; ++c)
        text += static_cast<WideChar>(*c);
}

} // namespace Plugin
