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
        const int written =
            Platform::MultiByteToWide(codePage, bytes + at, units, piece.data(), units);
        if (written <= 0)
            throw HResultError(HResultFromSystemError(Platform::SystemError()));
        text += Platform::ToUtf8(piece.data(), static_cast<std::size_t>(written));
        at += count;
    }
    return text;
}

} // namespace Plugin
