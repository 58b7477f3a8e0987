// Text decoding. The first byte chooses the declared encoding, the rest is the text. Properties:
// - Platform::MultiByteToWide never fails for these code pages, needs no more characters than
//   there are bytes, writes exactly what its size query announced, and never writes past a
//   buffer one character too small;
// - under the ANSI code page every byte becomes one character and ASCII stays ASCII;
// - under UTF-8 the result is well-formed UTF-16, and whenever it holds no replacement
//   character it encodes back to exactly the input bytes;
// - CLandXMLImporter::ToWide follows the declared encoding's rule (1251 or 1252 named anywhere
//   means the ANSI code page), never raises, gives no more characters than the text has bytes
//   and stops at the first zero byte, for a terminated and for a counted text.

#include "fuzz/Targets.h"
#include "import/LandXMLImporter.h"
#include "platform/Platform.h"
#include "tools/host/AllocationFailure.h"
#include "tools/host/Recorder.h"
#include "tools/host/Text.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>

namespace Fuzzing
{
namespace
{

using Platform::CodePage;

const char16_t* const kEncodings[] = {
    u"",         u"UTF-8",  u"utf-8", u"windows-1251", u"WINDOWS-1252", u"cp1251",
    u"x-1252-y", u"KOI8-R", u"125",   u"ISO-8859-1",   u"Windows-1250", u"1251",
};

bool NamesAnsiCodePage(const std::u16string& encoding)
{
    return encoding.find(u"1251") != std::u16string::npos ||
           encoding.find(u"1252") != std::u16string::npos;
}

std::u16string Units(const Plugin::WideChar* text, int count)
{
    std::u16string units;
    for (int i = 0; i < count; ++i)
        units += static_cast<char16_t>(text[i]);
    return units;
}

// Lone surrogates cannot come out of a correct decoder.
bool WellFormedUtf16(const std::u16string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF)
        {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        }
        else if (unit >= 0xDC00 && unit <= 0xDFFF)
        {
            return false;
        }
    }
    return true;
}

void CheckConversion(CodePage codePage, const std::string& bytes, Findings& findings)
{
    const char* name = codePage == CodePage::Utf8 ? "UTF-8" : "ANSI";
    auto problem = [&](const std::string& what)
    { findings.push_back(std::string(name) + ": " + what); };
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX / 2))
        return;
    const int byteCount = static_cast<int>(bytes.size());
    const int needed = Platform::MultiByteToWide(codePage, bytes.data(), byteCount, nullptr, 0);
    if (needed <= 0)
    {
        problem("the size query failed with system error " +
                std::to_string(Platform::SystemError()));
        return;
    }
    if (needed > byteCount)
        problem(std::to_string(needed) + " characters for " + std::to_string(byteCount) + " bytes");
    std::vector<Plugin::WideChar> out(static_cast<std::size_t>(needed) + 1, 0);
    const int written =
        Platform::MultiByteToWide(codePage, bytes.data(), byteCount, out.data(), needed);
    if (written != needed)
    {
        problem("wrote " + std::to_string(written) + " characters after announcing " +
                std::to_string(needed));
        return;
    }
    if (needed > 1)
    {
        // One character too few: the conversion fails as too small, or at least never writes
        // past the buffer (Wine writes half a surrogate pair and reports success).
        std::vector<Plugin::WideChar> small(static_cast<std::size_t>(needed), 0x7777);
        const int tooFew =
            Platform::MultiByteToWide(codePage, bytes.data(), byteCount, small.data(), needed - 1);
        const bool refused =
            tooFew == 0 && Platform::SystemError() == Platform::kErrorInsufficientBuffer;
        if (!refused && (tooFew < 0 || tooFew > needed - 1 || small.back() != 0x7777))
            problem("a buffer one character too small was overrun");
    }
    const std::u16string text = Units(out.data(), written);
    if (codePage == CodePage::ThreadAnsi)
    {
        if (written != byteCount)
            problem("not one character per byte");
        for (std::size_t i = 0; i < bytes.size() && i < text.size(); ++i)
        {
            if (static_cast<unsigned char>(bytes[i]) < 0x80 &&
                text[i] != static_cast<unsigned char>(bytes[i]))
            {
                problem("an ASCII byte changed");
                break;
            }
        }
        return;
    }
    if (!WellFormedUtf16(text))
        problem("the result holds a lone surrogate");
    if (text.find(u'\uFFFD') == std::u16string::npos && Host::ToUtf8(text) != bytes)
        problem("the result without replacement characters does not encode back to the input");
}

void CheckToWide(const std::u16string& encoding, const std::string& bytes, Findings& findings)
{
    Host::Recorder record;
    Host::RuleChecker checker(record);
    Host::Sink host(checker);
    const bool setting = true;
    const Plugin::WideString path = Host::HostPath(Host::WorkFolder() / "document.xml");
    std::string terminated = bytes;
    const std::size_t textLength = std::strlen(terminated.c_str());
    try
    {
        Plugin::CLandXMLImporter importer(&host, &setting, path);
        // The encoding as a document declares it.
        host.BeginFile(path.c_str());
        std::string declaration =
            "<?xml version=\"1.0\" encoding=\"" + Host::ToUtf8(encoding) + "\"?><LandXML/>";
        importer.ParseDocument(declaration.data());
        const std::size_t callsOfTheDocument = record.Calls().size();
        const bool ansi = NamesAnsiCodePage(encoding);

        const auto wide = [](const Plugin::WideText& text)
        { return Plugin::WideString(text.View()); };
        const Plugin::WideString whole = wide(importer.ToWide(terminated.c_str()));
        const Plugin::WideString counted = wide(importer.ToWide(bytes));
        if (record.Calls().size() != callsOfTheDocument)
            findings.push_back("text decoding called the host");
        host.SetProgress(100.0f);
        if (whole != counted)
            findings.push_back("ToWide of a counted text differs from the terminated text");
        if (whole.size() > textLength)
            findings.push_back("ToWide gave " + std::to_string(whole.size()) + " characters for " +
                               std::to_string(textLength) + " bytes");
        if (ansi && whole.size() != textLength)
            findings.push_back("ToWide under the ANSI code page lost or added characters");
        if (whole.find(Plugin::WideChar(0)) != Plugin::WideString::npos)
            findings.push_back("ToWide's result holds a zero character");
        {
            // What ToWide is: the platform's conversion of the text and its terminator, up to
            // the first zero character of what was written.
            std::vector<Plugin::WideChar> out(textLength + 1, 0);
            const int written = Platform::MultiByteToWide(
                ansi ? CodePage::ThreadAnsi : CodePage::Utf8, terminated.c_str(),
                static_cast<int>(textLength) + 1, out.data(), static_cast<int>(textLength) + 1);
            Plugin::WideString expected(out.data(), static_cast<std::size_t>(std::max(written, 0)));
            expected = expected.substr(0, expected.find(Plugin::WideChar(0)));
            if (whole != expected)
                findings.push_back("ToWide differs from the platform's conversion of the text");
        }
    }
    catch (const std::exception& error)
    {
        findings.push_back(std::string("ToWide raised: ") + error.what());
    }
    checker.FinishImport(host, false);
    for (const std::string& problem : checker.Problems())
        findings.push_back("host: " + problem);
}

} // namespace

Findings DecodeText(const std::uint8_t* data, std::size_t size)
{
    Findings findings;
    if (size == 0)
        return findings;
    const std::u16string encoding = kEncodings[data[0] % std::size(kEncodings)];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckConversion(CodePage::Utf8, bytes, findings);
    CheckConversion(CodePage::ThreadAnsi, bytes, findings);
    CheckToWide(encoding, bytes, findings);
    return findings;
}

} // namespace Fuzzing
