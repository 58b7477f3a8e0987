// ReadPointCoordinates. The first byte chooses the form of the text (bit 0: raw UTF-16 code
// units, else UTF-8); the rest is a point's coordinate text. Properties:
// - nothing is raised;
// - the distance parser sees the values the text splits into at single spaces, in order, none
//   of them empty and none longer than the text: the northing before the first space, the
//   easting up to the next space or the end, the elevation in the rest; the value that ends the
//   text may lose its final character;
// - SetNorthing, SetEasting and SetElevation follow exactly the accepted values, in that order,
//   with the parsed numbers, inside the point opened by the AddPoint before.

#include "fuzz/ImporterFixture.h"
#include "fuzz/Targets.h"

#include <exception>

namespace Fuzzing
{
namespace
{

// One value of the split: the texts the parser may see for it (the last value of the text with
// or without its final character); no call at all is right when every choice is empty.
struct Slot
{
    const char* setter;
    std::u16string whole;
    bool mayLoseLast = false;
};

std::vector<Slot> Split(const std::u16string& text)
{
    std::vector<Slot> slots;
    const std::size_t first = text.find(u' ');
    if (first == std::u16string::npos)
        return slots;
    slots.push_back({"SetNorthing", text.substr(0, first)});
    std::u16string rest = text.substr(first + 1);
    const std::size_t second = rest.find(u' ');
    if (second == std::u16string::npos)
    {
        if (!rest.empty())
            slots.push_back({"SetEasting", rest, true});
        return slots;
    }
    slots.push_back({"SetEasting", rest.substr(0, second)});
    rest.erase(0, second + 1);
    if (!rest.empty())
        slots.push_back({"SetElevation", rest, true});
    return slots;
}

std::u16string UpToZero(const std::u16string& text)
{
    return text.substr(0, text.find(u'\0'));
}

bool Matches(const Slot& slot, const std::u16string& seen)
{
    if (seen.empty())
        return false;
    if (seen == UpToZero(slot.whole))
        return true;
    return slot.mayLoseLast && !slot.whole.empty() &&
           seen == UpToZero(slot.whole.substr(0, slot.whole.size() - 1));
}

bool MayBeSkipped(const Slot& slot)
{
    return slot.whole.empty() || (slot.mayLoseLast && slot.whole.size() == 1);
}

} // namespace

Findings SplitCoordinates(const std::uint8_t* data, std::size_t size)
{
    Findings findings;
    if (size == 0)
        return findings;
    const bool rawUnits = (data[0] & 1) != 0;
    ImporterFixture fixture("");
    Host::Sink& host = fixture.Sink();
    try
    {
        const Plugin::WideString wide = InputText(fixture, data + 1, size - 1, rawUnits);
        const std::u16string text(wide.begin(), wide.end());
        host.AddPoint(
            WIDE_TEXT("P")); // the point the coordinates belong to, as the point reader opens it
        const std::size_t before = fixture.Recorded();
        fixture.Importer().ReadPointCoordinates(wide);

        const std::vector<ImporterFixture::ParseCall> calls = fixture.ParseCallsSince(before);
        const std::vector<std::string> lines = fixture.OtherLinesSince(before);
        std::vector<std::string> expectedLines;
        std::size_t next = 0;
        for (const Slot& slot : Split(text))
        {
            if (next < calls.size() && Matches(slot, calls[next].text))
            {
                const ImporterFixture::ParseCall& call = calls[next++];
                if (call.kind != "distance")
                    findings.push_back(std::string(slot.setter) + " value parsed by the " +
                                       call.kind + " parser");
                if (call.accepted)
                {
                    Host::Call sent;
                    sent.method = slot.setter;
                    sent.arguments = {call.value};
                    expectedLines.push_back(Host::FormatCall(sent));
                }
            }
            else if (!MayBeSkipped(slot))
            {
                findings.push_back(std::string("the value for ") + slot.setter +
                                   " did not reach the parser as split");
                break;
            }
        }
        if (next != calls.size())
            findings.push_back("the parser saw a text that is not one of the split values");
        for (const ImporterFixture::ParseCall& call : calls)
            if (call.text.size() > text.size())
                findings.push_back("a parsed value is longer than the coordinate text");
        if (findings.empty() && lines != expectedLines)
            findings.push_back("the coordinates sent differ from the values the parser accepted");
    }
    catch (const std::exception& error)
    {
        findings.push_back(std::string("ReadPointCoordinates raised: ") + error.what());
    }
    for (const std::string& problem : fixture.Finish())
        findings.push_back("host: " + problem);
    return findings;
}

} // namespace Fuzzing
