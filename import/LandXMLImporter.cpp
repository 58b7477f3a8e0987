#include "import/LandXMLImporter.h"

#include "platform/Platform.h"

namespace Plugin
{

CLandXMLImporter::CLandXMLImporter(IImportSink* hostSink, const bool* setting,
                                   const WideString& path)
    : sink(hostSink), tpsCorrections(arena), reflectorConstants(arena), points(arena),
      stations(arena), images(arena), considerPrismConstant(setting), knownFolders(arena)
{
    const std::size_t separator = path.rfind(Platform::kDirectorySeparator);
    if (separator != WideString::npos)
        folder.assign(path, 0, separator + 1);
}

ImageTable::ImageTable(TextArena& memory) : arena(memory), byKey(memory), firstByName(memory) {}

void ImageTable::Add(WideView key, const ImageRecord& record)
{
    Entry* added = arena.Allocate<Entry>(1);
    new (added) Entry{record, nullptr};
    Chain* chain = byKey.Find(key);
    WideView keptKey;
    if (chain == nullptr)
    {
        keptKey = arena.Keep(key);
        byKey.Insert(keptKey, Chain{keptKey, added, added});
    }
    else
    {
        keptKey = chain->key;
        chain->last = chain->last->next = added;
    }

    // A record comes before the known first of its name only when its key is smaller: among
    // equal keys the earlier record stays first.
    First* known = firstByName.Find(record.name);
    if (known == nullptr)
        // The name is kept again beside the index's entry: a search compares it there.
        firstByName.Insert(arena.Keep(added->record.name), First{keptKey, &added->record});
    else if (keptKey < known->key)
        *known = First{keptKey, &added->record};
}

ImageRecord* ImageTable::FindByName(WideView name)
{
    const First* found = firstByName.Find(name);
    return found != nullptr ? found->record : nullptr;
}

const ImageTable::Entry* ImageTable::Find(WideView key) const
{
    const Chain* chain = byKey.Find(key);
    return chain != nullptr ? chain->first : nullptr;
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
