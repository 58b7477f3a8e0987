// The vendor extension, read twice: before the standard sections, to fill the tables they use,
// and after them, when the station table exists.

#include "import/LandXMLImporter.h"

namespace Plugin
{

const CLandXMLImporter::ExtensionChildren& CLandXMLImporter::ChildrenOf(const Node* extension)
{
    ExtensionChildren& children = extensionChildren;
    if (children.element == extension)
        return children;
    children.element = extension;
    children.points.clear();
    children.planFeatures.clear();
    children.surveys.clear();
    for (const Node* child = extension->first_node(); child; child = child->next_sibling())
    {
        if (NameIs(child, "Point"))
            children.points.push_back(child);
        else if (NameIs(child, "PlanFeature") || NameIs(child, "Parcel"))
            children.planFeatures.push_back(child);
        else if (NameIs(child, "Survey"))
            children.surveys.push_back(child);
    }
    return children;
}

void CLandXMLImporter::ReadExtensionFirstPass(const Node* extension)
{
    ReadExtensionPoints(extension);
    ReadExtensionPlanFeatures(extension);
    for (const Node* survey : ChildrenOf(extension).surveys)
    {
        for (const Node* child = survey->first_node(); child; child = child->next_sibling())
        {
            if (child->type() != rapidxml::node_element)
                continue;
            if (NameIs(child, "TPSCorrection"))
                ReadTpsCorrection(child);
            else if (NameIs(child, "InstrumentSetup"))
                ReadExtensionSetup(child);
        }
    }
}

void CLandXMLImporter::ReadExtensionSecondPass(const Node* extension)
{
    // The points again, which reports their missing image files once more; then the setups of
    // the first survey, whose images of no point go to their stations now.
    ReadExtensionPoints(extension);
    const std::pmr::vector<const Node*>& surveys = ChildrenOf(extension).surveys;
    if (surveys.empty())
        return;
    for (const Node* setup = FindChild(surveys.front(), "InstrumentSetup"); setup != nullptr;
         setup = NextSibling(setup, "InstrumentSetup"))
        ReadExtensionSetup(setup);
}

} // namespace Plugin
