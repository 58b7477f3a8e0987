// Coordinate-geometry points: selected by role and name, sent from the last to the first.

#include "import/LandXMLImporter.h"
#include "import/NumberText.h"

namespace Plugin
{
namespace
{

// The date digits of a time stamp YYYY-MM-DDThh:mm:ss: YYYYMMDD.
WideText DateOf(WideView stamp)
{
    WideText date;
    if (stamp.size() >= 4)
        date.Append(stamp.substr(0, 4));
    WideView rest = stamp.size() > 5 ? stamp.substr(5) : WideView();
    if (rest.size() >= 2)
        date.Append(rest.substr(0, 2));
    rest = rest.size() > 3 ? rest.substr(3) : WideView();
    if (rest.size() >= 2)
        date.Append(rest.substr(0, 2));
    return date;
}

} // namespace

void CLandXMLImporter::ReadCgPoints(const Node* cgPoints)
{
    // The parser sets a node's last child only once it has a first one.
    if (cgPoints->first_node() == nullptr)
        return;
    for (const Node* child = cgPoints->last_node(); child != nullptr;
         child = child->previous_sibling())
    {
        const Attribute* role = FindAttribute(child, "role");
        const Attribute* nameAttribute = FindAttribute(child, "name");
        if (nameAttribute == nullptr)
            continue;
        WideText name = ValueOf(nameAttribute);
        const bool measured = ValueIs(role, "measured");
        const bool control = ValueIs(role, "control point");
        const std::size_t at = name.View().find(WideChar('@'));
        if (at != WideView::npos && !control)
            continue;

        const PointRecord* known = points.Find(name.View());
        if (known != nullptr && known->subclass == WIDE_TEXT("GPS phase"))
        {
            if (measured)
                continue;
        }
        else if (role != nullptr && !control)
        {
            continue;
        }

        if (control && at != WideView::npos)
            name.Truncate(at);
        sink->AddPoint(name.c_str());

        if (const Attribute* codeAttribute = FindAttribute(child, "code"))
        {
            const WideText base = ValueOf(codeAttribute);
            if (version == 10)
            {
                // LandXML 1.0 writes a point's feature just before it.
                PointRecord feature(arena);
                const Node* previous = child->previous_sibling();
                if (previous != nullptr && NameIs(previous, "Feature") &&
                    ReadFeature(previous, feature))
                    sink->SetPointCode(ComposePointCode(base, feature).c_str());
                else
                    sink->SetPointCode(base.c_str());
            }
            else if (known != nullptr)
            {
                sink->SetPointCode(ComposePointCode(base, *known).c_str());
            }
            else
            {
                sink->SetPointCode(base.c_str());
            }
        }

        if (const Attribute* desc = FindAttribute(child, "desc"))
            if (ISinkExtension* extension = sink->GetExtension(PointExtension))
                extension->SetDescription(ValueOf(desc).c_str());

        if (control)
        {
            sink->SetPlanType(0);
            sink->SetHeightType(0);
        }

        if (const Attribute* stamp = FindAttribute(child, "timeStamp"))
            sink->SetDate(DateOf(ValueOf(stamp)).c_str());

        ReadPointCoordinates(ValueOf(child));
    }
}

bool CLandXMLImporter::ReadFeature(const Node* feature, PointRecord& record)
{
    const bool oldVersion = version == 10;
    const Node* item = FindChild(feature, "Attribute");
    if (item == nullptr && oldVersion)
        item = FindChild(feature, "Property");
    const Attribute* code = FindAttribute(feature, "code");
    if (code == nullptr)
        return false;
    record.code.append(ValueOf(code).View());

    // The attributes follow the code after one blank, each as "/name=value".
    const char* itemName = oldVersion ? "Property" : "Attribute";
    WideText attributes;
    for (; item != nullptr; item = NextSibling(item, itemName))
    {
        const Attribute* name = FindAttribute(item, "name");
        if (name == nullptr && oldVersion)
            name = FindAttribute(item, "label");
        const Attribute* value = FindAttribute(item, "value");
        if (name == nullptr || value == nullptr)
            continue;
        attributes.Append(attributes.empty() ? WIDE_TEXT(" /") : WIDE_TEXT("/"));
        attributes.Append(ValueOf(name));
        attributes.Append(WideChar('='));
        attributes.Append(ValueOf(value));
    }
    record.attributes = arena.Keep(attributes);
    if (const Attribute* linework = FindAttribute(feature, "codeLinework"))
        record.lineworkCode = arena.Keep(ValueOf(linework));
    return true;
}

void CLandXMLImporter::ReadPointCoordinates(WideView text)
{
    // A list of numbers: any run of white space separates them, and white space around the list
    // is not part of it. Northing, easting, elevation; further values are not read, and a
    // single value is no position.
    WideView values[3];
    std::size_t count = 0;
    for (WideView rest = WithoutXmlSpace(text); !rest.empty() && count < 3;)
    {
        std::size_t end = 0;
        while (end < rest.size() && !IsXmlSpace(rest[end]))
            ++end;
        values[count++] = rest.substr(0, end);
        rest = WithoutXmlSpace(rest.substr(end));
    }
    if (count < 2)
        return;
    // The host's parser takes zero-terminated texts: each value is copied out of the text.
    double metres = 0.0;
    if (ParseLength(WideText(values[0]), metres))
        sink->SetNorthing(metres);
    if (ParseLength(WideText(values[1]), metres))
        sink->SetEasting(metres);
    if (count == 3 && ParseLength(WideText(values[2]), metres))
        sink->SetElevation(metres);
}

} // namespace Plugin
