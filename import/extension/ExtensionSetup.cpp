// An extension setup: reflector constants of its targets, and the angles of its images.

#include "import/LandXMLImporter.h"

namespace Plugin
{

void CLandXMLImporter::ReadExtensionSetup(const Node* setup)
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
            reflectorConstants.Insert(key.View(), parsed);
        }
        else if (NameIs(child, "TPSImage"))
        {
            const Node* reference = FindChild(child, "landxml:DocFileRef");
            const Attribute* nameAttribute = reference ? FindAttribute(reference, "name") : nullptr;
            const WideText name = nameAttribute ? ValueOf(nameAttribute) : WideText();

            // An image an extension point lists takes the angles; any other is read here.
            ImageRecord* image = name.empty() ? nullptr : images.FindByName(name);
            ImageRecord newImage;
            const bool isNew = image == nullptr;
            if (isNew)
            {
                if (reference == nullptr)
                    continue;
                ReadImageReference(newImage, reference);
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
