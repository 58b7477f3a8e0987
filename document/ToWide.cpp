// Narrow texts of the document as wide strings, under the declared encoding.

#include "import/LandXMLImporter.h"
#include "platform/Platform.h"
#include "plugin/HResultError.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace Plugin
{
namespace
{

bool Contains(const WideString& text, const WideChar* part)
{
    return text.find(part) != WideString::npos;
}

// The characters a conversion wrote, up to the first zero the text may hold.
WideString Written(const WideChar* characters, int written)
{
    const WideChar* end = std::find(characters, characters + written, WideChar(0));
    return WideString(characters, end);
}

// Converts exactly the text's bytes, without the byte after them: a converter could take a
// terminator into an incomplete sequence at the end. Raises the system error when the
// conversion fails for any reason other than a buffer that was too small.
WideString Convert(Platform::CodePage codePage, const char* text, std::size_t length)
{
    // Nothing after a zero byte can reach the result.
    length = static_cast<std::size_t>(std::find(text, text + length, '\0') - text);
    if (length >= static_cast<std::size_t>(INT_MAX))
        throw std::bad_alloc();
    const int byteCount = static_cast<int>(length);

    // Pure ASCII means the same characters under either code page.
    bool ascii = true;
    for (std::size_t i = 0; i < length && ascii; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    if (ascii)
        return WideString(text, text + length);

    constexpr int kLocalCapacity = 128;
    WideChar local[kLocalCapacity];
    if (byteCount <= kLocalCapacity)
    {
        const int written =
            Platform::MultiByteToWide(codePage, text, byteCount, local, kLocalCapacity);
        if (written > 0)
            return Written(local, written);
        if (Platform::SystemError() != Platform::kErrorInsufficientBuffer)
            throw HResultError(HResultFromSystemError(Platform::SystemError()));
    }
    int capacity = byteCount;
    std::unique_ptr<WideChar[]> heap(new WideChar[static_cast<std::size_t>(capacity)]);
    int written = Platform::MultiByteToWide(codePage, text, byteCount, heap.get(), capacity);
    if (written == 0 && Platform::SystemError() == Platform::kErrorInsufficientBuffer)
    {
        capacity = Platform::MultiByteToWide(codePage, text, byteCount, nullptr, 0);
        if (capacity > 0)
        {
            heap.reset(new WideChar[static_cast<std::size_t>(capacity)]);
            written = Platform::MultiByteToWide(codePage, text, byteCount, heap.get(), capacity);
        }
    }
    if (written == 0)
        throw HResultError(HResultFromSystemError(Platform::SystemError()));
    return Written(heap.get(), written);
}

} // namespace

bool UsesAnsiCodePage(const WideString& encoding)
{
    return Contains(encoding, WIDE_TEXT("1251")) || Contains(encoding, WIDE_TEXT("1252"));
}

void CLandXMLImporter::SetEncoding(WideString declared)
{
    encoding = std::move(declared);
    ansiCodePage = UsesAnsiCodePage(encoding);
}

WideString CLandXMLImporter::ToWide(const char* text) const
{
    text = TextOf(text);
    return ToWide(text, std::strlen(text));
}

WideString CLandXMLImporter::ToWide(const char* text, std::size_t length) const
{
    return Convert(ansiCodePage ? Platform::CodePage::ThreadAnsi : Platform::CodePage::Utf8, text,
                   length);
}

} // namespace Plugin
