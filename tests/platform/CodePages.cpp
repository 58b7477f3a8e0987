// The single-byte code pages of the platform layer: the system's tables on Windows, the C
// library's converters with Windows' own readings on Linux. This program runs in both builds
// (the Windows one under Wine with the Russian locale), against the same expectations, so that
// the two cannot give a document's bytes different characters.

#include "platform/Platform.h"

#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{

using Platform::CodePage;

// The characters of the bytes, in one call; empty when the conversion fails.
std::u16string Read(CodePage codePage, const std::string& bytes)
{
    std::vector<Plugin::WideChar> out(bytes.size() + 1, 0);
    const int count = static_cast<int>(bytes.size());
    const int written =
        Platform::MultiByteToWide(codePage, bytes.data(), count, out.data(), count + 1);
    return std::u16string(out.begin(), out.begin() + written);
}

std::string Bytes(unsigned from, unsigned to)
{
    std::string bytes;
    for (unsigned byte = from; byte <= to; ++byte)
        bytes += static_cast<char>(byte);
    return bytes;
}

// FNV-1a over the characters' UTF-16 code units, low byte first.
std::uint64_t Digest(const std::u16string& text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char16_t unit : text)
        for (const unsigned byte : {unit & 0xFFu, unsigned{unit} >> 8})
        {
            hash ^= byte;
            hash *= 1099511628211ull;
        }
    return hash;
}

std::string Hex(const std::u16string& text)
{
    std::string out;
    char unit[8];
    for (const char16_t c : text)
    {
        std::snprintf(unit, sizeof unit, "%s%04X", out.empty() ? "" : " ", unsigned{c});
        out += unit;
    }
    return out;
}

TEST(CodePages, EveryByteReadsAsWindowsReadsIt)
{
    // The digest of bytes 0x80 to 0xFF as MultiByteToWideChar without flags gives them under
    // Wine (each byte read alone gives the same); the letters and undefined bytes beside it show
    // what it covers.
    const struct
    {
        std::uint32_t codePage;
        std::uint64_t digest;
        std::string bytes;
        std::u16string expected;
    } rows[] = {
        {3, 0xBAC9CB4A5E2EDE3Full, "\xC0\xFF\x98", u"\u0410\u044F\u0098"}, // Windows-1251
        {1250, 0xEDEC68A1EBE63CE0ull, "\x8A\xE8\x81", u"\u0160\u010D\u0081"},
        {1253, 0xE97BB63E5A2B80B5ull, "\xC1\xF9\xAA", u"\u0391\u03C9\uF8F9"},
        {1254, 0x4A521E141859725Eull, "\xD0\xFE\x8E", u"\u011E\u015F\u008E"},
        {1255, 0xAC0D0E2F92C58588ull, "\xE0\xCA\xD9", u"\u05D0\u05BA\uF88D"},
        {1256, 0x46711C5E8A2A8F88ull, "\xC7\x81", u"\u0627\u067E"},
        {1257, 0x29D5480F989A0DBCull, "\xE0\xA1", u"\u0105\uF8FC"},
        {1258, 0x146F0A48FF6A235Aull, "\xD2\xDE", u"\u0309\u0303"},
        {866, 0x68E30D59366D3725ull, "\x80\xEF\xF0", u"\u0410\u044F\u0401"},
        {20866, 0xF37E4E0D7449004Eull, "\xE1\xD1\xB3", u"\u0410\u044F\u0401"},
        {21866, 0xA41856E32908B826ull, "\xA4\xAE\xBE", u"\u0454\u045E\u040E"},
        {28591, 0x841D9F1F592B6A25ull, "\xE4\xFF\x80", u"\u00E4\u00FF\u0080"},
        {28592, 0x2A7F21E4753B7FD2ull, "\xB9\xE8", u"\u0161\u010D"},
        {28593, 0x96B9A05537454D2Aull, "\xA6\xA5", u"\u0124\uF7F5"},
        {28594, 0xB3FF617DF913944Cull, "\xA2", u"\u0138"},
        {28595, 0x6BCBEC491EC67D6Aull, "\xB0\xEF", u"\u0410\u044F"},
        {28596, 0x9765E5DA39ED3251ull, "\xC7\xA1", u"\u0627\uF7C8"},
        {28597, 0x3683330319E646E9ull, "\xC1\xA1\xA4", u"\u0391\u02BD\uF7C2"},
        {28598, 0x461EFD04F9AB60F0ull, "\xE0\xAF\xFD", u"\u05D0\u203E\uF7BF"},
        {28599, 0x1F4993894B0F1F8Cull, "\xD0\xFE", u"\u011E\u015F"},
        {28603, 0x0980FCBEF3F04B32ull, "\xD0\xE6", u"\u0160\u0119"},
        {28605, 0x2A6E664D24635880ull, "\xA4\xBC", u"\u20AC\u0152"},
    };
    const std::string ascii = Bytes(0x01, 0x7F);
    for (const auto& row : rows)
    {
        const auto codePage = static_cast<CodePage>(row.codePage);
        const std::u16string highHalf = Read(codePage, Bytes(0x80, 0xFF));
        EXPECT_EQ(highHalf.size(), 128u) << row.codePage;
        EXPECT_EQ(Digest(highHalf), row.digest) << row.codePage << ": " << Hex(highHalf);
        EXPECT_EQ(Hex(Read(codePage, row.bytes)), Hex(row.expected)) << row.codePage;
        EXPECT_EQ(Read(codePage, ascii), std::u16string(ascii.begin(), ascii.end()))
            << row.codePage;
    }
}

TEST(CodePages, ACodePageTheSystemLacksFailsAsInvalid)
{
    // ISO-8859-10, -11, -14 and -16 have no Windows code page.
    for (const std::uint32_t codePage : {28600u, 28601u, 28604u, 28606u})
    {
        Plugin::WideChar out[4] = {};
        EXPECT_EQ(Platform::MultiByteToWide(static_cast<CodePage>(codePage), "a\xE4", 2, out, 4), 0)
            << codePage;
        EXPECT_EQ(Platform::SystemError(), 87) << codePage;
    }
}

} // namespace
