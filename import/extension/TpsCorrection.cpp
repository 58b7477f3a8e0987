#include "import/LandXMLImporter.h"

namespace Plugin
{

void CLandXMLImporter::ReadTpsCorrection(const Node* correction)
{
    const Attribute* details = FindAttribute(correction, "instrumentDetailsID");
    if (details == nullptr)
        return;
    const WideText key = ValueOf(details);
    if (key.empty())
        return;
    TpsCorrection record;
    double value = 0.0;
    // The parsers are called in this order: pressure, dry temperature, ppm. The ppm value is read
    // with the distance parser but is a ratio: the document's length unit does not scale it.
    if (const Attribute* pressure = FindAttribute(correction, "pressure"))
        if (pressureParser.Parse(ValueOf(pressure), &value))
            record.pressure = value;
    if (const Attribute* temperature = FindAttribute(correction, "dryTemperature"))
        if (temperatureParser.Parse(ValueOf(temperature), &value))
            record.dryTemperature = value;
    if (const Attribute* ppm = FindAttribute(correction, "atmosphericPPM"))
        if (distanceParser.Parse(ValueOf(ppm), &value))
            record.atmosphericScale = value / 1000.0;
    tpsCorrections.Insert(key.View(), record);
}

} // namespace Plugin
