// Texts of the tree, all UTF-8 whatever the document's encoding, as wide strings.

#include "import/LandXMLImporter.h"
#include "platform/HResultError.h"
#include "platform/Platform.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

namespace Plugin
{
namespace
{

// Ends the text at the first zero a conversion wrote: nothing after it can reach the host.
void EndAtZero(WideText& text, const WideChar* characters, int written)
{
    const WideChar* end = std::find(characters, characters + written, WideChar(0));
    text.Resize(static_cast<std::size_t>(end - characters));
}

// Converts exactly the text's bytes, without the byte after them: a converter could take a
// terminator into an incomplete sequence at the end. Raises the system error when the
// conversion fails for any reason other than a buffer that was too small.
WideText Convert(const char* text, std::size_t length)
{
    // Nothing after a zero byte can reach the result.
    if (const void* zero = std::memchr(text, 0, length))
        length = static_cast<std::size_t>(static_cast<const char*>(zero) - text);
    if (length >= static_cast<std::size_t>(INT_MAX))
        throw std::bad_alloc();
    const int byteCount = static_cast<int>(length);

    // Pure ASCII needs no decoding: widened as it is checked, in one pass, eight bytes at a
    // time.
    WideText result;
    WideChar* out = result.Room(length);
    std::uint64_t seen = 0;
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8)
    {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, text + i, 8);
        seen |= bytes;
        for (std::size_t k = 0; k < 8; ++k)
            out[i + k] = static_cast<WideChar>(static_cast<unsigned char>(text[i + k]));
    }
    for (; i < length; ++i)
    {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        seen |= byte;
        out[i] = static_cast<WideChar>(byte);
    }
    if ((seen & 0x8080808080808080ull) == 0)
    {
        result.Resize(length);
        return result;
    }

    // UTF-8 never makes more characters than bytes.
    constexpr Platform::CodePage codePage = Platform::CodePage::Utf8;
    int written = Platform::MultiByteToWide(codePage, text, byteCount, out, byteCount);
    if (written == 0 && Platform::SystemError() == Platform::kErrorInsufficientBuffer)
    {
        const int capacity = Platform::MultiByteToWide(codePage, text, byteCount, nullptr, 0);
        if (capacity > 0)
        {
            out = result.Room(static_cast<std::size_t>(capacity));
            written = Platform::MultiByteToWide(codePage, text, byteCount, out, capacity);
        }
    }
    if (written == 0)
        throw HResultError(HResultFromSystemError(Platform::SystemError()));
    EndAtZero(result, out, written);
    return result;
}

} // namespace

WideText CLandXMLImporter::ToWide(std::string_view text) const
{
    if (text.empty())
        return WideText();
    return Convert(text.data(), text.size());
}

} // namespace Plugin
