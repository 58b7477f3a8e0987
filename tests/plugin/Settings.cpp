// The one setting in the host's store and in the property list the host shows for it.

#include "plugin/ImportPlugin.h"
#include "tools/host/HostLibrary.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace
{

using namespace Plugin;
using Lines = std::vector<std::string>;

// The plug-in object with the one reference a host holds.
struct PluginObject
{
    PluginObject() { object->AddRef(); }
    ~PluginObject() { EXPECT_TRUE(object->Release()) << "references left on the plug-in"; }
    CImportPluginImpl* operator->() const { return object; }
    CImportPluginImpl* object = new CImportPluginImpl();
};

// The host's view, its calls recorded.
struct RecordedView
{
    Host::Recorder calls;
    Host::PropertyListView view{&calls};

    // The items the view read, as "id text".
    Lines Items() const
    {
        Lines items;
        for (const Host::PropertyListView::Item& item : view.Items())
            items.push_back(std::to_string(item.id) + " " + Host::ToUtf8(item.text));
        return items;
    }
};

TEST(Settings, OnlyAStoredOneLoadsAsTrueAndSavingWritesOneOrZero)
{
    // One object through all rows, so that every row changes the setting.
    const std::pair<std::optional<int>, bool> rows[] = {
        {0, false}, {1, true}, {2, false}, {std::nullopt, true}, {-1, false}};
    PluginObject plugin;
    for (const auto& [stored, expected] : rows)
    {
        Host::Recorder calls;
        Host::SettingsStore store(&calls);
        store.hasValue = stored.has_value();
        store.value = stored.value_or(0);
        plugin->LoadSettings(&store);
        EXPECT_EQ(plugin->ConsidersPrismConstant(), expected) << stored.value_or(99);
        EXPECT_TRUE(plugin->SaveSettings(&store));
        const std::string value = expected ? "1" : "0";
        EXPECT_EQ(calls.Lines(),
                  Lines({R"(settings.ReadInt("ConsiderPrismConstant", 1) -> )" +
                             std::to_string(stored.value_or(1)),
                         R"(settings.WriteInt("ConsiderPrismConstant", )" + value + ") -> true"}))
            << stored.value_or(99);
    }
    for (bool result : {false, true})
    {
        Host::SettingsStore store;
        store.writeResult = result;
        EXPECT_EQ(plugin->SaveSettings(&store), result) << "the writer's result is passed on";
    }
}

TEST(PropertyList, FillAddsTheCaptionAndOneComboPreselectingTheSetting)
{
    for (bool setting : {true, false})
    {
        PluginObject plugin;
        Host::SettingsStore store;
        store.hasValue = true;
        store.value = setting;
        plugin->LoadSettings(&store);
        RecordedView recorded;
        plugin->FillPropertyList(&recorded.view);
        EXPECT_EQ(recorded.calls.Lines(),
                  Lines({R"(view.AddCategory("Настройка"))",
                         std::string(R"(view.AddComboProperty(0, true, "Постоянная призмы", )") +
                             (setting ? "1)" : "0)") + " -> true"}));
        EXPECT_EQ(recorded.Items(), Lines({"1 Учитывать", "0 Не учитывать"}));
        EXPECT_EQ(recorded.view.Misuse(), Lines()) << "held, stays at its end, starts again";
        EXPECT_EQ(plugin->ConsidersPrismConstant(), setting);
    }
}

TEST(PropertyList, ItemsTheViewKeptOutliveTheFillWithTheViewsReferenceTheLast)
{
    PluginObject plugin;
    Host::PropertyListView view;
    view.keepItems = true;
    plugin->FillPropertyList(&view);
    ASSERT_EQ(view.kept.size(), 2u);
    const std::u16string texts[] = {u"Учитывать", u"Не учитывать"};
    for (int i = 0; i < 2; ++i)
    {
        BSTR text = view.kept[i]->GetText();
        BSTR again = view.kept[i]->GetText();
        EXPECT_NE(text, again);
        EXPECT_EQ(Host::FromWide(text), texts[i]);
        Host::FreeBstr(text);
        Host::FreeBstr(again);
        EXPECT_TRUE(view.kept[i]->Release()) << "item " << i;
    }
}

TEST(PropertyList, ApplyChangesTakesOnlyChoiceOneAsTrueAndCloseChangesNothing)
{
    PluginObject plugin;
    EXPECT_TRUE(plugin->CanApply() && plugin->CanClose());
    EXPECT_TRUE(plugin->ApplyChanges()) << "before any fill the setting stays";
    RecordedView earlier;
    RecordedView recorded;
    plugin->FillPropertyList(&earlier.view);
    plugin->FillPropertyList(&recorded.view);
    const std::pair<int, bool> rows[] = {{0, false}, {1, true}, {7, false}, {1, true}, {-1, false}};
    for (const auto& [chosen, expected] : rows)
    {
        recorded.view.chosen = chosen;
        EXPECT_EQ(plugin->ApplyChanges(), expected) << chosen;
        EXPECT_EQ(plugin->ConsidersPrismConstant(), expected) << chosen;
        EXPECT_EQ(recorded.calls.Lines().back(),
                  "view.GetComboValue(0, 0) -> " + std::to_string(chosen))
            << "property 0, value preset to 0";
    }
    plugin->Close(); // changes nothing, asks nothing
    EXPECT_TRUE(plugin->CanApply() && plugin->CanClose());
    EXPECT_FALSE(plugin->ConsidersPrismConstant());
    EXPECT_EQ(recorded.calls.Calls().size(), 2u + std::size(rows));
    EXPECT_EQ(earlier.calls.Calls().size(), 2u);

    PluginObject unfilled;
    Host::SettingsStore store;
    store.hasValue = true;
    unfilled->LoadSettings(&store);
    EXPECT_FALSE(unfilled->ApplyChanges()) << "before any fill the setting stays";
}

} // namespace
