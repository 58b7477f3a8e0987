// The plug-in object as the host sees it: the library is loaded the way the host loads it and
// every slot is called through the pointer CreatePlugin returns. Counts are read from outside,
// as a host would: by how many Release calls it takes to destroy the object.

#include "plugin/ImportPlugin.h"
#include "tools/host/HostLibrary.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <type_traits>

namespace
{

using namespace Plugin;

class PluginFrame : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(library.Load(LANDXML_PLUGIN_FILE, error)) << error;
        plugin = library.CreatePlugin()();
        ASSERT_NE(plugin, nullptr);
    }
    void TearDown() override
    {
        if (plugin != nullptr)
        {
            EXPECT_EQ(ReleaseAll(), 1) << "references left on the plug-in";
        }
    }

    // The object's count: Release until the call that destroys it, and never once more.
    int ReleaseAll()
    {
        int releases = 1;
        while (!plugin->Release() && releases < 100)
            ++releases;
        plugin = nullptr;
        return releases;
    }

    Host::PluginLibrary library;
    IGroundBasedMIP* plugin = nullptr;
};

// A BSTR's text, checked against the byte length in the 4 bytes before it.
std::u16string TextOf(BSTR text)
{
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(text) - sizeof prefix, sizeof prefix);
    const std::u16string value = Host::FromWide(text);
    EXPECT_EQ(prefix, value.size() * sizeof(WideChar)) << Host::ToUtf8(value);
    Host::FreeBstr(text);
    return value;
}

// GetId by value, or through the result pointer of MSVC's convention where the table says so.
template <typename P> GUID IdOf(P* plugin)
{
    if constexpr (std::is_invocable_r_v<GUID, decltype(&P::GetId), P*>)
        return plugin->GetId();
    else
    {
        GUID id{};
        plugin->GetId(&id);
        return id;
    }
}

TEST_F(PluginFrame, CountsReferencesAndOnlyTheLastReleaseDestroys)
{
    IGroundBasedMIP* other = library.CreatePlugin()();
    EXPECT_NE(other, plugin) << "every call makes a new object";
    EXPECT_TRUE(other->Release());
    plugin->AddRef();
    EXPECT_FALSE(plugin->Release());
    EXPECT_EQ(ReleaseAll(), 1);
}

TEST_F(PluginFrame, GetInterfaceAddsAReferenceForKindsZeroToTwoOnly)
{
    for (int kind : {0, 1, 2})
        EXPECT_EQ(plugin->GetInterface(kind), static_cast<void*>(plugin)) << kind;
    for (int kind : {3, -1})
        EXPECT_EQ(plugin->GetInterface(kind), nullptr) << kind;
    EXPECT_EQ(ReleaseAll(), 4);
}

TEST_F(PluginFrame, IdentityAndNewlyAllocatedTexts)
{
    BSTR name = plugin->GetName();
    BSTR again = plugin->GetName();
    BSTR formatName = plugin->GetFormatName();
    EXPECT_NE(name, again);
    EXPECT_NE(name, formatName);
    EXPECT_EQ(TextOf(name), u"HexagonLandXML");
    EXPECT_EQ(TextOf(again), u"HexagonLandXML");
    EXPECT_EQ(TextOf(formatName), u"HexagonLandXML");
    EXPECT_EQ(TextOf(plugin->GetFileFilter()), u"*.xml");
    const GUID id = IdOf(plugin);
    const std::uint8_t expected[16] = {0xA8, 0x9F, 0x70, 0xF7, 0xFD, 0xB5, 0x8D, 0x4A,
                                       0xA7, 0xB9, 0xF7, 0xEA, 0x17, 0x77, 0xA1, 0x4B};
    EXPECT_EQ(std::memcmp(&id, expected, sizeof expected), 0);
    EXPECT_EQ(plugin->GetVersion(), 1);
}

TEST_F(PluginFrame, SettingsControllerAndImportSlotsReachTheirOperations)
{
    IPropertyListViewController* controller = plugin->GetPropertyListController();
    ASSERT_NE(controller, nullptr);
    EXPECT_TRUE(controller->CanApply());

    Host::Recorder settingsCalls;
    Host::SettingsStore store(&settingsCalls);
    store.hasValue = true;
    plugin->LoadSettings(&store); // stored 0
    EXPECT_TRUE(plugin->SaveSettings(&store));
    EXPECT_EQ(
        settingsCalls.Lines(),
        std::vector<std::string>({R"(settings.ReadInt("ConsiderPrismConstant", 1) -> 0)",
                                  R"(settings.WriteInt("ConsiderPrismConstant", 0) -> true)"}));

    Host::Recorder record;
    Host::Sink host(record);
    Host::PathList paths({Host::ToWideString(u"/nonexistent/frame.xml")});
    plugin->Import(&paths, &host);
    EXPECT_EQ(record.Lines(),
              std::vector<std::string>({R"(BeginFile("/nonexistent/frame.xml"))",
                                        R"(ReportError("Не удается открыть файл"))"}));
    EXPECT_EQ(ReleaseAll(), 1) << "the controller carries no reference";
}

TEST(PluginObject, ControllerIsTheSecondBaseAndTheSettingStartsTrue)
{
    auto* plugin = new CImportPluginImpl();
    plugin->AddRef();
    EXPECT_EQ(plugin->GetPropertyListController(),
              static_cast<IPropertyListViewController*>(plugin));
    EXPECT_TRUE(plugin->ConsidersPrismConstant());
    EXPECT_TRUE(plugin->Release());
}

} // namespace
