#include "document/DocumentText.h"

#include "document/CharacterSets.h"
#include "document/ImportMemory.h"
#include "platform/HResultError.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace Plugin
{
namespace
{

// Conversions go in pieces of this many bytes or code units, so that a large document needs
// no second copy of itself in UTF-16.
constexpr std::size_t kPiece = std::size_t{1} << 16;

// The ISO character sets Windows has no code page for, read the same way in every build: bytes
// 0x80 to 0xA0 are U+0080 to U+00A0, as in every ISO-8859 set, and these tables hold bytes 0xA1
// to 0xFF, U+FFFD for a byte a set leaves undefined. Numbered as Windows would number them.
// ISO-8859-10 (Nordic).
constexpr char16_t kIso28600[95] = {
    0x0104, 0x0112, 0x0122, 0x012A, 0x0128, 0x0136, 0x00A7, 0x013B, 0x0110, 0x0160, 0x0166, 0x017D,
    0x00AD, 0x016A, 0x014A, 0x00B0, 0x0105, 0x0113, 0x0123, 0x012B, 0x0129, 0x0137, 0x00B7, 0x013C,
    0x0111, 0x0161, 0x0167, 0x017E, 0x2015, 0x016B, 0x014B, 0x0100, 0x00C1, 0x00C2, 0x00C3, 0x00C4,
    0x00C5, 0x00C6, 0x012E, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x0116, 0x00CD, 0x00CE, 0x00CF, 0x00D0,
    0x0145, 0x014C, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x0168, 0x00D8, 0x0172, 0x00DA, 0x00DB, 0x00DC,
    0x00DD, 0x00DE, 0x00DF, 0x0101, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x012F, 0x010D,
    0x00E9, 0x0119, 0x00EB, 0x0117, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x0146, 0x014D, 0x00F3, 0x00F4,
    0x00F5, 0x00F6, 0x0169, 0x00F8, 0x0173, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x0138,
};
// ISO-8859-11 (Thai; 0xDB to 0xDE and 0xFC to 0xFF are undefined).
constexpr char16_t kIso28601[95] = {
    0x0E01, 0x0E02, 0x0E03, 0x0E04, 0x0E05, 0x0E06, 0x0E07, 0x0E08, 0x0E09, 0x0E0A, 0x0E0B, 0x0E0C,
    0x0E0D, 0x0E0E, 0x0E0F, 0x0E10, 0x0E11, 0x0E12, 0x0E13, 0x0E14, 0x0E15, 0x0E16, 0x0E17, 0x0E18,
    0x0E19, 0x0E1A, 0x0E1B, 0x0E1C, 0x0E1D, 0x0E1E, 0x0E1F, 0x0E20, 0x0E21, 0x0E22, 0x0E23, 0x0E24,
    0x0E25, 0x0E26, 0x0E27, 0x0E28, 0x0E29, 0x0E2A, 0x0E2B, 0x0E2C, 0x0E2D, 0x0E2E, 0x0E2F, 0x0E30,
    0x0E31, 0x0E32, 0x0E33, 0x0E34, 0x0E35, 0x0E36, 0x0E37, 0x0E38, 0x0E39, 0x0E3A, 0xFFFD, 0xFFFD,
    0xFFFD, 0xFFFD, 0x0E3F, 0x0E40, 0x0E41, 0x0E42, 0x0E43, 0x0E44, 0x0E45, 0x0E46, 0x0E47, 0x0E48,
    0x0E49, 0x0E4A, 0x0E4B, 0x0E4C, 0x0E4D, 0x0E4E, 0x0E4F, 0x0E50, 0x0E51, 0x0E52, 0x0E53, 0x0E54,
    0x0E55, 0x0E56, 0x0E57, 0x0E58, 0x0E59, 0x0E5A, 0x0E5B, 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD,
};
// ISO-8859-14 (Celtic).
constexpr char16_t kIso28604[95] = {
    0x1E02, 0x1E03, 0x00A3, 0x010A, 0x010B, 0x1E0A, 0x00A7, 0x1E80, 0x00A9, 0x1E82, 0x1E0B, 0x1EF2,
    0x00AD, 0x00AE, 0x0178, 0x1E1E, 0x1E1F, 0x0120, 0x0121, 0x1E40, 0x1E41, 0x00B6, 0x1E56, 0x1E81,
    0x1E57, 0x1E83, 0x1E60, 0x1EF3, 0x1E84, 0x1E85, 0x1E61, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4,
    0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x0174,
    0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x1E6A, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC,
    0x00DD, 0x0176, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8,
    0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x0175, 0x00F1, 0x00F2, 0x00F3, 0x00F4,
    0x00F5, 0x00F6, 0x1E6B, 0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x0177, 0x00FF,
};
// ISO-8859-16 (South-Eastern European).
constexpr char16_t kIso28606[95] = {
    0x0104, 0x0105, 0x0141, 0x20AC, 0x201E, 0x0160, 0x00A7, 0x0161, 0x00A9, 0x0218, 0x00AB, 0x0179,
    0x00AD, 0x017A, 0x017B, 0x00B0, 0x00B1, 0x010C, 0x0142, 0x017D, 0x201D, 0x00B6, 0x00B7, 0x017E,
    0x010D, 0x0219, 0x00BB, 0x0152, 0x0153, 0x0178, 0x017C, 0x00C0, 0x00C1, 0x00C2, 0x0102, 0x00C4,
    0x0106, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x0110,
    0x0143, 0x00D2, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x015A, 0x0170, 0x00D9, 0x00DA, 0x00DB, 0x00DC,
    0x0118, 0x021A, 0x00DF, 0x00E0, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x0107, 0x00E6, 0x00E7, 0x00E8,
    0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x0111, 0x0144, 0x00F2, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x015B, 0x0171, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0119, 0x021B, 0x00FF,
};

const char16_t* OwnHighHalf(Platform::CodePage codePage)
{
    switch (static_cast<std::uint32_t>(codePage))
    {
    case 28600:
        return kIso28600;
    case 28601:
        return kIso28601;
    case 28604:
        return kIso28604;
    case 28606:
        return kIso28606;
    default:
        return nullptr;
    }
}

// Reads count bytes in the code page into as many characters at out; 0 when the platform cannot
// convert them. The sets Windows has no code page for are read here, the same in every build.
int ReadCodePage(Platform::CodePage codePage, const char* bytes, int count, WideChar* out)
{
    const char16_t* high = OwnHighHalf(codePage);
    if (high == nullptr)
        return Platform::MultiByteToWide(codePage, bytes, count, out, count);
    for (int i = 0; i < count; ++i)
    {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[i] = static_cast<WideChar>(byte <= 0xA0 ? byte : high[byte - 0xA1]);
    }
    return count;
}

bool StartsWith(const char* bytes, std::size_t size, std::string_view start)
{
    return size >= start.size() && std::memcmp(bytes, start.data(), start.size()) == 0;
}

} // namespace

Utf16 FindUtf16(const char* bytes, std::size_t size)
{
    using namespace std::string_view_literals;
    if (StartsWith(bytes, size, "\xFF\xFE"sv) || StartsWith(bytes, size, "<\0?\0x\0m\0l\0"sv))
        return Utf16::LittleEndian;
    if (StartsWith(bytes, size, "\xFE\xFF"sv) || StartsWith(bytes, size, "\0<\0?\0x\0m\0l"sv))
        return Utf16::BigEndian;
    return Utf16::None;
}

Platform::CodePage DeclaredCodePage(std::string_view encoding)
{
    if (NamesAnsiCodePage(encoding))
        return Platform::CodePage::ThreadAnsi;
    const CharacterSet* set = FindCharacterSet(encoding);
    return set != nullptr ? static_cast<Platform::CodePage>(set->codePage)
                          : Platform::CodePage::Utf8;
}

std::pmr::string Utf16ToUtf8(const char* bytes, std::size_t size, Utf16 form)
{
    const bool bigEndian = form == Utf16::BigEndian;
    using namespace std::string_view_literals;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    std::size_t at =
        StartsWith(bytes, size, "\xFF\xFE"sv) || StartsWith(bytes, size, "\xFE\xFF"sv) ? 2 : 0;
    std::pmr::string text(ImportMemory::Resource());
    std::pmr::vector<WideChar> piece(ImportMemory::Resource());
    piece.reserve(kPiece + 1);
    bool ended = false;
    while (!ended)
    {
        if (at + 1 < size)
        {
            const auto unit = static_cast<WideChar>(bigEndian ? in[at] << 8 | in[at + 1]
                                                              : in[at + 1] << 8 | in[at]);
            at += 2;
            ended = unit == 0;
            if (!ended)
                piece.push_back(unit);
        }
        else
        {
            if (at < size)
                piece.push_back(0xFFFD); // half a code unit
            ended = true;
        }
        if (piece.size() < kPiece && !ended)
            continue;
        // A pair is never cut: a high surrogate at the end of a piece waits for the next one.
        const bool carry = !ended && piece.back() >= 0xD800 && piece.back() <= 0xDBFF;
        text += Platform::ToUtf8(piece.data(), piece.size() - (carry ? 1 : 0));
        piece.erase(piece.begin(), piece.end() - (carry ? 1 : 0));
    }
    return text;
}

std::pmr::string CodePageToUtf8(const char* bytes, Platform::CodePage codePage)
{
    if (std::strncmp(bytes, "\xEF\xBB\xBF", 3) == 0)
        bytes += 3;
    const std::size_t length = std::strlen(bytes);
    std::pmr::string text(ImportMemory::Resource());
    text.reserve(length + length / 8);
    std::pmr::vector<WideChar> piece(kPiece, ImportMemory::Resource());
    for (std::size_t at = 0; at < length;)
    {
        // A piece ends after a byte below 0x40: in every code page Windows uses as an ANSI one
        // (UTF-8 and the double-byte ones included) such a byte is a character of its own, never
        // part of a sequence. A run of kPiece bytes without one is cut where it must be.
        std::size_t count = std::min(kPiece, length - at);
        if (at + count < length)
        {
            std::size_t end = count;
            while (end > 0 && static_cast<unsigned char>(bytes[at + end - 1]) >= 0x40)
                --end;
            if (end > 0)
                count = end;
        }
        // No code page makes more characters than bytes.
        const int units = static_cast<int>(count);
        const int written = ReadCodePage(codePage, bytes + at, units, piece.data());
        if (written <= 0)
            throw HResultError(HResultFromSystemError(Platform::SystemError()));
        text += Platform::ToUtf8(piece.data(), static_cast<std::size_t>(written));
        at += count;
    }
    return text;
}

} // namespace Plugin
