// Plan features and parcels as line codes of the points they run through.

#include "import/LandXMLImporter.h"

namespace Plugin
{
namespace
{

struct LineCodeNames
{
    WideString name;   // "-" and the feature name with blanks as "_"; empty without a name
    WideString prefix; // the feature name before its last "_"
};

LineCodeNames NamesOf(const WideString& featureName)
{
    LineCodeNames names;
    const std::size_t underscore = featureName.rfind(WideChar('_'));
    if (underscore != WideString::npos)
        names.prefix = featureName.substr(0, underscore);
    WideString spaced = featureName;
    for (WideChar& c : spaced)
        if (c == WideChar(' '))
            c = WideChar('_');
    if (!spaced.empty())
        names.name = WIDE_TEXT("-") + spaced;
    return names;
}

} // namespace

void CLandXMLImporter::ReadExtensionPlanFeatures(const Node* extension)
{
    for (const Node* child = extension->first_node(); child != nullptr;
         child = child->next_sibling())
        if (NameIs(child, "PlanFeature") || NameIs(child, "Parcel"))
            ReadPlanFeature(child, true);
}

void CLandXMLImporter::ReadPlanFeature(const Node* feature, bool fromExtension)
{
    const Attribute* nameAttribute = FindAttribute(feature, "name");
    LineCodeNames names = NamesOf(nameAttribute ? ToWide(nameAttribute->value()) : WideString());
    const Node* geometry = FindChild(feature, "CoordGeom");
    if (geometry == nullptr)
        return;

    if (fromExtension)
    {
        for (const Node* child = geometry->first_node(); child; child = child->next_sibling())
        {
            if (NameIs(child, "Curve"))
            {
                const Node* mid = FindChild(child, "Mid");
                const Attribute* reference = mid ? FindAttribute(mid, "pntRef") : nullptr;
                if (reference == nullptr)
                    continue;
                const auto point = points.find(ToWide(reference->value()));
                if (point != points.end())
                    point->second.code += names.name;
            }
            else if (NameIs(child, "BestFitCurve") || NameIs(child, "Spline"))
            {
                const Node* chain = FindChild(child, "Chain");
                if (chain == nullptr)
                    continue;
                const WideString text = ToWide(chain->value());
                if (text.empty())
                    continue;
                std::vector<WideString> pieces;
                std::size_t start = 0;
                for (std::size_t space;
                     (space = text.find(WideChar(' '), start)) != WideString::npos;
                     start = space + 1)
                    pieces.push_back(text.substr(start, space - start));
                pieces.push_back(text.substr(start));
                std::size_t first = 0;
                std::size_t last = pieces.size(); // one past the last piece used
                if (NameIs(child, "Spline"))
                {
                    first = 1;
                    if (text.back() != WideChar(' '))
                        --last;
                }
                for (std::size_t i = first; i < last; ++i)
                {
                    const auto point = points.find(pieces[i]);
                    if (point != points.end())
                        point->second.lineCodes.push_back(point->second.code + names.name);
                }
            }
        }
        return;
    }

    bool started = false;
    PointRecord* lastEnd = nullptr;
    for (const Node* child = geometry->first_node(); child; child = child->next_sibling())
    {
        const bool line = NameIs(child, "Line");
        const bool curve = NameIs(child, "Curve");
        if (!line && !curve && !NameIs(child, "IrregularLine"))
            continue;
        const Node* startNode = FindChild(child, "Start");
        const Node* endNode = FindChild(child, "End");
        const Attribute* startRef = startNode ? FindAttribute(startNode, "pntRef") : nullptr;
        const Attribute* endRef = endNode ? FindAttribute(endNode, "pntRef") : nullptr;
        if (startRef == nullptr || endRef == nullptr)
            continue;
        const auto startPoint = points.find(ToWide(startRef->value()));
        if (startPoint != points.end())
        {
            PointRecord& record = startPoint->second;
            if (names.prefix.empty())
                names.prefix = record.code;
            WideString code = names.prefix + names.name;
            if (line && !started)
                code += WIDE_TEXT(" p");
            else if (curve)
                code += WIDE_TEXT(" a");
            else if (!line)
                code += WIDE_TEXT(" s");
            record.lineCodes.push_back(std::move(code));
            started = true;
        }
        const auto endPoint = points.find(ToWide(endRef->value()));
        lastEnd = endPoint != points.end() ? &endPoint->second : nullptr;
    }
    if (lastEnd != nullptr)
        lastEnd->lineCodes.push_back((names.prefix.empty() ? lastEnd->code : names.prefix) +
                                     names.name + WIDE_TEXT(" e"));
}

} // namespace Plugin
