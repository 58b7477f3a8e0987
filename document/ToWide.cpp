// Narrow texts of the document as wide strings, under the declared encoding.

#include "import/LandXMLImporter.h"
#include "platform/Platform.h"
#include "plugin/HResultError.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace Plugin
{
namespace
{

bool Contains(const WideString& text, const WideChar* part)
{
    return text.find(part) != WideString::npos;
}

// Ends the text at the first zero a conversion wrote: nothing after it can reach the host.
void EndAtZero(WideText& text, const WideChar* characters, int written)
{
    const WideChar* end = std::find(characters, characters + written, WideChar(0));
    text.Resize(static_cast<std::size_t>(end - characters));
}

// Converts exactly the text's bytes, without the byte after them: a converter could take a
// terminator into an incomplete sequence at the end. Raises the system error when the
// conversion fails for any reason other than a buffer that was too small.
WideText Convert(Platform::CodePage codePage, const char* text, std::size_t length)
{
    // Nothing after a zero byte can reach the result.
    length = static_cast<std::size_t>(std::find(text, text + length, '\0') - text);
    if (length >= static_cast<std::size_t>(INT_MAX))
        throw std::bad_alloc();
    const int byteCount = static_cast<int>(length);

    // Pure ASCII means the same characters under either code page: widened as they are
    // checked, in one pass.
    WideText result;
    WideChar* out = result.Room(length);
    unsigned char seen = 0;
    for (std::size_t i = 0; i < length; ++i)
    {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        seen |= byte;
        out[i] = static_cast<WideChar>(byte);
    }
    if (seen < 0x80)
    {
        result.Resize(length);
        return result;
    }

    // Neither code page makes more characters than bytes.
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

bool UsesAnsiCodePage(const WideString& encoding)
{
    return Contains(encoding, WIDE_TEXT("1251")) || Contains(encoding, WIDE_TEXT("1252"));
}

void CLandXMLImporter::SetEncoding(WideString declared)
{
    encoding = std::move(declared);
    ansiCodePage = UsesAnsiCodePage(encoding);
}

WideText CLandXMLImporter::ToWideText(const char* text) const
{
    text = TextOf(text);
    return ToWideText(text, std::strlen(text));
}

WideText CLandXMLImporter::ToWideText(const char* text, std::size_t length) const
{
    return Convert(ansiCodePage ? Platform::CodePage::ThreadAnsi : Platform::CodePage::Utf8, text,
                   length);
}

WideString CLandXMLImporter::ToWide(const char* text) const
{
    return WideString(ToWideText(text).View());
}

WideString CLandXMLImporter::ToWide(const char* text, std::size_t length) const
{
    return WideString(ToWideText(text, length).View());
}

} // namespace Plugin
