// Angle texts for the host's angle parser: degrees-minutes-seconds are re-spelled first.

#include "import/LandXMLImporter.h"
#include "import/NumberText.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace Plugin
{
namespace
{

// The leading number of a text as the C library's wcstod reads it (blanks, sign, digits,
// decimal part, exponent; 0 without digits). The text holds no '.', so the decimal point of the
// current locale cannot take part: every character that could be one stops the number.
double LeadingNumber(const WideString& text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (const WideChar c : text)
    {
        const bool kept = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                          (c >= 'A' && c <= 'Z') || c == '+' || c == '-' || c == ' ' ||
                          (c >= '\t' && c <= '\r');
        narrow += kept ? static_cast<char>(c) : '\x01';
    }
    return std::strtod(narrow.c_str(), nullptr);
}

// Subtracts 360 while the value is greater than 360. For values of ordinary size every
// subtraction is exact, so the remainder gives the same result in one step; infinities and NaN
// are left as they are.
double ReduceDegrees(double degrees)
{
    if (!std::isfinite(degrees) || degrees <= 360.0)
        return degrees;
    const double rest = std::fmod(degrees, 360.0);
    return rest == 0.0 ? 360.0 : rest;
}

// The degrees re-spelled: the reduced number with 12 significant digits. Degrees written as up to
// 15 plain digits are integers held exactly, so the reduction is integer arithmetic and the
// number is written as its digits, as the general format writes such an integer.
WideString RespellDegrees(const WideString& degrees)
{
    constexpr std::size_t kExactDigits = 15;
    bool digits = !degrees.empty() && degrees.size() <= kExactDigits;
    std::uint64_t value = 0;
    for (std::size_t i = 0; digits && i < degrees.size(); ++i)
    {
        const WideChar c = degrees[i];
        digits = c >= '0' && c <= '9';
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    WideString text;
    if (!digits)
    {
        AppendGeneral12(text, ReduceDegrees(LeadingNumber(degrees)));
        return text;
    }
    if (value > 360)
        value = value % 360 == 0 ? 360 : value % 360;
    const std::string written = std::to_string(value);
    return WideString(written.begin(), written.end());
}

} // namespace

bool CLandXMLImporter::ConvertAngle(const WideString& text, double& value) const
{
    value = 0.0;
    WideString copy = text;
    if (angularUnit == 1)
    {
        std::size_t point = copy.find(WideChar('.'));
        if (point != WideString::npos && point + 4 < copy.size())
        {
            copy.replace(0, point, RespellDegrees(copy.substr(0, point)));
        }
        point = copy.find(WideChar('.'));
        if (point != WideString::npos && point + 4 < copy.size())
        {
            copy.insert(point + 3, 1, WideChar('.'));
            copy.insert(point + 6, 1, WideChar('.'));
        }
    }
    if (angleParser.Parse(copy, &value))
        return true;
    if (copy.find(WIDE_TEXT("6.28318530718")) != WideString::npos)
    {
        // A full circle in radians is the zero direction.
        value = 0.0;
        return true;
    }
    return false;
}

} // namespace Plugin
