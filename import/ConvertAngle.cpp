// Angle texts for the host's angle parser: degrees-minutes-seconds are re-spelled first, decimal
// degrees and gons scaled from what the radians parser reads.

#include "import/LandXMLImporter.h"
#include "import/NumberText.h"

#include <charconv>
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
double LeadingNumber(WideView text)
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
void AppendRespelledDegrees(WideText& text, WideView degrees)
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
    if (!digits)
    {
        AppendGeneral12(text, ReduceDegrees(LeadingNumber(degrees)));
        return;
    }
    if (value > 360)
        value = value % 360 == 0 ? 360 : value % 360;
    char written[24];
    const std::to_chars_result result = std::to_chars(written, written + sizeof written, value);
    for (const char* c = written; c != result.ptr; ++c)
        text += static_cast<WideChar>(*c);
}

} // namespace

bool CLandXMLImporter::ConvertAngle(WideView text, double& value) const
{
    value = 0.0;
    // ddd.mmss…: the degrees reduced, then the minutes and the seconds as ddd.mm.ss…
    const auto dotAt = [](WideView angle)
    {
        const std::size_t point = angle.find(WideChar('.'));
        return point != WideView::npos && point + 4 < angle.size() ? point : WideView::npos;
    };
    // The number is what lies between the white space around it.
    WideView angle = WithoutXmlSpace(text);
    if (angle.empty())
        return false;
    WideText reduced;
    std::size_t point = angularUnit == 1 ? dotAt(angle) : WideView::npos;
    if (point != WideView::npos)
    {
        AppendRespelledDegrees(reduced, angle.substr(0, point));
        reduced += angle.substr(point);
        angle = reduced;
        point = dotAt(angle);
    }
    WideText respelled;
    if (point != WideView::npos)
    {
        respelled += angle.substr(0, point + 3);
        respelled += WideChar('.');
        respelled += angle.substr(point + 3, 2);
        respelled += WideChar('.');
        respelled += angle.substr(point + 5);
    }
    else
    {
        respelled += angle;
    }
    if (angleParser.Parse(respelled, &value))
    {
        value *= angleScale;
        return true;
    }
    if (angleScale == 1.0 && respelled.View().find(WIDE_TEXT("6.28318530718")) != WideView::npos)
    {
        // A full circle in radians is the zero direction; in degrees or gons it is no circle.
        value = 0.0;
        return true;
    }
    return false;
}

} // namespace Plugin
