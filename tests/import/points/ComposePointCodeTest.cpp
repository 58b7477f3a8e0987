// The code text of a point: base or first line code, the attributes, the other line codes.

#include "import/LandXMLImporter.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <gtest/gtest.h>
#include <rapidxml/rapidxml.hpp>
#include <string>
#include <vector>

namespace
{

using Plugin::PointRecord;
using Plugin::WideString;

WideString Wide(const std::u16string& text)
{
    return Host::ToWideString(text);
}

// The importer's reader of a feature element, on a document of that element alone; the record's
// texts live as long as the reader.
struct FeatureReader
{
    bool Read(std::string feature, PointRecord& record)
    {
        rapidxml::xml_document<char> tree;
        tree.parse<0>(feature.data());
        return importer.ReadFeature(tree.first_node(), record);
    }
    Host::Recorder calls;
    Host::Sink host{calls};
    const bool setting = true;
    Plugin::CLandXMLImporter importer{&host, &setting, Plugin::WideView()};
    Plugin::TextArena arena;
};

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
        // The record as the extension's reader fills it from a point code element.
        std::string feature = "<PointCode code=\"RECORD-CODE\">";
        for (const auto& [name, value] : c.attributes)
            feature += "<Attribute name=\"" + Host::ToUtf8(name) + "\" value=\"" +
                       Host::ToUtf8(value) + "\"/>";
        feature += "</PointCode>";
        FeatureReader reader;
        PointRecord record(reader.arena);
        ASSERT_TRUE(reader.Read(feature, record));
        std::vector<WideString> lineCodes;
        for (const auto& line : c.lineCodes)
            lineCodes.push_back(Wide(line));
        for (const WideString& line : lineCodes)
            record.lineCodes.push_back(line);

        // The record's own code is not the base.
        const Plugin::WideText code =
            Plugin::CLandXMLImporter::ComposePointCode(Wide(c.base), record);
        EXPECT_EQ(Host::ToUtf8(Host::FromWide(code.c_str())), Host::ToUtf8(c.code))
            << Host::ToUtf8(c.code);
        ASSERT_EQ(record.lineCodes.size(), c.lineCodes.size());
        for (std::size_t i = 0; i < c.lineCodes.size(); ++i)
            EXPECT_EQ(WideString(record.lineCodes[i]), Wide(c.lineCodes[i]))
                << "the record is not changed";
    }
}

TEST(ComposePointCode, LineworkCodeIsKeptButNotSent)
{
    const struct
    {
        const char* feature;
        std::u16string linework;
    } cases[] = {
        {"<PointCode code=\"K\" codeLinework=\"LW 1\"><Attribute name=\"H\" "
         "value=\"2\"/></PointCode>",
         u"LW 1"},
        {"<PointCode code=\"K\" codeLinework=\"\"/>", u""},
        {"<PointCode code=\"K\"/>", u""},
        {"<PointCode codeLinework=\"LW\"/>", u""}, // without "code" nothing is stored
    };
    for (const auto& c : cases)
    {
        FeatureReader reader;
        PointRecord record(reader.arena);
        reader.Read(c.feature, record);
        EXPECT_EQ(WideString(record.lineworkCode), Wide(c.linework)) << c.feature;
        const Plugin::WideText code =
            Plugin::CLandXMLImporter::ComposePointCode(WIDE_TEXT("B"), record);
        EXPECT_EQ(WideString(code.View()).find(WIDE_TEXT("LW")), WideString::npos) << c.feature;
    }
}

} // namespace
