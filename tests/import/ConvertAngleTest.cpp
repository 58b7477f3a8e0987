// Angle texts on their way to the host's angle parser: degrees-minutes-seconds re-spelled, a
// full circle in radians taken as zero.

#include "import/LandXMLImporter.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <rapidxml/rapidxml.hpp>
#include <string>

namespace
{

using Plugin::WideString;

WideString Wide(const std::string& ascii)
{
    return WideString(ascii.begin(), ascii.end());
}

std::string Narrow(const std::u16string& text)
{
    return Host::ToUtf8(text);
}

// An importer whose units came from the given Units element text ("" for none), with the
// recording host's parsers.
class AngleImport
{
public:
    explicit AngleImport(std::string units = "") : buffer(std::move(units))
    {
        if (buffer.empty())
        {
            importer.ReadUnits(nullptr);
        }
        else
        {
            document.parse<0>(buffer.data());
            importer.ReadUnits(document.first_node("Units"));
        }
        for (const Host::Call& call : record.Calls())
            if (call.method == "GetAngleParser")
                angleUnitCode = std::get<int>(call.arguments.at(0));
        record.Clear();
    }

    // What ConvertAngle made of the text: its result, the value and the text the parser saw.
    struct Outcome
    {
        bool converted;
        double value;
        std::string parsed; // the parser's argument; "<none>" when it was not called
    };
    Outcome Convert(const std::string& text, double initial = 99.0)
    {
        record.Clear();
        double value = initial;
        const bool converted = importer.ConvertAngle(Wide(text), value);
        std::string parsed = "<none>";
        for (const Host::Call& call : record.Calls())
            if (call.object == "angle" && call.method == "Parse")
                parsed = Narrow(std::get<Host::Text>(call.arguments.at(0)).value);
        return {converted, value, parsed};
    }

    Host::Recorder record;
    Host::Sink host{record};
    bool setting = true;
    Plugin::CLandXMLImporter importer{&host, &setting, Wide("job.xml")};
    int angleUnitCode = -1; // as the importer asked the host for its angle parser

private:
    std::string buffer;
    rapidxml::xml_document<> document;
};

const char kRadians[] = "<Units><Metric angularUnit=\"radians\"/></Units>";
const char kGrads[] = "<Units><Metric angularUnit=\"grads\"/></Units>";
const char kDegrees[] = "<Units><Imperial angularUnit=\"decimal degrees\"/></Units>";

// Degrees, minutes and seconds as the host's d.mm.ss reading yields them.
double Dms(double degrees, double minutes, double seconds)
{
    return degrees + minutes / 60.0 + seconds / 3600.0;
}

TEST(ConvertAngle, DegreesMinutesSecondsAreRespelledForTheParser)
{
    struct Case
    {
        const char* text;
        const char* parsed;
        std::optional<double> value; // unset: the parser rejects the text
    };
    const Case cases[] = {
        {"123.453012", "123.45.30.12", Dms(123, 45, 30.12)},
        {"123.4530", "123.45.30.", Dms(123, 45, 30)},
        {"45.30", "45.30", 45.3},        // two characters after the point: unchanged
        {"45.301", "45.301", 45.301},    // three: unchanged
        {"400.301", "400.301", 400.301}, // not even the degrees
        {"123", "123", 123.0},           // no point: unchanged
        {"370.0000", "10.00.00.", 10.0}, // degrees above 360 lose whole circles
        {"400.1000", "40.10.00.", Dms(40, 10, 0)},
        {"720.0000", "360.00.00.", 360.0},
        {"360.0000", "360.00.00.", 360.0},
        {"0.0000", "0.00.00.", 0.0},
        {"-400.0000", "-400.00.00.", -400.0}, // negative degrees are not reduced
        {"1e5.0000", "280.00.00.", 280.0},    // the degrees' exponent is read: 100000 degrees
        // Degrees written in exponent form bring a point of their own, where the separators go.
        {"12e-6.0000", "1.2e.-0.5.0000", std::nullopt},
        {"0400.0000", "40.00.00.", 40.0},             // the degrees are written anew
        {"+370.0000", "10.00.00.", 10.0},             // a sign as the C library reads it
        {"12abc.3456", "12.34.56.", Dms(12, 34, 56)}, // the number stops at the first non-digit
        {"abc.3456", "0.34.56.", Dms(0, 34, 56)},     // no digits read as 0
        {".3456", "0.34.56.", Dms(0, 34, 56)},
        {"123.45.30", "123.45..3.0", std::nullopt}, // already separated: dots inserted again
        // White space around the number is not part of it; nothing is no number.
        {" 123.4530\r\n", "123.45.30.", Dms(123, 45, 30)},
        {"\t370.0000 ", "10.00.00.", 10.0},
        {"", "<none>", std::nullopt},
        {" \n\t", "<none>", std::nullopt},
    };
    for (const Case& c : cases)
    {
        AngleImport import;
        const AngleImport::Outcome outcome = import.Convert(c.text);
        EXPECT_EQ(outcome.parsed, c.parsed) << c.text;
        EXPECT_EQ(outcome.converted, c.value.has_value()) << c.text;
        if (c.value && outcome.converted)
        {
            EXPECT_DOUBLE_EQ(outcome.value, *c.value) << c.text;
        }
    }
}

TEST(ConvertAngle, ExtremeDegreesTerminate)
{
    // Infinities and NaN stay as they are; a huge finite value ends inside (0, 360].
    struct Case
    {
        const char* text;
        const char* parsed; // nullptr: checked by range only
    };
    const Case cases[] = {
        {"inf.0000", "inf.00.00."},
        {"-inf.0000", "-inf.00.00."},
        {"infinity.0000", "inf.00.00."},
        {"nan.0000", "nan.00.00."},
        {"1e400.0000", "inf.00.00."},
        {"1e308.0000", nullptr},
        {"17976931348623157e292.0000", nullptr},
        {"9007199254740993.0000", nullptr},
    };
    for (const Case& c : cases)
    {
        AngleImport import;
        const AngleImport::Outcome outcome = import.Convert(c.text);
        if (c.parsed != nullptr)
        {
            EXPECT_EQ(outcome.parsed, c.parsed) << c.text;
            continue;
        }
        const double degrees = std::strtod(outcome.parsed.c_str(), nullptr);
        EXPECT_GT(degrees, 0.0) << c.text << " -> " << outcome.parsed;
        EXPECT_LE(degrees, 360.0) << c.text << " -> " << outcome.parsed;
    }
}

// The parser's text without the two separators the re-spelling inserts after the first point
// (two and four digits after it); "<bad>" when they are not where they belong.
std::string WithoutSeparators(std::string text)
{
    const std::size_t point = text.find('.');
    if (point == std::string::npos || text.size() <= point + 6 || text[point + 3] != '.' ||
        text[point + 6] != '.')
        return "<bad>";
    text.erase(point + 6, 1);
    text.erase(point + 3, 1);
    return text;
}

TEST(ConvertAngle, ReductionEqualsRepeatedSubtraction)
{
    // Degrees with fractional parts reach the degrees field only in exponent form: every
    // 0.37 degrees from 0 to 100000.
    int compared = 0;
    AngleImport import;
    for (long hundredths = 0; hundredths <= 10000000; hundredths += 37)
    {
        const std::string degreesText = std::to_string(hundredths) + "e-2";
        double reference = std::strtod(degreesText.c_str(), nullptr);
        while (reference > 360.0)
            reference -= 360.0;
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.12g.3012", reference);

        const AngleImport::Outcome outcome = import.Convert(degreesText + ".3012");
        ASSERT_EQ(WithoutSeparators(outcome.parsed), expected) << degreesText;
        ++compared;
    }
    EXPECT_GT(compared, 270000);
}

TEST(ConvertAngle, DecimalDegreesAndGonsArriveAsTheAnglesTheyAre)
{
    // The radians parser reads the text as written; the host receives the angle it means, in
    // the degrees the host's parsers yield.
    const struct
    {
        const char* units;
        const char* text;
        const char* parsed;
        double degrees;
    } cases[] = {
        {kDegrees, "45.1234", "45.1234", 45.1234},
        {kDegrees, "359.999999", "359.999999", 359.999999},
        {kDegrees, "-12.5", "-12.5", -12.5},
        {kDegrees, "400", "400", 400.0}, // not reduced: only the d.mm.ss degrees are
        {kGrads, "100.0000", "100.0000", 90.0},
        {kGrads, "133.3333", "133.3333", 119.99997},
        {kGrads, "399.9999", "399.9999", 359.99991},
        {kGrads, "0", "0", 0.0},
        {kGrads, " 50 ", "50", 45.0},
    };
    for (const auto& c : cases)
    {
        AngleImport import(c.units);
        EXPECT_EQ(import.angleUnitCode, 0) << c.units;
        const AngleImport::Outcome outcome = import.Convert(c.text);
        EXPECT_EQ(outcome.parsed, c.parsed) << c.text;
        EXPECT_TRUE(outcome.converted) << c.text;
        EXPECT_NEAR(outcome.value, c.degrees, 1e-9) << c.text;
    }
}

TEST(ConvertAngle, RadiansReachTheParserUnchanged)
{
    AngleImport radians(kRadians);
    EXPECT_EQ(radians.angleUnitCode, 0);
    const char* const texts[] = {"1.5707963268", "370.0000", "123.453012", "0.5"};
    for (const char* text : texts)
    {
        const AngleImport::Outcome outcome = radians.Convert(text);
        EXPECT_EQ(outcome.parsed, text);
        EXPECT_TRUE(outcome.converted) << text;
    }
    // The host's radians parser yields degrees.
    EXPECT_NEAR(radians.Convert("1.5707963268").value, 90.0, 1e-8);
}

TEST(ConvertAngle, RejectedFullCircleInRadiansIsZero)
{
    // The host's parser rejects anything but a number; the text as the parser saw it decides.
    const struct
    {
        const char* units;
        const char* text;
        const char* parsed;
        bool converted;
    } cases[] = {
        {kRadians, "6.28318530718 rad", "6.28318530718 rad", true},
        {kRadians, "x6.28318530718y", "x6.28318530718y", true}, // contained anywhere
        {kRadians, "-6.283185307180rad", "-6.283185307180rad", true},
        {kRadians, "6.2831853071x", "6.2831853071x", false}, // twelve characters do not count
        {kRadians, "1.5x", "1.5x", false},
        // In degrees mode the text is re-spelled first, so the full circle is not recognised.
        {"", "6.28318530718x", "6.28.31.8530718x", false},
        // In decimal degrees and gons the number is no full circle.
        {kGrads, "6.28318530718x", "6.28318530718x", false},
        {kDegrees, "x6.28318530718", "x6.28318530718", false},
    };
    for (const auto& c : cases)
    {
        AngleImport import(c.units);
        const AngleImport::Outcome outcome = import.Convert(c.text);
        EXPECT_EQ(outcome.parsed, c.parsed) << c.text;
        EXPECT_EQ(outcome.converted, c.converted) << c.text;
        if (c.converted)
        {
            EXPECT_EQ(outcome.value, 0.0) << c.text;
        }
    }
}

TEST(ConvertAngle, AcceptedFullCircleKeepsTheParsersValue)
{
    AngleImport radians(kRadians);
    const AngleImport::Outcome outcome = radians.Convert("6.28318530718");
    EXPECT_TRUE(outcome.converted);
    EXPECT_NEAR(outcome.value, 360.0, 1e-9);
}

} // namespace
