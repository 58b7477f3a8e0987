// The one setting, ConsiderPrismConstant, in the host's store and in its property list.

#include "platform/Platform.h"
#include "plugin/ComboItem.h"
#include "plugin/ImportPlugin.h"
#include "plugin/StringTable.h"

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

bool BuildComboProperty(IPropertyListView* view, int propertyId, bool flag, const WideString& label,
                        const std::vector<ComboChoice>& choices, int selectedId)
{
    std::vector<IComboItem*> items;
    items.reserve(choices.size());
    for (const ComboChoice& choice : choices)
    {
        auto* item = new Detail::CComboItem(choice.id, choice.text);
        item->AddRef();
        items.push_back(item);
    }
    bool result = false;
    {
        CEnumeratorImpl<std::vector<IComboItem*>> enumerator(items);
        result = view->AddComboProperty(propertyId, flag, label.c_str(), &enumerator, selectedId);
    }
    // Items the host did not keep with AddRef end here.
    for (IComboItem* item : items)
        item->Release();
    return result;
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
    const WideString caption = LoadText(TextSettingsCaption);
    view->AddCategory(caption.c_str());
    const std::vector<ComboChoice> choices = {{1, LoadText(TextConsider)},
                                              {0, LoadText(TextDoNotConsider)}};
    const WideString label = LoadText(TextPrismConstant);
    BuildComboProperty(view, kPrismConstantProperty, true, label, choices,
                       considerPrismConstant ? 1 : 0);
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
