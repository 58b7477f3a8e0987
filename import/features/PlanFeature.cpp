// Plan features and parcels as line codes of the points they run through.

#include "import/LandXMLImporter.h"

namespace Plugin
{
namespace
{

struct LineCodeNames
{
    WideText name;   // "-" and the feature name with blanks as "_"; empty without a name
    WideText prefix; // the feature name before its last "_"
};

LineCodeNames NamesOf(WideView featureName)
{
    LineCodeNames names;
    const std::size_t underscore = featureName.rfind(WideChar('_'));
    if (underscore != WideView::npos)
        names.prefix.Append(featureName.substr(0, underscore));
    if (!featureName.empty())
    {
        names.name.Append(WideChar('-'));
        for (const WideChar c : featureName)
            names.name.Append(c == WideChar(' ') ? WideChar('_') : c);
    }
    return names;
}

// A line code of a point: the point's own code or the prefix, and the feature's name.
KeptText LineCode(TextArena& arena, WideView code, WideView name, WideView suffix)
{
    WideText line(code);
    line.Append(name);
    line.Append(suffix);
    return arena.Keep(line);
}

} // namespace

void CLandXMLImporter::ReadPlanFeature(const Node* feature, bool fromExtension)
{
    const Attribute* nameAttribute = FindAttribute(feature, "name");
    LineCodeNames names = NamesOf(nameAttribute ? ValueOf(nameAttribute) : WideText());
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
                if (PointRecord* point = PointOf(ValueOf(reference)))
                    point->code.Append(arena, names.name);
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
                {
                    if (PointRecord* point = PointOf(pieces[i]))
                        point->lineCodes.push_back(
                            arena, LineCode(arena, point->code, names.name, WideView()));
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
        if (PointRecord* startPoint = PointOf(ValueOf(startRef)))
        {
            PointRecord& record = *startPoint;
            if (names.prefix.empty())
                names.prefix = WideText(record.code);
            const WideChar* suffix = WIDE_TEXT("");
            if (line && !started)
                suffix = WIDE_TEXT(" p");
            else if (curve)
                suffix = WIDE_TEXT(" a");
            else if (!line)
                suffix = WIDE_TEXT(" s");
            record.lineCodes.push_back(arena, LineCode(arena, names.prefix, names.name, suffix));
            started = true;
        }
        lastEnd = PointOf(ValueOf(endRef));
    }
    if (lastEnd != nullptr)
        lastEnd->lineCodes.push_back(
            arena,
            LineCode(arena, names.prefix.empty() ? WideView(lastEnd->code) : names.prefix.View(),
                     names.name, WIDE_TEXT(" e")));
}

} // namespace Plugin
