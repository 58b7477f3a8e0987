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
    const WideText name = ValueOf(stationName);
    if (const Attribute* height = FindAttribute(setup, "instrumentHeight"))
    {
        double value = 0.0;
        if (distanceParser.Parse(ValueOf(height), &value))
            entry.instrumentHeight = value;
    }
    const WideText key = ValueOf(id);
    if (stations.Find(key) == nullptr)
    {
        entry.stationName = arena.Keep(name);
        if (const Attribute* details = FindAttribute(setup, "instrumentDetailsID"))
            entry.instrumentDetailsID = arena.Keep(ValueOf(details));
        stations.Insert(arena.Keep(key), entry);
    }
    // Activated at once, with the first setup of this id, and its own observations read.
    ReadObservationGroup(setup);
}

void CLandXMLImporter::ReadObservationGroup(const Node* group)
{
    const Attribute* id = FindAttribute(group, "id");
    if (id == nullptr)
        return;
    // The station, and so the instrument, is the same for all observations of the group.
    const StationEntry* station = ActivateStation(ValueOf(id));
    const TpsCorrection* correction =
        station != nullptr ? tpsCorrections.Find(station->instrumentDetailsID) : nullptr;
    for (const Node* child = group->first_node(); child != nullptr; child = child->next_sibling())
        if (NameIs(child, "RawObservation"))
            ReadRawObservation(correction, child);
}

// LandXML 1.2 names an observation group "o" followed by its setup's id.
WideView SetupIdOfGroup(int version, WideView id)
{
    if (version > 11 && id.size() >= 2 && id[0] == WideChar('o'))
        id.remove_prefix(1);
    return id;
}

const StationEntry* CLandXMLImporter::ActivateStation(WideView setupId)
{
    const StationEntry* station = stations.Find(SetupIdOfGroup(version, setupId));
    if (station == nullptr)
        return nullptr;
    sink->SetStation(station->stationName.c_str());
    sink->SetInstrumentHeight(station->instrumentHeight);
    const TpsCorrection* correction = tpsCorrections.Find(station->instrumentDetailsID);
    if (correction == nullptr)
        return station;
    if (correction->pressure)
        sink->SetPressure(*correction->pressure);
    if (correction->dryTemperature)
        sink->SetDryTemperature(*correction->dryTemperature);
    return station;
}

} // namespace Plugin
