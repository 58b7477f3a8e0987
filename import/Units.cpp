// The document's units choose the host's four value parsers.

#include "import/LandXMLImporter.h"
#include "plugin/HostBoundary.h"

namespace Plugin
{
namespace
{

struct FactoryReference
{
    IValueParserFactory* factory;
    ~FactoryReference() { factory->Release(); }
};

} // namespace

void CLandXMLImporter::ReadUnits(const Node* units)
{
    angularUnit = 1;
    int pressureUnit = 1;
    if (const Node* metric = units != nullptr ? FindChild(units, "Metric") : nullptr)
    {
        if (ValueIs(FindAttribute(metric, "pressureUnit"), "mmHG"))
            pressureUnit = 0;
        const Attribute* angular = FindAttribute(metric, "angularUnit");
        if (ValueIs(angular, "radians"))
            angularUnit = 0;
        else if (ValueIs(angular, "decimal dd.mm.ss"))
            angularUnit = 1;
    }
    // The factory's reference is dropped even when a request fails.
    const FactoryReference factory{sink->GetValueParserFactory()};
    const Held heldFactory(factory);
    distanceParser.Reset(factory.factory->GetDistanceParser(0));
    angleParser.Reset(factory.factory->GetAngleParser(angularUnit));
    pressureParser.Reset(factory.factory->GetPressureParser(pressureUnit));
    temperatureParser.Reset(factory.factory->GetTemperatureParser(0));
}

} // namespace Plugin
