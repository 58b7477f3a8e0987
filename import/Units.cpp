// The document's units choose the host's four value parsers and what their results are scaled by.

#include "import/HostBoundary.h"
#include "import/LandXMLImporter.h"

namespace Plugin
{
namespace
{

// The factory's reference, dropped when the parsers are had, or when a request fails or a host's
// exception passes.
struct FactoryReference
{
    explicit FactoryReference(IValueParserFactory* host) : factory(host) {}
    FactoryReference(const FactoryReference&) = delete;
    FactoryReference& operator=(const FactoryReference&) = delete;
    ~FactoryReference() { factory->Release(); }

    IValueParserFactory* factory;
    Held held{*this};
};

constexpr double kPi = 3.14159265358979323846;

// The metres of one unit of each linear unit LandXML names; a name not listed keeps lengths as
// they are written.
struct LinearUnit
{
    const char* name;
    double metres;
};
constexpr LinearUnit kLinearUnits[] = {
    {"meter", 1.0},        {"millimeter", 0.001}, {"centimeter", 0.01},
    {"kilometer", 1000.0}, {"foot", 0.3048},      {"USSurveyFoot", 1200.0 / 3937.0},
    {"inch", 0.0254},      {"mile", 1609.344},
};

// The units element of the document: its first child named "Metric" or "Imperial", whichever
// comes first. Both carry the same attributes.
const Node* UnitSystem(const Node* units)
{
    for (const Node* child = units->first_node(); child != nullptr; child = child->next_sibling())
        if (NameIs(child, "Metric") || NameIs(child, "Imperial"))
            return child;
    return nullptr;
}

} // namespace

void CLandXMLImporter::ReadUnits(const Node* units)
{
    angularUnit = 1;
    angleScale = 1.0;
    lengthScale = 1.0;
    int pressureUnit = 1;
    if (const Node* system = units != nullptr ? UnitSystem(units) : nullptr)
    {
        if (ValueIs(FindAttribute(system, "pressureUnit"), "mmHG"))
            pressureUnit = 0;
        // Decimal degrees and gons go to the radians parser unchanged; its result is scaled
        // into the angle the document means.
        const Attribute* angular = FindAttribute(system, "angularUnit");
        if (ValueIs(angular, "radians"))
        {
            angularUnit = 0;
        }
        else if (ValueIs(angular, "decimal degrees"))
        {
            angularUnit = 0;
            angleScale = kPi / 180.0;
        }
        else if (ValueIs(angular, "grads"))
        {
            angularUnit = 0;
            angleScale = kPi / 200.0;
        }
        const Attribute* linear = FindAttribute(system, "linearUnit");
        for (const LinearUnit& unit : kLinearUnits)
            if (ValueIs(linear, unit.name))
                lengthScale = unit.metres;
    }
    const FactoryReference factory(sink->GetValueParserFactory());
    distanceParser.Reset(factory.factory->GetDistanceParser(0));
    angleParser.Reset(factory.factory->GetAngleParser(angularUnit));
    pressureParser.Reset(factory.factory->GetPressureParser(pressureUnit));
    temperatureParser.Reset(factory.factory->GetTemperatureParser(0));
}

bool CLandXMLImporter::ParseLength(const WideText& text, double& metres) const
{
    if (!distanceParser.Parse(text, &metres))
        return false;
    metres *= lengthScale;
    return true;
}

} // namespace Plugin
