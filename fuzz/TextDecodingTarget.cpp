// Text decoding. The first byte chooses a single-byte code page, the rest is the text.
// Properties:
// - Platform::MultiByteToWide never fails for UTF-8 and that code page, needs no more characters
//   than there are bytes, writes exactly what its size query announced, and never writes past a
//   buffer one character too small;
// - under the single-byte code page every byte becomes one character, ASCII stays ASCII and no
//   other byte becomes ASCII or zero, so that a document read into UTF-8 keeps its markup;
// - under UTF-8 the result is well-formed UTF-16, and whenever it holds no replacement
//   character it encodes back to exactly the input bytes;
// - CLandXMLImporter::ToWide is the platform's UTF-8 conversion up to the first zero byte, never
//   raises and never calls the host, for a terminated and for a counted text;
// - a document read into UTF-8 from the code page, or from UTF-16 in either byte order, is
//   UTF-8 without a zero byte that reads back as the characters of the input up to its first
//   zero (byte or code unit), U+FFFD standing for a lone surrogate or half a code unit.

#include "document/CharacterSets.h"
#include "document/DocumentText.h"
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

// The thread's ANSI code page and every single-byte set a document may declare.
std::vector<CodePage> SingleByteCodePages()
{
    std::vector<CodePage> codePages = {CodePage::ThreadAnsi};
    for (const Plugin::CharacterSet& set : Plugin::kCharacterSets)
    {
        // The sets the platform converts; the few it has no code page for the plug-in reads
        // with tables of its own.
        const auto codePage = static_cast<CodePage>(set.codePage);
        Plugin::WideChar out = 0;
        if (codePage != CodePage::Utf8 && Platform::MultiByteToWide(codePage, "a", 1, &out, 1) == 1)
            codePages.push_back(codePage);
    }
    return codePages;
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
    const std::string name = "code page " + std::to_string(static_cast<std::uint32_t>(codePage));
    auto problem = [&](const std::string& what) { findings.push_back(name + ": " + what); };
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
    if (codePage != CodePage::Utf8)
    {
        if (written != byteCount)
            problem("not one character per byte");
        for (std::size_t i = 0; i < bytes.size() && i < text.size(); ++i)
        {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (byte < 0x80 ? text[i] != byte : text[i] < 0x80)
            {
                problem(byte < 0x80 ? "an ASCII byte changed" : "a byte became ASCII or zero");
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

// The platform's UTF-8 conversion of text up to its first zero byte.
std::u16string FromUtf8(const std::string& text)
{
    const std::string terminated = text.substr(0, std::strlen(text.c_str()));
    if (terminated.empty())
        return std::u16string();
    std::vector<Plugin::WideChar> out(terminated.size(), 0);
    const int count = static_cast<int>(terminated.size());
    const int written =
        Platform::MultiByteToWide(CodePage::Utf8, terminated.data(), count, out.data(), count);
    return Units(out.data(), std::max(written, 0));
}

void CheckToWide(const std::string& bytes, Findings& findings)
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
        host.BeginFile(path.c_str());
        std::string document = "<LandXML/>";
        importer.ParseDocument(document.data(), document.size());
        const std::size_t callsBefore = record.Calls().size();
        const auto wide = [](const Plugin::WideText& text)
        { return std::u16string(text.View().begin(), text.View().end()); };
        const std::u16string whole = wide(importer.ToWide(terminated.c_str()));
        const std::u16string counted = wide(importer.ToWide(bytes));
        if (record.Calls().size() != callsBefore)
            findings.push_back("text decoding called the host");
        host.SetProgress(100.0f);
        if (whole != counted)
            findings.push_back("ToWide of a counted text differs from the terminated text");
        if (whole.size() > textLength)
            findings.push_back("ToWide gave " + std::to_string(whole.size()) + " characters for " +
                               std::to_string(textLength) + " bytes");
        if (whole.find(u'\0') != std::u16string::npos)
            findings.push_back("ToWide's result holds a zero character");
        if (whole != FromUtf8(bytes))
            findings.push_back("ToWide differs from the platform's conversion of the text");
    }
    catch (const std::exception& error)
    {
        findings.push_back(std::string("ToWide raised: ") + error.what());
    }
    checker.FinishImport(host, false);
    for (const std::string& problem : checker.Problems())
        findings.push_back("host: " + problem);
}

// What reading a document into UTF-8 must give, as UTF-16 read back from that UTF-8.
void CheckDocumentText(CodePage codePage, const std::string& bytes, Findings& findings)
{
    const auto check =
        [&](const std::string& what, const std::string& utf8, const std::u16string& expected)
    {
        if (utf8.find('\0') != std::string::npos)
            findings.push_back(what + ": the UTF-8 holds a zero byte");
        else if (FromUtf8(utf8) != expected)
            findings.push_back(what + ": the UTF-8 does not read back as the input's characters");
    };
    try
    {
        std::string text = bytes.substr(0, std::strlen(bytes.c_str()));
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            text.erase(0, 3);
        std::u16string expected;
        if (!text.empty())
        {
            std::vector<Plugin::WideChar> out(text.size(), 0);
            const int count = static_cast<int>(text.size());
            const int written =
                Platform::MultiByteToWide(codePage, text.data(), count, out.data(), count);
            expected = Units(out.data(), std::max(written, 0));
        }
        check("code page", std::string(Plugin::CodePageToUtf8(bytes.c_str(), codePage)), expected);

        for (const Plugin::Utf16 form : {Plugin::Utf16::LittleEndian, Plugin::Utf16::BigEndian})
        {
            const bool big = form == Plugin::Utf16::BigEndian;
            const std::string mark = big ? "\xFE\xFF" : "\xFF\xFE";
            std::u16string units;
            std::size_t at = 0;
            for (; at + 1 < bytes.size(); at += 2)
            {
                const auto first = static_cast<unsigned char>(bytes[at]);
                const auto second = static_cast<unsigned char>(bytes[at + 1]);
                const auto unit =
                    static_cast<char16_t>(big ? first << 8 | second : second << 8 | first);
                if (unit == 0)
                    break;
                units += unit;
            }
            if (at + 1 == bytes.size())
                units += u'\uFFFD';
            // Lone surrogates read back as U+FFFD.
            const std::u16string expected16 = Host::FromUtf8(Host::ToUtf8(units));
            const std::string marked = mark + bytes;
            check(big ? "UTF-16 BE" : "UTF-16 LE",
                  std::string(Plugin::Utf16ToUtf8(marked.data(), marked.size(), form)), expected16);
        }
    }
    catch (const std::exception& error)
    {
        findings.push_back(std::string("reading a document into UTF-8 raised: ") + error.what());
    }
}

} // namespace

Findings DecodeText(const std::uint8_t* data, std::size_t size)
{
    Findings findings;
    if (size == 0)
        return findings;
    static const std::vector<CodePage> codePages = SingleByteCodePages();
    const CodePage codePage = codePages[data[0] % codePages.size()];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    CheckConversion(CodePage::Utf8, bytes, findings);
    CheckConversion(codePage, bytes, findings);
    CheckToWide(bytes, findings);
    CheckDocumentText(codePage, bytes, findings);
    return findings;
}

} // namespace Fuzzing
