// The summary's words for the encoding the plug-in reads a document in, from the document's
// first bytes alone.

#include "tools/landxml-probe/TextEncoding.h"
#include "tools/host/Files.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

// A document's start in UTF-16, each character of ascii as two bytes.
std::string Utf16(const std::string& ascii, bool bigEndian)
{
    std::string bytes;
    for (const char c : ascii)
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

TEST(TextEncoding, WordsNameTheEncodingThePluginReadsIn)
{
    const std::string body = "\n<LandXML version=\"1.2\"/>";
    const auto declared = [&](const std::string& encoding, const char quote = '"')
    {
        return std::string("<?xml version=") + quote + "1.0" + quote + " encoding=" + quote +
               encoding + quote + "?>" + body;
    };
    const struct
    {
        const char* name;
        std::string bytes;
        const char* words;
    } rows[] = {
        {"registered name", declared("iso-8859-1"), "ISO-8859-1 as declared"},
        {"alias", declared("latin1"), "ISO-8859-1, as declared latin1"},
        {"after a comment", "<!-- exported -->" + declared("KOI8-R"), "KOI8-R as declared"},
        {"ANSI, UTF-8 mark", "\xEF\xBB\xBF" + declared("windows-1251", '\''),
         "the thread's ANSI code page, as declared windows-1251"},
        {"ANSI by number", declared("x-cp1252"),
         "the thread's ANSI code page, as declared x-cp1252"},
        {"a set of the plug-in's own", declared("ISO-8859-16"), "ISO-8859-16 as declared"},
        {"ASCII", declared("US-ASCII"), "US-ASCII as declared"},
        {"unknown name", declared("x-mac-roman"),
         "UTF-8 (declared x-mac-roman, which the plug-in does not read)"},
        {"no encoding", "<?xml version=\"1.0\"?>" + body, "UTF-8, no encoding declared"},
        {"no declaration", body, "UTF-8, no encoding declared"},
        {"UTF-16 LE mark", "\xFF\xFE" + Utf16(declared("ISO-8859-1"), false),
         "UTF-16 LE, from its byte-order mark"},
        {"UTF-16 BE", Utf16(declared("UTF-16"), true), "UTF-16 BE, from its first characters"},
    };
    const Host::TempFolder folder;
    for (const auto& row : rows)
        EXPECT_EQ(Probe::TextEncodingWords(folder.Write("document.xml", row.bytes)), row.words)
            << row.name;
    EXPECT_EQ(Probe::TextEncodingWords(folder.Path() / "missing.xml"), "");
}

} // namespace
