// Plan features and parcels as line codes of the points they run through.

#include "import/LandXMLImporter.h"

#include <vector>

namespace Plugin
{

void CLandXMLImporter::ReadPlanFeature(const Node* feature, bool fromExtension)
{
    // "-" and the feature's name with blanks as "_", and the name before its last "_".
    const Attribute* nameAttribute = FindAttribute(feature, "name");
    const WideText featureName = nameAttribute ? ValueOf(nameAttribute) : WideText();
    WideText lineCodeName;
    if (!featureName.empty())
        lineCodeName.Append(WideChar('-'));
    for (const WideChar c : featureName.View())
        lineCodeName.Append(c == WideChar(' ') ? WideChar('_') : c);
    const std::size_t underscore = featureName.View().rfind(WideChar('_'));
    const WideText lineCodePrefix(
        underscore != WideView::npos ? featureName.View().substr(0, underscore) : WideView());

    const Node* geometry = FindChild(feature, "CoordGeom");
    if (geometry == nullptr)
        return;
    if (fromExtension)
        AddExtensionLineCodes(geometry, lineCodeName);
    else
        AddStandardLineCodes(geometry, lineCodeName, lineCodePrefix);
}

void CLandXMLImporter::ReadExtensionPlanFeatures(const Node* extension)
{
    for (const Node* feature : ChildrenOf(extension).planFeatures)
        ReadPlanFeature(feature, true);
}

void CLandXMLImporter::AddStandardLineCodes(const Node* geometry, WideView lineCodeName,
                                            WideText lineCodePrefix)
{
    // Each segment's start point gets a code, with a suffix for where it stands in the feature;
    // the last segment's end point closes it.
    const auto lineCode = [&](WideView code, const WideChar* suffix)
    {
        WideText line(code);
        line.Append(lineCodeName);
        line.Append(suffix);
        return arena.Keep(line);
    };
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
        if (PointRecord* start = points.Find(ValueOf(startRef).View()))
        {
            if (lineCodePrefix.empty())
                lineCodePrefix.Append(start->code);
            const WideChar* suffix = WIDE_TEXT("");
            if (line && !started)
                suffix = WIDE_TEXT(" p");
            else if (curve)
                suffix = WIDE_TEXT(" a");
            else if (!line)
                suffix = WIDE_TEXT(" s");
            start->lineCodes.push_back(lineCode(lineCodePrefix, suffix));
            started = true;
        }
        lastEnd = points.Find(ValueOf(endRef).View());
    }
    if (lastEnd != nullptr)
        lastEnd->lineCodes.push_back(
            lineCode(lineCodePrefix.empty() ? WideView(lastEnd->code) : lineCodePrefix.View(),
                     WIDE_TEXT(" e")));
}

void CLandXMLImporter::AddExtensionLineCodes(const Node* geometry, WideView lineCodeName)
{
    for (const Node* child = geometry->first_node(); child; child = child->next_sibling())
    {
        if (NameIs(child, "Curve"))
        {
            // The curve's middle point carries the feature in its own code.
            const Node* mid = FindChild(child, "Mid");
            const Attribute* reference = mid ? FindAttribute(mid, "pntRef") : nullptr;
            if (reference == nullptr)
                continue;
            if (PointRecord* point = points.Find(ValueOf(reference).View()))
                point->code.append(lineCodeName);
        }
        else if (NameIs(child, "BestFitCurve") || NameIs(child, "Spline"))
        {
            const Node* chain = FindChild(child, "Chain");
            if (chain == nullptr)
                continue;
            const WideText chainText = ValueOf(chain);
            const WideView text = chainText;
            if (text.empty())
                continue;
            // The chain's points, cut at each blank; a spline leaves out its first point, and
            // its last unless the text ends with a blank.
            std::vector<WideView> pieces;
            std::size_t start = 0;
            for (std::size_t space; (space = text.find(WideChar(' '), start)) != WideView::npos;
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
                if (PointRecord* point = points.Find(pieces[i]))
                    point->lineCodes.push_back(arena.Join(point->code, lineCodeName));
        }
    }
}

} // namespace Plugin
