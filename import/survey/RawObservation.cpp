// One total-station observation of the station activated last.

#include "import/LandXMLImporter.h"

namespace Plugin
{
namespace
{

// YYYY-MM-DDThh:mm:ss as YYYYMMDD hh:mm:ss: whatever stands at those places of a 19-character
// text is removed or replaced the same way.
WideText RespellTimeStamp(WideView stamp)
{
    WideText respelled(stamp.substr(0, 4));
    respelled.Append(stamp.substr(5, 2));
    respelled.Append(stamp.substr(8, 2));
    respelled.Append(WideChar(' '));
    respelled.Append(stamp.substr(11));
    return respelled;
}

} // namespace

void CLandXMLImporter::ReadRawObservation(WideView setupId, const Node* observation)
{
    const Node* target = FindChild(observation, "TargetPoint");
    if (target == nullptr)
        return;
    const Attribute* targetName = FindAttribute(target, "name");
    if (targetName == nullptr)
        return;
    const WideText wholeName = ValueOf(targetName);
    const WideText cutName(wholeName.View().substr(0, wholeName.View().find(WideChar('@'))));
    sink->SetTargetPoint(cutName.c_str());

    // The reflector constant and the images are the cut name's, the point record the whole
    // name's: mostly the same name, looked up once.
    const Key cutKey = names.Find(cutName);
    const Key wholeKey = wholeName.size() == cutName.size() ? cutKey : names.Find(wholeName);
    const OptionalNumber* reflectorConstant = reflectorConstants.Find(cutKey);

    double value = 0.0;
    if (const Attribute* height = FindAttribute(observation, "targetHeight"))
        if (ParseLength(ValueOf(height), value))
            sink->SetTargetHeight(value);

    const Attribute* directFace = FindAttribute(observation, "directFace");
    const int face = ValueIs(directFace, "true") ? 0 : 1;
    if (directFace != nullptr)
        sink->SetFace(face);

    if (const Attribute* angle = FindAttribute(observation, "horizAngle"))
        if (ConvertAngle(ValueOf(angle), value))
            sink->SetHorizontalAngle(value);
    if (const Attribute* angle = FindAttribute(observation, "zenithAngle"))
        if (ConvertAngle(ValueOf(angle), value))
            sink->SetZenithAngle(value);

    if (const Attribute* distance = FindAttribute(observation, "slopeDistance"))
    {
        double measured = 0.0;
        if (ParseLength(ValueOf(distance), measured))
        {
            // The setting is read now, through its address: the constant first, then the scale.
            if (reflectorConstant != nullptr && *reflectorConstant && *considerPrismConstant)
                measured += **reflectorConstant;
            const StationEntry* station = stations.Find(SetupIdOfGroup(setupId));
            const TpsCorrection* correction =
                station != nullptr ? tpsCorrections.Find(station->instrumentDetailsID) : nullptr;
            if (correction != nullptr && correction->atmosphericScale)
                measured += measured * *correction->atmosphericScale / 1000.0;
            sink->SetSlopeDistance(measured);
        }
    }

    const Attribute* stampAttribute = FindAttribute(observation, "timeStamp");
    const WideText stamp = stampAttribute ? ValueOf(stampAttribute) : WideText();
    if (ISinkExtension* extension = sink->GetExtension(ObservationExtension))
        if (stamp.size() == 19)
            extension->SetObservationTime(RespellTimeStamp(stamp).c_str());

    if (directFace != nullptr)
        sink->SetFace(face);

    images.ForEachOf(cutKey, [this](const ImageRecord& image) { SendImageNote(image); });

    if (const PointRecord* record = points.Find(wholeKey))
        sink->SetPointCode(ComposePointCode(record->code, *record).c_str());
}

} // namespace Plugin
