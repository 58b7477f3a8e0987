#pragma once

#include "document/WideText.h"
#include "plugin/RefCounted.h"

#include <cstddef>
#include <memory_resource>
#include <vector>

namespace Plugin
{

// One choice offered by a combo-box property.
struct ComboChoice
{
    int id;
    WideText text;
};

namespace Detail
{

// A choice handed to the host; a plain count, used on one thread.
class CComboItem : public CRefCountedImpl<IComboItem, false>
{
public:
    // The item is the host's to keep: its text is its own, not the call's memory.
    CComboItem(int itemId, WideView itemText) : id(itemId), text(itemText) {}

    int GetId() override { return id; }
    BSTR GetText() override;

private:
    int id;
    WideString text;
};

} // namespace Detail

// The plug-in's cursor over a sequence it does not own; lives for one host call only.
template <typename Sequence>
class CEnumeratorImpl final : public IEnumerator<typename Sequence::value_type>
{
public:
    explicit CEnumeratorImpl(const Sequence& sequence) : items(sequence) {}
    CEnumeratorImpl(const CEnumeratorImpl&) = delete;
    CEnumeratorImpl& operator=(const CEnumeratorImpl&) = delete;
    ~CEnumeratorImpl() = default;

    bool HasCurrent() override { return position < items.size(); }
    void MoveNext() override
    {
        if (position < items.size())
            ++position;
    }
    // Past the end there is no item: a host that asks anyway gets none, not memory after it.
    typename Sequence::value_type GetCurrent() override
    {
        return position < items.size() ? items[position] : typename Sequence::value_type{};
    }
    void Reset() override { position = 0; }

private:
    std::size_t position = 0;
    const Sequence& items;
};

// Adds one combo-box property to the view: an item per choice, each released again after the
// call, so that only the items the host kept with AddRef live on. Returns the view's result.
bool BuildComboProperty(IPropertyListView* view, int propertyId, bool flag, const WideText& label,
                        const std::pmr::vector<ComboChoice>& choices, int selectedId);

} // namespace Plugin
