// The vendor extension, read twice: before the standard sections, to fill the tables they use,
// and after them, when the station table exists.

#include "import/LandXMLImporter.h"

#include <vector>

namespace Plugin
{

void CLandXMLImporter::ReadExtensionFirstPass(const Node* extension)
{
    // One walk over the extension's children, nearly all of them points, each far from the
    // next in memory: the points are read on the way, the plan features and the surveys, which
    // are read after all points, are noted for afterwards.
    std::vector<const Node*> features;
    std::vector<const Node*> surveys;
    for (const Node* child = extension->first_node(); child; child = child->next_sibling())
    {
        PrefetchNode(child->next_sibling());
        if (NameIs(child, "Point"))
            ReadExtensionPoint(child, true);
        else if (NameIs(child, "PlanFeature") || NameIs(child, "Parcel"))
            features.push_back(child);
        else if (NameIs(child, "Survey"))
            surveys.push_back(child);
    }
    firstPassExtension = extension;
    pointImages = knownImages.size();
    firstSurvey = surveys.empty() ? nullptr : surveys.front();

    for (const Node* feature : features)
        ReadPlanFeature(feature, true);
    for (const Node* survey : surveys)
    {
        for (const Node* child = survey->first_node(); child; child = child->next_sibling())
        {
            if (child->type() != rapidxml::node_element)
                continue;
            if (NameIs(child, "TPSCorrection"))
                ReadTpsCorrection(child);
            else if (NameIs(child, "InstrumentSetup"))
                ReadExtensionSetup(child, true);
        }
    }
}

void CLandXMLImporter::ReadExtensionSecondPass(const Node* extension)
{
    // The images are known from the first pass; the second one only reports the missing files
    // again.
    ReadExtensionPoints(extension);
    const Node* survey =
        extension == firstPassExtension ? firstSurvey : FindChild(extension, "Survey");
    if (survey == nullptr)
        return;
    for (const Node* setup = FindChild(survey, "InstrumentSetup"); setup != nullptr;
         setup = NextSibling(setup, "InstrumentSetup"))
        ReadExtensionSetup(setup, false);
}

} // namespace Plugin
