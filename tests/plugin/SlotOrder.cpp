// The host calls every interface by slot index, so a declaration moved in HostInterfaces.h breaks
// the host without breaking the build. Under the Itanium C++ ABI a pointer to a virtual member
// function holds 1 + the byte offset of its slot in the table; these tables read the slot back.

#include "plugin/HostInterfaces.h"

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

TEST(SlotOrder, ImportSinkAndExtension)
{
    using S = IImportSink;
    using E = ISinkExtension;
    // clang-format off
    ExpectSlots({
        SLOT(S::GetValueParserFactory, 0), SLOT(S::BeginFile, 1),
        SLOT(S::SetFileResult, 2), SLOT(S::ReportWarning, 4), SLOT(S::ReportError, 5),
        SLOT(S::SetProgress, 6), SLOT(S::GetExtension, 7), SLOT(S::AddPoint, 8),
        SLOT(S::SetNorthing, 9), SLOT(S::SetEasting, 10), SLOT(S::SetElevation, 11),
        SLOT(S::SetPlanType, 12), SLOT(S::SetHeightType, 13), SLOT(S::SetPointCode, 16),
        SLOT(S::SetStation, 17), SLOT(S::SetDate, 20), SLOT(S::SetInstrumentHeight, 21),
        SLOT(S::SetTargetPoint, 24), SLOT(S::SetPressure, 25),
        SLOT(S::SetDryTemperature, 26), SLOT(S::SetZenithAngle, 28),
        SLOT(S::SetHorizontalAngle, 29), SLOT(S::SetTargetHeight, 30),
        SLOT(S::SetSlopeDistance, 31), SLOT(S::SetFace, 33), SLOT(E::SetDescription, 38),
        SLOT(E::SetObservationTime, 39), SLOT(E::AddImageNote, 40)});
    // clang-format on
}

TEST(SlotOrder, ParsersEnumeratorsSettingsAndPropertyList)
{
    using F = IValueParserFactory;
    using Paths = IEnumerator<const WideChar*>;
    using Items = IEnumerator<IComboItem*>;
    using View = IPropertyListView;
    using Controller = IPropertyListViewController;
    // clang-format off
    ExpectSlots({
        SLOT(F::AddRef, 0), SLOT(F::Release, 1), SLOT(F::GetAngleParser, 2),
        SLOT(F::GetDistanceParser, 3), SLOT(F::GetPressureParser, 4),
        SLOT(F::GetTemperatureParser, 5), SLOT(IValueParser::AddRef, 0),
        SLOT(IValueParser::Release, 1), SLOT(IValueParser::Parse, 2),
        SLOT(Paths::HasCurrent, 0), SLOT(Paths::MoveNext, 1), SLOT(Paths::GetCurrent, 2),
        SLOT(Paths::Reset, 3), SLOT(Items::HasCurrent, 0), SLOT(Items::MoveNext, 1),
        SLOT(Items::GetCurrent, 2), SLOT(Items::Reset, 3),
        SLOT(ISettingsReader::ReadInt, 1), SLOT(ISettingsWriter::WriteInt, 1),
        SLOT(View::AddCategory, 0), SLOT(View::AddComboProperty, 2),
        SLOT(View::GetComboValue, 6), SLOT(IComboItem::AddRef, 0),
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
