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
    entry.stationName = arena.Keep(ValueOf(stationName));
    if (const Attribute* height = FindAttribute(setup, "instrumentHeight"))
    {
        double metres = 0.0;
        if (ParseLength(ValueOf(height), metres))
            entry.instrumentHeight = metres;
    }
    if (const Attribute* details = FindAttribute(setup, "instrumentDetailsID"))
        entry.instrumentDetailsID = arena.Keep(ValueOf(details));
    stations.Insert(ValueOf(id).View(), entry);
    // Activated at once, with the first setup of this id, and its own observations read.
    ReadObservationGroup(setup);
}

void CLandXMLImporter::ReadObservationGroup(const Node* group)
{
    const Attribute* idAttribute = FindAttribute(group, "id");
    if (idAttribute == nullptr)
        return;
    const WideText id = ValueOf(idAttribute);
    ActivateStation(id);
    for (const Node* child = group->first_node(); child != nullptr; child = child->next_sibling())
        if (NameIs(child, "RawObservation"))
            ReadRawObservation(id, child);
}

WideView CLandXMLImporter::SetupIdOfGroup(WideView id) const
{
    if (version > 11 && id.size() >= 2 && id[0] == WideChar('o'))
        id.remove_prefix(1);
    return id;
}

void CLandXMLImporter::ActivateStation(WideView setupId)
{
    const StationEntry* station = stations.Find(SetupIdOfGroup(setupId));
    if (station == nullptr)
        return;
    sink->SetStation(station->stationName.data());
    sink->SetInstrumentHeight(station->instrumentHeight);
    const TpsCorrection* correction = tpsCorrections.Find(station->instrumentDetailsID);
    if (correction == nullptr)
        return;
    if (correction->pressure)
        sink->SetPressure(*correction->pressure);
    if (correction->dryTemperature)
        sink->SetDryTemperature(*correction->dryTemperature);
}

} // namespace Plugin
