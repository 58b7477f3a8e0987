#include "tools/landxml-probe/Units.h"

#include "tools/landxml-probe/Paths.h"

#include <optional>

namespace Probe
{
namespace
{

struct Word
{
    const char* name;
    const char* words;
};

constexpr Word kLinearUnits[] = {
    {"meter", "metres"},
    {"millimeter", "millimetres"},
    {"centimeter", "centimetres"},
    {"kilometer", "kilometres"},
    {"foot", "feet"},
    {"USSurveyFoot", "US survey feet"},
    {"inch", "inches"},
    {"mile", "miles"},
};
constexpr Word kAngularUnits[] = {
    {"radians", "radians"},
    {"decimal dd.mm.ss", "degrees, minutes and seconds (dd.mm.ss)"},
    {"decimal degrees", "decimal degrees"},
    {"grads", "gons"},
};
// Pressures the host's hectopascal parser reads as they are, and the millimetres of mercury it
// is asked for by name.
constexpr Word kPressureUnits[] = {
    {"HPA", "hectopascals"},
    {"milliBars", "millibars"},
    {"mmHG", "millimetres of mercury"},
};
constexpr Word kOtherPressureUnits[] = {
    {"inHG", "inches of mercury"},
    {"inchHG", "inches of mercury"},
    {"millimeterHG", "millimetres of mercury"},
};
constexpr Word kTemperatureUnits[] = {
    {"celsius", "degrees Celsius"},
    {"fahrenheit", "degrees Fahrenheit"},
    {"kelvin", "kelvins"},
};

template <std::size_t N> const char* WordsOf(const Word (&table)[N], const std::string& name)
{
    for (const Word& word : table)
        if (name == word.name)
            return word.words;
    return nullptr;
}

// A unit the plug-in does not know, as the document spells it.
std::string Spelled(const std::string& name)
{
    return "\"" + ValidUtf8(name) + "\"";
}

std::string Lengths(const std::optional<std::string>& declared)
{
    if (!declared)
        return "lengths in metres, none declared";
    const char* words = WordsOf(kLinearUnits, *declared);
    if (words == nullptr)
        return "lengths in " + Spelled(*declared) + ", sent as written";
    if (*declared == "meter")
        return "lengths in metres";
    return std::string("lengths in ") + words + ", sent in metres";
}

std::string Angles(const std::optional<std::string>& declared, int code)
{
    const char* asked = code == 0   ? "radians"
                        : code == 1 ? "degrees, minutes and seconds (dd.mm.ss)"
                                    : nullptr;
    const std::string read =
        asked != nullptr ? std::string(asked) : "unit code " + std::to_string(code);
    if (!declared)
        return "angles in " + read + ", none declared";
    const char* words = WordsOf(kAngularUnits, *declared);
    const std::string named = words != nullptr ? words : Spelled(*declared);
    if (words != nullptr && asked != nullptr && named == asked)
        return "angles in " + named;
    const bool scaled = code == 0 && (*declared == "decimal degrees" || *declared == "grads");
    return "angles in " + named + ", read as " + read + (scaled ? " and scaled" : "");
}

std::string Pressure(const std::optional<std::string>& declared, int code)
{
    const char* asked = code == 0 ? "millimetres of mercury" : code == 1 ? "hectopascals" : nullptr;
    const std::string read =
        asked != nullptr ? std::string(asked) : "unit code " + std::to_string(code);
    if (!declared)
        return "pressure in " + read;
    const char* words = WordsOf(kPressureUnits, *declared);
    if (words == nullptr)
        words = WordsOf(kOtherPressureUnits, *declared);
    const std::string named = words != nullptr ? words : Spelled(*declared);
    // Millibars are hectopascals by another name.
    const bool same = named == read || (*declared == "milliBars" && code == 1);
    return "pressure in " + named + (same ? "" : ", read as " + read);
}

std::string Temperatures(const std::optional<std::string>& declared)
{
    if (!declared)
        return "temperatures in the host's own unit";
    const char* words = WordsOf(kTemperatureUnits, *declared);
    const std::string named = words != nullptr ? words : Spelled(*declared);
    if (*declared == "celsius")
        return "temperatures in " + named;
    return "temperatures in " + named + ", read as the host's own unit";
}

} // namespace

std::string UnitsLine(const DeclaredUnits& units, int angleCode, int pressureCode)
{
    return Lengths(units.linear) + "; " + Angles(units.angular, angleCode) + "; " +
           Pressure(units.pressure, pressureCode) + "; " + Temperatures(units.temperature);
}

bool LengthsInMetres(const DeclaredUnits& units)
{
    return units.linear && WordsOf(kLinearUnits, *units.linear) != nullptr;
}

std::vector<UnconvertedUnit> UnconvertedUnits(const DeclaredUnits& units)
{
    std::vector<UnconvertedUnit> found;
    if (units.linear && WordsOf(kLinearUnits, *units.linear) == nullptr)
        found.push_back({"distance", "linearUnit", *units.linear, "metres"});
    if (units.angular && WordsOf(kAngularUnits, *units.angular) == nullptr)
        found.push_back(
            {"angle", "angularUnit", *units.angular, "degrees, minutes and seconds (dd.mm.ss)"});
    if (units.pressure && WordsOf(kPressureUnits, *units.pressure) == nullptr)
        found.push_back({"pressure", "pressureUnit", *units.pressure, "hectopascals"});
    if (units.temperature && *units.temperature != "celsius")
        found.push_back(
            {"temperature", "temperatureUnit", *units.temperature, "the host's own unit"});
    return found;
}

} // namespace Probe
