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
            ReadReflectorConstant(child);
        else if (NameIs(child, "TPSImage"))
            ReadSetupImage(setup, child);
    }
}

void CLandXMLImporter::ReadReflectorConstant(const Node* observation)
{
    const Attribute* target = FindAttribute(observation, "targetPntRef");
    if (target == nullptr)
        return;
    const WideText key = ValueOf(target);
    if (key.empty())
        return;
    const Attribute* constant = FindAttribute(observation, "reflectorConstant");
    if (constant == nullptr)
        return;
    double value = 0.0;
    OptionalNumber parsed;
    if (ParseLength(ValueOf(constant), value))
        parsed = value;
    reflectorConstants.Insert(key.View(), parsed);
}

void CLandXMLImporter::ReadSetupImage(const Node* setup, const Node* tpsImage)
{
    const Node* reference = FindChild(tpsImage, "landxml:DocFileRef");
    const Attribute* nameAttribute = reference ? FindAttribute(reference, "name") : nullptr;
    const WideText name = nameAttribute ? ValueOf(nameAttribute) : WideText();

    // An image an extension point lists takes the angles; any other is read here.
    ImageRecord* image = name.empty() ? nullptr : images.FindByName(name);
    ImageRecord newImage;
    const bool isNew = image == nullptr;
    if (isNew)
    {
        if (reference == nullptr)
            return;
        ReadImageReference(newImage, reference);
        image = &newImage;
    }
    if (nameAttribute == nullptr)
        return;

    double angle = 0.0;
    if (const Attribute* horizontal = FindAttribute(tpsImage, "horizAngle"))
        if (ConvertAngle(ValueOf(horizontal), angle))
            image->horizontalAngle = angle;
    if (const Attribute* zenith = FindAttribute(tpsImage, "zenithAngle"))
        if (ConvertAngle(ValueOf(zenith), angle))
            image->zenithAngle = angle;

    // An image no extension point lists belongs to the setup's station; it is sent once the
    // stations are known, and never kept.
    const Attribute* setupId = FindAttribute(setup, "uniqueID");
    if (isNew && !stations.empty() && setupId != nullptr)
    {
        ActivateStation(ValueOf(setupId));
        SendImageNote(*image);
    }
}

} // namespace Plugin
