// The vendor extension, read twice: before the standard sections, to fill the tables they use,
// and after them, when the station table exists.

#include "import/LandXMLImporter.h"

namespace Plugin
{

void CLandXMLImporter::ReadExtensionFirstPass(const Node* extension)
{
    ReadExtensionPoints(extension, true);
    ReadExtensionPlanFeatures(extension);
    for (const Node* survey = FindChild(extension, "Survey"); survey != nullptr;
         survey = NextSibling(survey, "Survey"))
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
    replayingImages = true;
    nextKnownImage = 0;
    ReadExtensionPoints(extension, false);
    const Node* survey = FindChild(extension, "Survey");
    if (survey == nullptr)
        return;
    for (const Node* setup = FindChild(survey, "InstrumentSetup"); setup != nullptr;
         setup = NextSibling(setup, "InstrumentSetup"))
        ReadExtensionSetup(setup, false);
}

} // namespace Plugin
