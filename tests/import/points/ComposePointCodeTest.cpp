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
        PointRecord record;
        for (const auto& [name, value] : c.attributes)
            record.attributes.emplace_back(Wide(name), Wide(value));
        for (const auto& line : c.lineCodes)
            record.lineCodes.push_back(Wide(line));
        record.code = Wide(u"RECORD-CODE"); // the record's own code is not the base
        const PointRecord before = record;
        EXPECT_EQ(
            Host::ToUtf8(Host::FromWide(Plugin::ComposePointCode(Wide(c.base), record).c_str())),
            Host::ToUtf8(c.code))
            << Host::ToUtf8(c.code);
        EXPECT_EQ(record.lineCodes, before.lineCodes) << "the record is not changed";
    }
}

} // namespace
