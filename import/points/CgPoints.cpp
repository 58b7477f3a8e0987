// Coordinate-geometry points: selected by role and name, sent from the last to the first.

#include "import/LandXMLImporter.h"

namespace Plugin
{
namespace
{

bool IsWhiteSpace(WideChar c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The value that ends a coordinate text. Writers end the text with one separator after the last
// value; that separator is dropped. A value that runs to the end of the text is kept whole, so
// that its last digit is never lost.
WideString LastValue(const WideString& rest)
{
    if (!rest.empty() && IsWhiteSpace(rest.back()))
        return rest.substr(0, rest.size() - 1);
    return rest;
}

// The date digits of a time stamp YYYY-MM-DDThh:mm:ss: YYYYMMDD.
WideString DateOf(const WideString& stamp)
{
    WideString date;
    if (stamp.size() >= 4)
        date.append(stamp, 0, 4);
    WideString rest = stamp.size() > 5 ? stamp.substr(5) : WideString();
    if (rest.size() >= 2)
        date.append(rest, 0, 2);
    rest = rest.size() > 3 ? rest.substr(3) : WideString();
    if (rest.size() >= 2)
        date.append(rest, 0, 2);
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
        WideString name = ToWide(nameAttribute->value());
        const bool measured = ValueIs(role, "measured");
        const bool control = ValueIs(role, "control point");
        const std::size_t at = name.find(WideChar('@'));
        if (at != WideString::npos && !control)
            continue;

        const auto known = points.find(name);
        if (known != points.end() && known->second.subclass == WIDE_TEXT("GPS phase"))
        {
            if (measured)
                continue;
        }
        else if (role != nullptr && !control)
        {
            continue;
        }

        if (control && at != WideString::npos)
            name.resize(at);
        sink->AddPoint(name.c_str());

        if (const Attribute* codeAttribute = FindAttribute(child, "code"))
        {
            const WideString base = ToWide(codeAttribute->value());
            if (version == 10)
            {
                // LandXML 1.0 writes a point's feature just before it.
                PointRecord feature;
                const Node* previous = child->previous_sibling();
                if (previous != nullptr && NameIs(previous, "Feature") &&
                    ReadFeature(previous, feature))
                    sink->SetPointCode(ComposePointCode(base, feature).c_str());
                else
                    sink->SetPointCode(base.c_str());
            }
            else if (known != points.end())
            {
                sink->SetPointCode(ComposePointCode(base, known->second).c_str());
            }
            else
            {
                sink->SetPointCode(base.c_str());
            }
        }

        if (const Attribute* desc = FindAttribute(child, "desc"))
            if (ISinkExtension* extension = sink->GetExtension(PointExtension))
                extension->SetDescription(ToWide(desc->value()).c_str());

        if (control)
        {
            sink->SetPlanType(0);
            sink->SetHeightType(0);
        }

        if (const Attribute* stamp = FindAttribute(child, "timeStamp"))
            sink->SetDate(DateOf(ToWide(stamp->value())).c_str());

        ReadPointCoordinates(ToWide(child->value()));
    }
}

bool CLandXMLImporter::ReadFeature(const Node* feature, PointRecord& record) const
{
    const bool oldVersion = version == 10;
    const Node* item = FindChild(feature, "Attribute");
    if (item == nullptr && oldVersion)
        item = FindChild(feature, "Property");
    const Attribute* code = FindAttribute(feature, "code");
    if (code == nullptr)
        return false;
    record.code = ToWide(code->value());

    const char* itemName = oldVersion ? "Property" : "Attribute";
    for (; item != nullptr; item = NextSibling(item, itemName))
    {
        const Attribute* name = FindAttribute(item, "name");
        if (name == nullptr && oldVersion)
            name = FindAttribute(item, "label");
        const Attribute* value = FindAttribute(item, "value");
        if (name != nullptr && value != nullptr)
            record.attributes.emplace_back(ToWide(name->value()), ToWide(value->value()));
    }
    if (const Attribute* linework = FindAttribute(feature, "codeLinework"))
        record.lineworkCode = ToWide(linework->value());
    return true;
}

void CLandXMLImporter::ReadPointCoordinates(const WideString& text)
{
    const std::size_t first = text.find(WideChar(' '));
    if (first == WideString::npos)
        return;
    double value = 0.0;
    const WideString northing = text.substr(0, first);
    if (!northing.empty() && distanceParser.Parse(northing, &value))
        sink->SetNorthing(value);
    WideString rest = text.substr(first + 1);

    const std::size_t second = rest.find(WideChar(' '));
    WideString easting;
    if (second != WideString::npos)
    {
        easting = rest.substr(0, second);
        rest.erase(0, second + 1);
    }
    else
    {
        if (rest.empty())
            return;
        easting = LastValue(rest);
        rest.clear();
    }
    if (!easting.empty() && distanceParser.Parse(easting, &value))
        sink->SetEasting(value);
    if (rest.empty())
        return;
    const WideString elevation = LastValue(rest);
    if (!elevation.empty() && distanceParser.Parse(elevation, &value))
        sink->SetElevation(value);
}

} // namespace Plugin
