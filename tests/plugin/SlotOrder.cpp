// The host calls every interface by slot index, so a declaration moved in HostInterfaces.h breaks
// the host without breaking the build. Under the Itanium C++ ABI a pointer to a virtual member
// function holds 1 + the byte offset of its slot in the table; these tables read the slot back.

#include "plugin/HostInterfaces.h"
#include "tools/host/Methods.h"

#include <cstddef>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace
{

using namespace Plugin;

// The slot of a virtual member function, or -1 when the pointer does not have the Itanium
// representation {1 + table offset, no this adjustment}.
template <typename Member> std::ptrdiff_t SlotOf(Member member)
{
    if constexpr (sizeof(Member) != 2 * sizeof(std::ptrdiff_t))
    {
        return -1;
    }
    else
    {
        std::ptrdiff_t words[2];
        std::memcpy(words, &member, sizeof words);
        if (words[1] != 0 || words[0] % 2 != 1)
            return -1;
        return (words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
    }
}

struct SlotCase
{
    const char* name;
    std::ptrdiff_t slot;
    std::ptrdiff_t expected;
};
#define SLOT(member, expected) (SlotCase{#member, SlotOf(&member), expected})

void ExpectSlots(const std::vector<SlotCase>& cases)
{
    // Elsewhere (MSVC, the ARM variant of the ABI) member pointers cannot be read this way.
    if (SlotOf(&IRefCounted::AddRef) != 0 || SlotOf(&IRefCounted::Release) != 1)
        GTEST_SKIP() << "member pointers do not have the Itanium representation here";
    for (const SlotCase& slotCase : cases)
        EXPECT_EQ(slotCase.slot, slotCase.expected) << slotCase.name;
}

// The host's objects: every method at the slot the host's table gives it.
TEST(SlotOrder, HostMethodsStandAtTheSlotsOfTheHostsTable)
{
#define LANDXML_SLOT_CASE(name, Interface, slot, argument, answer) SLOT(Interface::name, slot),
    ExpectSlots({LANDXML_HOST_METHODS(LANDXML_SLOT_CASE, LANDXML_SLOT_CASE)});
#undef LANDXML_SLOT_CASE
}

// What the host calls of the plug-in's objects.
TEST(SlotOrder, ComboItemsAndTheController)
{
    using Items = IEnumerator<IComboItem*>;
    using Controller = IPropertyListViewController;
    // clang-format off
    ExpectSlots({
        SLOT(Items::HasCurrent, 0), SLOT(Items::MoveNext, 1),
        SLOT(Items::GetCurrent, 2), SLOT(Items::Reset, 3), SLOT(IComboItem::AddRef, 0),
        SLOT(IComboItem::Release, 1), SLOT(IComboItem::GetId, 2),
        SLOT(IComboItem::GetText, 3), SLOT(Controller::FillPropertyList, 0),
        SLOT(Controller::CanApply, 1), SLOT(Controller::CanClose, 2),
        SLOT(Controller::ApplyChanges, 3), SLOT(Controller::Close, 4)});
    // clang-format on
}

TEST(SlotOrder, PluginSlotsRunFromZeroToElevenAcrossTheThreeInterfaces)
{
    using P = IPlugin;
    // clang-format off
    ExpectSlots({
        SLOT(IGroundBasedMIP::AddRef, 0), SLOT(IGroundBasedMIP::Release, 1),
        SLOT(P::GetInterface, 2), SLOT(P::GetName, 3), SLOT(P::GetId, 4),
        SLOT(P::GetVersion, 5), SLOT(P::LoadSettings, 6), SLOT(P::SaveSettings, 7),
        SLOT(P::GetPropertyListController, 8), SLOT(IFileImportPlugin::GetFileFilter, 9),
        SLOT(IFileImportPlugin::GetFormatName, 10), SLOT(IGroundBasedMIP::Import, 11)});
    // clang-format on
}

} // namespace
