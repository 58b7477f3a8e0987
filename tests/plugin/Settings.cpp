// The one setting in the host's store and in the property list the host shows for it.

#include "platform/HostLibrary.h"
#include "plugin/ImportPlugin.h"
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

std::string Utf8(const WideChar* text)
{
    return Host::ToUtf8(Host::FromWide(text));
}

// The plug-in object with the one reference a host holds.
struct PluginObject
{
    PluginObject() { object->AddRef(); }
    ~PluginObject() { EXPECT_TRUE(object->Release()) << "references left on the plug-in"; }
    CImportPluginImpl* operator->() const { return object; }
    CImportPluginImpl* object = new CImportPluginImpl();
};

// A host view that records its calls and fills its combo box from the items, as a host does.
class RecordingView final : public IPropertyListView
{
public:
    void AddCategory(const WideChar* caption) override
    {
        calls.push_back("AddCategory(\"" + Utf8(caption) + "\")");
    }
    bool AddComboProperty(int id, bool flag, const WideChar* label,
                          IEnumerator<IComboItem*>* enumerator, int selectedId) override
    {
        calls.push_back("AddComboProperty(" + std::to_string(id) + ", " + std::to_string(flag) +
                        ", \"" + Utf8(label) + "\", " + std::to_string(selectedId) + ")");
        for (; enumerator->HasCurrent(); enumerator->MoveNext())
        {
            IComboItem* item = enumerator->GetCurrent();
            BSTR text = item->GetText();
            items.push_back(std::to_string(item->GetId()) + " " + Utf8(text));
            Platform::FreeHostBstr(text);
            item->AddRef();
            if (item->Release())
                items.back() += " (destroyed during the call)";
            if (keepItems)
            {
                item->AddRef();
                kept.push_back(item);
            }
        }
        enumerator->MoveNext(); // stays at the end
        endsAfterItems = !enumerator->HasCurrent() && enumerator->GetCurrent() == nullptr;
        enumerator->Reset();
        firstAfterReset = enumerator->HasCurrent() ? enumerator->GetCurrent()->GetId() : -1;
        return true;
    }
    void GetComboValue(int id, int* value) override
    {
        calls.push_back("GetComboValue(" + std::to_string(id) + ", " + std::to_string(*value) +
                        ")");
        *value = chosen;
    }

    bool keepItems = false;
    int chosen = 1;
    Lines calls;
    Lines items;
    std::vector<IComboItem*> kept;
    bool endsAfterItems = false;
    int firstAfterReset = -1;
};

struct FixedWriter final : ISettingsWriter
{
    bool WriteInt(const WideChar*, int) override { return result; }
    bool result = false;
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
        FixedWriter writer;
        writer.result = result;
        EXPECT_EQ(plugin->SaveSettings(&writer), result) << "the writer's result is passed on";
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
        RecordingView view;
        plugin->FillPropertyList(&view);
        EXPECT_EQ(view.calls,
                  Lines({R"(AddCategory("Настройка"))",
                         std::string(R"(AddComboProperty(0, 1, "Постоянная призмы", )") +
                             (setting ? "1)" : "0)")}));
        EXPECT_EQ(view.items, Lines({"1 Учитывать", "0 Не учитывать"}));
        EXPECT_TRUE(view.endsAfterItems);
        EXPECT_EQ(view.firstAfterReset, 1);
        EXPECT_EQ(plugin->ConsidersPrismConstant(), setting);
    }
}

TEST(PropertyList, ItemsTheViewKeptOutliveTheFillWithTheViewsReferenceTheLast)
{
    PluginObject plugin;
    RecordingView view;
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
        Platform::FreeHostBstr(text);
        Platform::FreeHostBstr(again);
        EXPECT_TRUE(view.kept[i]->Release()) << "item " << i;
    }
}

TEST(PropertyList, ApplyChangesTakesOnlyChoiceOneAsTrueAndCloseChangesNothing)
{
    PluginObject plugin;
    EXPECT_TRUE(plugin->CanApply() && plugin->CanClose());
    EXPECT_TRUE(plugin->ApplyChanges()) << "before any fill the setting stays";
    RecordingView earlier;
    RecordingView view;
    plugin->FillPropertyList(&earlier);
    plugin->FillPropertyList(&view);
    const std::pair<int, bool> rows[] = {{0, false}, {1, true}, {7, false}, {1, true}, {-1, false}};
    for (const auto& [chosen, expected] : rows)
    {
        view.chosen = chosen;
        EXPECT_EQ(plugin->ApplyChanges(), expected) << chosen;
        EXPECT_EQ(plugin->ConsidersPrismConstant(), expected) << chosen;
        EXPECT_EQ(view.calls.back(), "GetComboValue(0, 0)") << "property 0, value preset to 0";
    }
    plugin->Close(); // changes nothing, asks nothing
    EXPECT_TRUE(plugin->CanApply() && plugin->CanClose());
    EXPECT_FALSE(plugin->ConsidersPrismConstant());
    EXPECT_EQ(view.calls.size(), 2u + std::size(rows));
    EXPECT_EQ(earlier.calls.size(), 2u);

    PluginObject unfilled;
    Host::SettingsStore store;
    store.hasValue = true;
    unfilled->LoadSettings(&store);
    EXPECT_FALSE(unfilled->ApplyChanges()) << "before any fill the setting stays";
}

} // namespace
