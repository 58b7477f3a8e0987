#include "tools/host/Text.h"

#include "platform/Platform.h"

namespace Host
{

std::string ToUtf8(const std::u16string& text)
{
    // WideChar is char16_t, or a 16-bit wchar_t on Windows: the same code units.
    static_assert(sizeof(WideChar) == sizeof(char16_t), "UTF-16 code units");
    return Platform::ToUtf8(reinterpret_cast<const WideChar*>(text.data()), text.size());
}

std::u16string FromUtf8(const std::string& text)
{
    std::u16string out;
    for (std::size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t c = lead;
        int length = 1;
        if (lead >= 0xF0)
        {
            length = 4;
            c = lead & 0x07;
        }
        else if (lead >= 0xE0)
        {
            length = 3;
            c = lead & 0x0F;
        }
        else if (lead >= 0xC0)
        {
            length = 2;
            c = lead & 0x1F;
        }
        if (i + static_cast<std::size_t>(length) > text.size())
            length = 1;
        for (int k = 1; k < length; ++k)
            c = (c << 6) |
                (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
        i += static_cast<std::size_t>(length);
        if (c >= 0x10000)
        {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
        else
        {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::u16string FromWide(const WideChar* text)
{
    std::u16string out;
    if (text != nullptr)
        for (; *text != 0; ++text)
            out += static_cast<char16_t>(*text);
    return out;
}

WideString ToWideString(const std::u16string& text)
{
    return WideString(text.begin(), text.end());
}

WideString HostPath(const std::filesystem::path& path)
{
    return ToWideString(path.lexically_normal().make_preferred().u16string());
}

} // namespace Host
