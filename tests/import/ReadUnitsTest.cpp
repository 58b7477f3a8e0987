// The document's units choose the unit codes of the host's parser requests.

#include "tests/import/ImportLines.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace
{

using Testing::ImportDocument;
using Testing::LandXml;
using Testing::LinesStartingWith;

// The factory's requests of one import, in order.
std::vector<std::string> FactoryCalls(const std::string& body)
{
    return LinesStartingWith(ImportDocument(LandXml(body)), "factory.");
}

std::vector<std::string> Requests(int angleCode, int pressureCode)
{
    return {"factory.GetDistanceParser(0)",
            "factory.GetAngleParser(" + std::to_string(angleCode) + ")",
            "factory.GetPressureParser(" + std::to_string(pressureCode) + ")",
            "factory.GetTemperatureParser(0)", "factory.Release()"};
}

TEST(ReadUnits, UnitNamesChooseAngleAndPressureCodes)
{
    struct Case
    {
        const char* body;
        int angleCode;
        int pressureCode;
    };
    const Case cases[] = {
        {"", 1, 1},
        {"<Units/>", 1, 1},
        {"<Units><Imperial angularUnit=\"radians\" pressureUnit=\"mmHG\"/></Units>", 0, 0},
        {"<Units><Metric angularUnit=\"radians\"/></Units>", 0, 1},
        {"<Units><Metric angularUnit=\"decimal dd.mm.ss\"/></Units>", 1, 1},
        // Gons and decimal degrees are read by the radians parser.
        {"<Units><Metric angularUnit=\"grads\"/></Units>", 0, 1},
        {"<Units><Metric angularUnit=\"decimal degrees\"/></Units>", 0, 1},
        {"<Units><Metric angularUnit=\"Grads\"/></Units>", 1, 1},
        {"<Units><Metric angularUnit=\"Radians\"/></Units>", 1, 1},
        {"<Units><Metric angularUnit=\"radians \"/></Units>", 1, 1},
        {"<Units><Metric pressureUnit=\"mmHG\"/></Units>", 1, 0},
        {"<Units><Metric pressureUnit=\"HPA\"/></Units>", 1, 1},
        {"<Units><Metric pressureUnit=\"hPa\"/></Units>", 1, 1},
        {"<Units><Metric pressureUnit=\"inHG\"/></Units>", 1, 1},
        {"<Units><Metric pressureUnit=\"mmHg\"/></Units>", 1, 1},
        {"<Units><Metric pressureUnit=\"\"/></Units>", 1, 1},
        {"<Units><Metric angularUnit=\"radians\" pressureUnit=\"mmHG\"/></Units>", 0, 0},
        // Only the first Metric or Imperial, and only the first attribute of a name, counts.
        {"<Units><Metric/><Metric angularUnit=\"radians\" pressureUnit=\"mmHG\"/></Units>", 1, 1},
        {"<Units><Imperial/><Metric pressureUnit=\"mmHG\"/></Units>", 1, 1},
        {"<Units><Metric/><Imperial angularUnit=\"radians\"/></Units>", 1, 1},
        {"<Units><!-- m --><Area/><Imperial pressureUnit=\"mmHG\"/><Metric/></Units>", 1, 0},
        {"<Units><Metric angularUnit=\"radians\" angularUnit=\"grads\"/></Units>", 0, 1},
        {"<Units><Metric pressureUnit=\"HPA\" pressureUnit=\"mmHG\"/></Units>", 1, 1},
        // Names are exact: a prefixed or differently spelled element is not the units.
        {"<Units><lx:Metric angularUnit=\"radians\"/></Units>", 1, 1},
        {"<UNITS><Metric angularUnit=\"radians\" pressureUnit=\"mmHG\"/></UNITS>", 1, 1},
        // Only the first Units element is read.
        {"<Units/><Units><Metric angularUnit=\"radians\"/></Units>", 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FactoryCalls(c.body), Requests(c.angleCode, c.pressureCode)) << c.body;
}

TEST(ReadUnits, ParsersAreRequestedBeforeAnySectionIsRead)
{
    // Units written last still come first: the points need the distance parser.
    const std::vector<std::string> lines =
        ImportDocument(LandXml("<CgPoints><CgPoint name=\"P1\">1 2 3</CgPoint></CgPoints>"
                               "<Units><Metric angularUnit=\"radians\"/></Units>"));
    const auto factory = std::find(lines.begin(), lines.end(), "GetValueParserFactory()");
    const auto point = std::find(lines.begin(), lines.end(), "AddPoint(\"P1\")");
    ASSERT_NE(factory, lines.end());
    ASSERT_NE(point, lines.end());
    EXPECT_LT(factory, point);
    EXPECT_EQ(LinesStartingWith(lines, "factory.GetAngleParser"),
              std::vector<std::string>{"factory.GetAngleParser(0)"});
}

} // namespace
