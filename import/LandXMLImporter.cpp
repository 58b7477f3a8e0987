#include "import/LandXMLImporter.h"

#include "import/NumberText.h"
#include "platform/Platform.h"

namespace Plugin
{

bool ParserReference::Parse(const WideText& text, double* value) const
{
    const WideView number = WithoutXmlSpace(text);
    if (object == nullptr || number.empty())
        return false;
    // Most texts have nothing around the number and go to the host as they are.
    if (number.size() == text.size())
        return object->Parse(text.c_str(), value);
    return object->Parse(WideText(number).c_str(), value);
}

CLandXMLImporter::CLandXMLImporter(IImportSink* hostSink, const bool* setting, WideView path)
    : sink(hostSink), considerPrismConstant(setting)
{
    const std::size_t separator = path.rfind(Platform::kDirectorySeparator);
    if (separator != WideView::npos)
        folder.Append(path.substr(0, separator + 1));
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
