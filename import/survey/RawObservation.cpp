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

enum ObservationAttribute
{
    TargetHeight,
    DirectFace,
    HorizontalAngle,
    ZenithAngle,
    SlopeDistance,
    TimeStamp
};
constexpr const char* kObservationAttributes[] = {"targetHeight", "directFace",    "horizAngle",
                                                  "zenithAngle",  "slopeDistance", "timeStamp"};

} // namespace

void CLandXMLImporter::ReadRawObservation(const TpsCorrection* correction, const Node* observation)
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

    // The target as a target and point id, and as a point name: mostly the same record.
    const NameRecord* cut = nameRecords.Find(cutName);
    const NameRecord* whole =
        wholeName.size() == cutName.size() ? cut : nameRecords.Find(wholeName);
    OptionalNumber reflectorConstant;
    if (cut != nullptr && cut->hasReflectorConstant)
        reflectorConstant = cut->reflectorConstant;
    const ImageEntry* firstImage = cut != nullptr ? cut->firstImage : nullptr;
    const PointRecord* record = whole != nullptr && whole->hasPoint ? &whole->point : nullptr;

    const AttributesOf found(observation, kObservationAttributes);
    double value = 0.0;
    if (const Attribute* height = found[TargetHeight])
        if (distanceParser.Parse(ValueOf(height), &value))
            sink->SetTargetHeight(value);

    const Attribute* directFace = found[DirectFace];
    const int face = ValueIs(directFace, "true") ? 0 : 1;
    if (directFace != nullptr)
        sink->SetFace(face);

    if (const Attribute* angle = found[HorizontalAngle])
        if (ConvertAngle(ValueOf(angle), value))
            sink->SetHorizontalAngle(value);
    if (const Attribute* angle = found[ZenithAngle])
        if (ConvertAngle(ValueOf(angle), value))
            sink->SetZenithAngle(value);

    if (const Attribute* distance = found[SlopeDistance])
    {
        double measured = 0.0;
        if (distanceParser.Parse(ValueOf(distance), &measured))
        {
            // The setting is read now, through its address: the constant first, then the scale.
            if (reflectorConstant && *considerPrismConstant)
                measured += *reflectorConstant;
            if (correction != nullptr && correction->atmosphericScale)
                measured += measured * *correction->atmosphericScale / 1000.0;
            sink->SetSlopeDistance(measured);
        }
    }

    const Attribute* stampAttribute = found[TimeStamp];
    const WideText stamp = stampAttribute ? ValueOf(stampAttribute) : WideText();
    if (ISinkExtension* extension = sink->GetExtension(ObservationExtension))
        if (stamp.size() == 19)
            extension->SetObservationTime(RespellTimeStamp(stamp).c_str());

    if (directFace != nullptr)
        sink->SetFace(face);

    for (const ImageEntry* image = firstImage; image; image = image->next)
        SendImageNote(image->record);

    if (record != nullptr)
    {
        WideText code;
        ComposePointCode(record->code, *record, code);
        sink->SetPointCode(code.c_str());
    }
}

} // namespace Plugin
