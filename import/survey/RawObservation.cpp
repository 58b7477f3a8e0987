// One total-station observation of the station activated last.

#include "import/LandXMLImporter.h"

namespace Plugin
{
namespace
{

// YYYY-MM-DDThh:mm:ss as YYYYMMDD hh:mm:ss: whatever stands at those places of a 19-character
// text is removed or replaced the same way.
WideString RespellTimeStamp(WideString stamp)
{
    stamp.erase(4, 1);
    stamp.erase(6, 1);
    stamp[8] = WideChar(' ');
    return stamp;
}

} // namespace

void CLandXMLImporter::ReadRawObservation(WideString setupId, const Node* observation)
{
    setupId = SetupIdOfGroup(version, std::move(setupId));
    const Node* target = FindChild(observation, "TargetPoint");
    if (target == nullptr)
        return;
    const Attribute* targetName = FindAttribute(target, "name");
    if (targetName == nullptr)
        return;
    const WideString wholeName = ToWide(targetName->value());
    const WideString cutName = wholeName.substr(0, wholeName.find(WideChar('@')));
    sink->SetTargetPoint(cutName.c_str());

    OptionalNumber reflectorConstant;
    if (const auto known = reflectorConstants.find(cutName); known != reflectorConstants.end())
        reflectorConstant = known->second;

    double value = 0.0;
    if (const Attribute* height = FindAttribute(observation, "targetHeight"))
        if (distanceParser.Parse(ToWide(height->value()), &value))
            sink->SetTargetHeight(value);

    const Attribute* directFace = FindAttribute(observation, "directFace");
    const int face = ValueIs(directFace, "true") ? 0 : 1;
    if (directFace != nullptr)
        sink->SetFace(face);

    if (const Attribute* angle = FindAttribute(observation, "horizAngle"))
        if (ConvertAngle(ToWide(angle->value()), value))
            sink->SetHorizontalAngle(value);
    if (const Attribute* angle = FindAttribute(observation, "zenithAngle"))
        if (ConvertAngle(ToWide(angle->value()), value))
            sink->SetZenithAngle(value);

    if (const Attribute* distance = FindAttribute(observation, "slopeDistance"))
    {
        double measured = 0.0;
        if (distanceParser.Parse(ToWide(distance->value()), &measured))
        {
            // The setting is read now, through its address: the constant first, then the scale.
            if (reflectorConstant && *considerPrismConstant)
                measured += *reflectorConstant;
            if (const auto station = stations.find(setupId); station != stations.end())
            {
                const auto correction = tpsCorrections.find(station->second.instrumentDetailsID);
                if (correction != tpsCorrections.end() && correction->second.atmosphericScale)
                    measured += measured * *correction->second.atmosphericScale / 1000.0;
            }
            sink->SetSlopeDistance(measured);
        }
    }

    const Attribute* stampAttribute = FindAttribute(observation, "timeStamp");
    const WideString stamp = stampAttribute ? ToWide(stampAttribute->value()) : WideString();
    if (ISinkExtension* extension = sink->GetExtension(ObservationExtension))
        if (stamp.size() == 19)
            extension->SetObservationTime(RespellTimeStamp(stamp).c_str());

    if (directFace != nullptr)
        sink->SetFace(face);

    for (auto [image, end] = images.EqualRange(cutName); image != end; ++image)
        SendImageNote(image->second);

    if (const auto record = points.find(wholeName); record != points.end())
        sink->SetPointCode(ComposePointCode(record->second.code, record->second).c_str());
}

} // namespace Plugin
