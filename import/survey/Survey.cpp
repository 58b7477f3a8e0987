// Instrument setups into the station table, and station activation before the observations of a
// setup or an observation group.

#include "import/LandXMLImporter.h"

namespace Plugin
{

void CLandXMLImporter::ReadSurvey(const Node* survey)
{
    for (const Node* child = survey->first_node(); child != nullptr; child = child->next_sibling())
    {
        if (NameIs(child, "InstrumentSetup"))
            ReadInstrumentSetup(child);
        if (version == 12 && NameIs(child, "ObservationGroup"))
            ReadObservationGroup(child);
    }
}

void CLandXMLImporter::ReadInstrumentSetup(const Node* setup)
{
    const Attribute* stationName = FindAttribute(setup, "stationName");
    const Attribute* id = FindAttribute(setup, "id");
    if (stationName == nullptr || id == nullptr)
        return;
    StationEntry entry;
    entry.stationName = ToWide(stationName->value());
    if (const Attribute* height = FindAttribute(setup, "instrumentHeight"))
    {
        double value = 0.0;
        if (distanceParser.Parse(ToWide(height->value()), &value))
            entry.instrumentHeight = value;
    }
    if (const Attribute* details = FindAttribute(setup, "instrumentDetailsID"))
        entry.instrumentDetailsID = ToWide(details->value());
    stations.emplace(ToWide(id->value()), std::move(entry));
    // Activated at once, with the first setup of this id, and its own observations read.
    ReadObservationGroup(setup);
}

void CLandXMLImporter::ReadObservationGroup(const Node* group)
{
    const Attribute* id = FindAttribute(group, "id");
    if (id == nullptr)
        return;
    ActivateStation(ToWide(id->value()));
    for (const Node* child = group->first_node(); child != nullptr; child = child->next_sibling())
        if (NameIs(child, "RawObservation"))
            ReadRawObservation(ToWide(id->value()), child);
}

// LandXML 1.2 names an observation group "o" followed by its setup's id.
WideString SetupIdOfGroup(int version, WideString id)
{
    if (version > 11 && id.size() >= 2 && id[0] == WideChar('o'))
        id.erase(0, 1);
    return id;
}

void CLandXMLImporter::ActivateStation(WideString setupId)
{
    const auto station = stations.find(SetupIdOfGroup(version, std::move(setupId)));
    if (station == stations.end())
        return;
    sink->SetStation(station->second.stationName.c_str());
    sink->SetInstrumentHeight(station->second.instrumentHeight);
    const auto correction = tpsCorrections.find(station->second.instrumentDetailsID);
    if (correction == tpsCorrections.end())
        return;
    if (correction->second.pressure)
        sink->SetPressure(*correction->second.pressure);
    if (correction->second.dryTemperature)
        sink->SetDryTemperature(*correction->second.dryTemperature);
}

} // namespace Plugin
