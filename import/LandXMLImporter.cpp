#include "import/LandXMLImporter.h"

#include "platform/Platform.h"

namespace Plugin
{

CLandXMLImporter::CLandXMLImporter(IImportSink* hostSink, const bool* setting,
                                   const WideString& path)
    : sink(hostSink), tpsCorrections(arena), nameRecords(arena), stations(arena), images(arena),
      considerPrismConstant(setting), knownFolders(arena)
{
    const std::size_t separator = path.rfind(Platform::kDirectorySeparator);
    if (separator != WideString::npos)
        folder.assign(path, 0, separator + 1);
}

NameRecord& CLandXMLImporter::RecordOf(WideView text)
{
    if (NameRecord* known = nameRecords.Find(text))
        return *known;
    NameRecord record;
    record.text = arena.Keep(text);
    return nameRecords.Insert(record.text, record);
}

PointRecord* CLandXMLImporter::PointOf(WideView name)
{
    NameRecord* record = nameRecords.Find(name);
    return record != nullptr && record->hasPoint ? &record->point : nullptr;
}

ImageIndex::ImageIndex(TextArena& memory) : arena(memory), firstByName(memory) {}

void ImageIndex::Add(NameRecord& id, const ImageRecord& record)
{
    ImageEntry* added = arena.Allocate<ImageEntry>(1);
    new (added) ImageEntry{record, nullptr};
    if (id.lastImage == nullptr)
        id.firstImage = added;
    else
        id.lastImage->next = added;
    id.lastImage = added;

    // A record comes before the known first of its name only when its id is smaller: among
    // equal ids the earlier record stays first.
    First* known = firstByName.Find(record.name);
    if (known == nullptr)
        // The name is kept again beside the index's entry: a search compares it there.
        firstByName.Insert(arena.Keep(added->record.name), First{id.text, &added->record});
    else if (id.text < known->id)
        *known = First{id.text, &added->record};
}

ImageRecord* ImageIndex::FindByName(WideView name)
{
    const First* found = firstByName.Find(name);
    return found != nullptr ? found->record : nullptr;
}

void CLandXMLImporter::ReadLandXML(const Node* root)
{
    // Units first: every reader after this one needs the four value parsers.
    ReadUnits(FindChild(root, "Units"));

    // The extension's tables must be complete before any standard section reads them.
    const Node* extension = FindChild(root, "HexagonLandXML");
    if (extension != nullptr)
        ReadExtensionFirstPass(extension);

    for (const Node* child = root->first_node(); child != nullptr; child = child->next_sibling())
        if (NameIs(child, "CgPoints"))
            ReadCgPoints(child);

    if (const Node* features = FindChild(root, "PlanFeatures"))
        for (const Node* child = features->first_node(); child; child = child->next_sibling())
            if (NameIs(child, "PlanFeature"))
                ReadPlanFeature(child, false);

    if (const Node* parcels = FindChild(root, "Parcels"))
        for (const Node* child = parcels->first_node(); child; child = child->next_sibling())
            if (NameIs(child, "Parcel"))
                ReadPlanFeature(child, false);

    for (const Node* child = root->first_node(); child != nullptr; child = child->next_sibling())
        if (NameIs(child, "Survey"))
            ReadSurvey(child);

    // Last, when the station table is complete.
    if (extension != nullptr)
        ReadExtensionSecondPass(extension);
}

} // namespace Plugin
