// ReadPointCoordinates. The first byte chooses the form of the text (bit 0: raw UTF-16 code
// units, else UTF-8); the rest is a point's coordinate text. Properties:
// - nothing is raised;
// - the distance parser sees the values the text splits into at runs of XML white space, in
//   order: the northing, the easting and the elevation, the first three of them, and none when
//   the text holds fewer than two;
// - SetNorthing, SetEasting and SetElevation follow exactly the accepted values, in that order,
//   with the parsed numbers, inside the point opened by the AddPoint before.

#include "fuzz/ImporterFixture.h"
#include "fuzz/Targets.h"

#include <exception>
#include <utility>

namespace Fuzzing
{
namespace
{

// One value of the split and the setter it is for.
struct Slot
{
    const char* setter;
    std::u16string whole;
};

bool IsXmlSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

std::vector<Slot> Split(const std::u16string& text)
{
    std::vector<std::u16string> values;
    std::u16string value;
    for (const char16_t c : text + u' ')
    {
        if (!IsXmlSpace(c))
            value += c;
        else if (!value.empty())
            values.push_back(std::exchange(value, std::u16string()));
    }
    static const char* const setters[] = {"SetNorthing", "SetEasting", "SetElevation"};
    std::vector<Slot> slots;
    for (std::size_t i = 0; values.size() >= 2 && i < values.size() && i < 3; ++i)
        slots.push_back({setters[i], values[i]});
    return slots;
}

// What the host reads of a text: up to its first zero.
std::u16string UpToZero(const std::u16string& text)
{
    return text.substr(0, text.find(u'\0'));
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
            if (next < calls.size() && calls[next].text == UpToZero(slot.whole))
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
            else if (!UpToZero(slot.whole).empty())
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
