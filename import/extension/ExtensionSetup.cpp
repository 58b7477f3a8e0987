// An extension setup: reflector constants of its targets, and the angles of its images.

#include "import/LandXMLImporter.h"

namespace Plugin
{

ImageRecord* CLandXMLImporter::FindImageByName(const Node* tpsImage, WideView name, bool firstPass)
{
    // No image is added after the first pass: the second finds what the first found.
    if (!firstPass)
        if (ImageRecord* const* known = imageSearches.Next(tpsImage))
            return *known;
    ImageRecord* found = images.FindByName(name);
    if (firstPass)
        imageSearches.Add(tpsImage, found);
    return found;
}

void CLandXMLImporter::ReadExtensionSetup(const Node* setup, bool firstPass)
{
    for (const Node* child = setup->first_node(); child != nullptr; child = child->next_sibling())
    {
        if (child->type() != rapidxml::node_element)
            continue;
        if (NameIs(child, "RawObservation"))
        {
            const Attribute* target = FindAttribute(child, "targetPntRef");
            if (target == nullptr)
                continue;
            const WideText key = ValueOf(target);
            if (key.empty())
                continue;
            const Attribute* constant = FindAttribute(child, "reflectorConstant");
            if (constant == nullptr)
                continue;
            double value = 0.0;
            OptionalNumber parsed;
            if (distanceParser.Parse(ValueOf(constant), &value))
                parsed = value;
            if (firstPass)
            {
                NameRecord& record = RecordOf(key);
                if (!record.hasReflectorConstant)
                {
                    record.reflectorConstant = parsed;
                    record.hasReflectorConstant = true;
                }
            }
        }
        else if (NameIs(child, "TPSImage"))
        {
            const Node* reference = FindChild(child, "landxml:DocFileRef");
            const Attribute* nameAttribute = reference ? FindAttribute(reference, "name") : nullptr;
            const WideText name = nameAttribute ? ValueOf(nameAttribute) : WideText();

            ImageRecord* image = name.empty() ? nullptr : FindImageByName(child, name, firstPass);
            ImageRecord newImage;
            const bool isNew = image == nullptr;
            if (isNew)
            {
                if (reference == nullptr)
                    continue;
                ReadImageReference(&newImage, reference, firstPass);
                image = &newImage;
            }
            if (nameAttribute == nullptr)
                continue;

            double angle = 0.0;
            if (const Attribute* horizontal = FindAttribute(child, "horizAngle"))
                if (ConvertAngle(ValueOf(horizontal), angle))
                    image->horizontalAngle = angle;
            if (const Attribute* zenith = FindAttribute(child, "zenithAngle"))
                if (ConvertAngle(ValueOf(zenith), angle))
                    image->zenithAngle = angle;

            // An image no extension point lists belongs to the setup's station; it is sent once
            // the stations are known, and never kept.
            if (isNew && !stations.empty())
            {
                if (const Attribute* setupId = FindAttribute(setup, "uniqueID"))
                {
                    ActivateStation(ValueOf(setupId));
                    SendImageNote(*image);
                }
            }
        }
    }
}

} // namespace Plugin
