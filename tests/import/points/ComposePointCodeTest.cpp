// The code text of a point: base or first line code, the attributes, the other line codes.

#include "import/LandXMLImporter.h"
#include "tools/host/RecordingHost.h"

#include <gtest/gtest.h>

namespace
{

using Plugin::PointRecord;
using Plugin::WideString;

WideString Wide(const std::u16string& text)
{
    return Host::ToWideString(text);
}

TEST(ComposePointCode, BaseAttributesAndLineCodes)
{
    using Attributes = std::vector<std::pair<std::u16string, std::u16string>>;
    using LineCodes = std::vector<std::u16string>;
    const Attributes kerb = {{u"H", u"1.2"}, {u"M", u"ST"}};
    struct Case
    {
        std::u16string base;
        Attributes attributes;
        LineCodes lineCodes;
        std::u16string code;
    };
    const Case cases[] = {
        {u"KERB", kerb, {}, u"KERB /H=1.2/M=ST"},
        {u"KERB", kerb, {u"L1", u"L2"}, u"L1 /H=1.2/M=ST; L2"},
        {u"KERB", kerb, {u"", u"L2"}, u"KERB /H=1.2/M=ST; L2"},
        {u"KERB", {}, {u"L1", u"L2"}, u"L1; L2"},
        {u"KERB", {}, {u"L1"}, u"L1"},
        {u"KERB", {}, {}, u"KERB"},
        {u"", {}, {u"", u"L2"}, u"; L2"},
        {u"", kerb, {}, u" /H=1.2/M=ST"},
        {u"KERB", {{u"", u""}}, {}, u"KERB /="},
        {u"KERB", {}, {u"L1", u"", u"L3"}, u"L1; ; L3"},
        {u"Бордюр", {{u"Высота", u"1,5"}}, {}, u"Бордюр /Высота=1,5"},
    };
    for (const Case& c : cases)
    {
        Plugin::TextArena arena;
        PointRecord record;
        Plugin::WideText attributes;
        for (const auto& [name, value] : c.attributes)
            Plugin::AppendFeatureAttribute(attributes, Wide(name), Wide(value));
        record.attributes = arena.Keep(attributes);
        for (const auto& line : c.lineCodes)
            record.lineCodes.push_back(arena, arena.Keep(Wide(line)));
        record.code.Append(arena, Wide(u"RECORD-CODE")); // the record's own code is not the base
        Plugin::WideText code(Wide(u"left over from an earlier point"));
        Plugin::ComposePointCode(Wide(c.base), record, code);
        EXPECT_EQ(Host::ToUtf8(Host::FromWide(code.c_str())), Host::ToUtf8(c.code))
            << Host::ToUtf8(c.code);
        ASSERT_EQ(record.lineCodes.size(), c.lineCodes.size());
        for (std::size_t i = 0; i < c.lineCodes.size(); ++i)
            EXPECT_EQ(WideString(record.lineCodes[i].View()), Wide(c.lineCodes[i]))
                << "the record is not changed";
    }
}

} // namespace
