// ConvertAngle. The first byte chooses the angular unit (bit 0: radians; bit 2: decimal
// degrees, bit 3: gons, both read by the radians parser) and the form of the text (bit 1: raw
// UTF-16 code units, else UTF-8); the rest is the angle text. Properties:
// - nothing is raised, and the angle parser is asked exactly once, unless the text is only
//   white space: then it is not asked and the result is false;
// - the parser sees the text without the white space around it; in radians, decimal degrees and
//   gons unchanged otherwise, in degrees-minutes-seconds re-spelled as the conversion rule says
//   (for degrees of ordinary size; what an extreme degrees value turns into is free, but its
//   text stays short);
// - the result is true exactly when the parser accepted the text or the text holds a full
//   circle in radians (in radians or degrees-minutes-seconds); the value is then the parser's,
//   scaled by pi/180 for decimal degrees and pi/200 for gons (or 0 for the full circle), else 0.

#include "fuzz/ImporterFixture.h"
#include "fuzz/Targets.h"

#include <cmath>
#include <cstdlib>
#include <exception>
#include <locale>
#include <sstream>

namespace Fuzzing
{
namespace
{

constexpr char16_t kFullCircle[] = u"6.28318530718";
// At most this many characters for the degrees written by the re-spelling ("-1.23456789012e-308"
// and the like), whatever the degrees were.
constexpr std::size_t kLongestDegrees = 24;

std::u16string Text16(const Plugin::WideString& text)
{
    return std::u16string(text.begin(), text.end());
}

std::u16string UpToZero(const std::u16string& text)
{
    return text.substr(0, text.find(u'\0'));
}

std::u16string WithoutXmlSpace(std::u16string text)
{
    const auto space = [](char16_t c)
    { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    while (!text.empty() && space(text.back()))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && space(text[start]))
        ++start;
    return text.substr(start);
}

// The text the parser should see in degrees-minutes-seconds mode; sets ordinary to false when
// the degrees are not of ordinary size, so that only the text's shape can be checked.
std::u16string Respelled(std::u16string copy, bool& ordinary)
{
    ordinary = true;
    std::size_t point = copy.find(u'.');
    if (point != std::u16string::npos && point + 4 < copy.size())
    {
        std::string narrow;
        for (std::size_t i = 0; i < point; ++i)
            narrow += copy[i] != 0 && copy[i] < 0x80 ? static_cast<char>(copy[i]) : '\x01';
        double degrees = std::strtod(narrow.c_str(), nullptr);
        if (!std::isfinite(degrees) || std::fabs(degrees) >= 1e15)
            ordinary = false;
        else if (degrees > 360.0)
        {
            // Repeated subtraction of 360 is exact for such values: the remainder is the same.
            degrees = std::fmod(degrees, 360.0);
            if (degrees == 0.0)
                degrees = 360.0;
        }
        std::ostringstream stream;
        stream.imbue(std::locale::classic());
        stream.precision(12);
        stream << degrees;
        std::u16string written;
        for (const char c : stream.str())
            written += static_cast<char16_t>(c);
        copy.replace(0, point, written);
    }
    point = copy.find(u'.');
    if (point != std::u16string::npos && point + 4 < copy.size())
    {
        copy.insert(point + 3, 1, u'.');
        copy.insert(point + 6, 1, u'.');
    }
    return copy;
}

} // namespace

Findings ConvertAngleText(const std::uint8_t* data, std::size_t size)
{
    Findings findings;
    if (size == 0)
        return findings;
    constexpr double kPi = 3.14159265358979323846;
    const bool degrees = (data[0] & 4) != 0;
    const bool gons = !degrees && (data[0] & 8) != 0;
    const bool radians = !degrees && !gons && (data[0] & 1) != 0;
    const bool rawUnits = (data[0] & 2) != 0;
    const double scale = degrees ? kPi / 180.0 : gons ? kPi / 200.0 : 1.0;
    const char* const unit = degrees   ? "decimal degrees"
                             : gons    ? "grads"
                             : radians ? "radians"
                                       : "decimal dd.mm.ss";
    ImporterFixture fixture(std::string("<Units><Metric angularUnit=\"") + unit + "\"/></Units>");
    Plugin::CLandXMLImporter& importer = fixture.Importer();
    try
    {
        const Plugin::WideString text = InputText(fixture, data + 1, size - 1, rawUnits);
        const std::size_t before = fixture.Recorded();
        double value = -1.0;
        const bool converted = importer.ConvertAngle(text, value);
        const auto calls = fixture.ParseCallsSince(before);
        const std::u16string number = WithoutXmlSpace(Text16(text));
        if (number.empty())
        {
            if (!calls.empty() || converted || value != 0.0)
                findings.push_back("a text of white space only was taken for an angle");
        }
        else if (calls.size() != 1 || calls.back().kind != "angle")
        {
            findings.push_back("ConvertAngle did not ask the angle parser exactly once");
        }
        else
        {
            const ImporterFixture::ParseCall& call = calls.back();
            bool ordinary = true;
            const std::u16string expected =
                scale != 1.0 || radians ? number : Respelled(number, ordinary);
            if (ordinary && call.text != UpToZero(expected))
                findings.push_back("the angle parser saw another text than the re-spelled one");
            if (call.text.size() > text.size() + 2 + kLongestDegrees)
                findings.push_back("the re-spelled angle text grew by " +
                                   std::to_string(call.text.size() - text.size()) + " characters");
            const std::u16string& copy = ordinary ? expected : call.text;
            const bool fullCircle = scale == 1.0 && copy.find(kFullCircle) != std::u16string::npos;
            if (call.accepted)
            {
                if (!converted || value != call.value * scale)
                    findings.push_back("an accepted angle was not passed on as parsed");
            }
            else if (converted != fullCircle)
            {
                findings.push_back(converted ? "a rejected angle was taken as converted"
                                             : "a full circle in radians was not taken as 0");
            }
            else if (value != 0.0)
            {
                findings.push_back("a rejected angle or a full circle left a value other than 0");
            }
        }
    }
    catch (const std::exception& error)
    {
        findings.push_back(std::string("ConvertAngle raised: ") + error.what());
    }
    for (const std::string& problem : fixture.Finish())
        findings.push_back("host: " + problem);
    return findings;
}

} // namespace Fuzzing
