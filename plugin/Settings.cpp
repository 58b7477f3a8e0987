// The one setting, ConsiderPrismConstant, in the host's store and in its property list.

#include "document/StringTable.h"
#include "import/HostBoundary.h"
#include "platform/Platform.h"
#include "plugin/ComboItem.h"
#include "plugin/ImportPlugin.h"

#include <exception>

namespace Plugin
{
namespace
{

const WideChar* const kSettingKey = WIDE_TEXT("ConsiderPrismConstant");
constexpr int kPrismConstantProperty = 0;

} // namespace

BSTR Detail::CComboItem::GetText()
{
    return Platform::AllocateBstr(text.c_str());
}

namespace
{

// The items of one combo property, each with the reference its creator gave it, let go together:
// an item the host did not keep with AddRef ends then, or as a host's exception passes.
struct ComboItems
{
    ComboItems() : items(ImportMemory::Resource()) {}
    ComboItems(const ComboItems&) = delete;
    ComboItems& operator=(const ComboItems&) = delete;
    ~ComboItems()
    {
        for (IComboItem* item : items)
            item->Release();
    }
    std::pmr::vector<IComboItem*> items;
    Held held{*this};
};

} // namespace

bool BuildComboProperty(IPropertyListView* view, int propertyId, bool flag, const WideText& label,
                        const std::pmr::vector<ComboChoice>& choices, int selectedId)
{
    ComboItems made;
    made.items.reserve(choices.size());
    for (const ComboChoice& choice : choices)
    {
        // The host's object: from the plain heap, since the host may keep it after the call.
        auto* item = new Detail::CComboItem(choice.id, choice.text);
        item->AddRef();
        made.items.push_back(item); // within the reserved room: cannot fail
    }
    CEnumeratorImpl<std::pmr::vector<IComboItem*>> enumerator(made.items);
    return view->AddComboProperty(propertyId, flag, label.c_str(), &enumerator, selectedId);
}

void CImportPluginImpl::LoadSettings(ISettingsReader* reader)
{
    considerPrismConstant = reader->ReadInt(kSettingKey, 1) == 1;
}

bool CImportPluginImpl::SaveSettings(ISettingsWriter* writer)
{
    return writer->WriteInt(kSettingKey, considerPrismConstant ? 1 : 0);
}

void CImportPluginImpl::FillPropertyList(IPropertyListView* newView)
{
    view = newView;
    AtHostBoundary(
        [this]
        {
            // A text that cannot be loaded or an item that cannot be made ends the list where it
            // is: the host shows what was added.
            try
            {
                view->AddCategory(LoadText(TextSettingsCaption).c_str());
                std::pmr::vector<ComboChoice> choices(ImportMemory::Resource());
                choices.push_back({1, LoadText(TextConsider)});
                choices.push_back({0, LoadText(TextDoNotConsider)});
                BuildComboProperty(view, kPrismConstantProperty, true, LoadText(TextPrismConstant),
                                   choices, considerPrismConstant ? 1 : 0);
            }
            catch (const std::exception&)
            {
            }
        });
}

bool CImportPluginImpl::CanApply()
{
    return true;
}

bool CImportPluginImpl::CanClose()
{
    return true;
}

bool CImportPluginImpl::ApplyChanges()
{
    // Without a filled list there is no choice to read: the setting stays as it is.
    if (view == nullptr)
        return considerPrismConstant;
    int value = 0;
    view->GetComboValue(kPrismConstantProperty, &value);
    considerPrismConstant = value == 1;
    return considerPrismConstant;
}

void CImportPluginImpl::Close() {}

} // namespace Plugin
