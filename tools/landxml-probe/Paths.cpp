#include "tools/landxml-probe/Paths.h"

#include "tools/host/Text.h"

#include <type_traits>

namespace Probe
{

namespace
{

// The length of the well-formed UTF-8 sequence at text[at], or 0.
std::size_t SequenceLength(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i)
    { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    const unsigned lead = byte(at);
    const auto continuation = [&](std::size_t i) { return (byte(i) & 0xC0u) == 0x80u; };
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return continuation(at + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF)
    {
        const unsigned second = byte(at + 1);
        const bool overlongOrSurrogate =
            (lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0);
        return continuation(at + 1) && continuation(at + 2) && !overlongOrSurrogate ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4)
    {
        const unsigned second = byte(at + 1);
        const bool outOfRange = (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90);
        return continuation(at + 1) && continuation(at + 2) && continuation(at + 3) && !outOfRange
                   ? 4
                   : 0;
    }
    return 0;
}

// The native name as UTF-16: wide on Windows, bytes taken as UTF-8 elsewhere.
template <typename Char> std::u16string NativeText(const std::basic_string<Char>& native)
{
    if constexpr (sizeof(Char) == 1)
        return Host::FromUtf8(ValidUtf8(native));
    else
        return std::u16string(native.begin(), native.end());
}

} // namespace

std::string ValidUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();)
    {
        const std::size_t length = SequenceLength(text, at);
        if (length == 0)
        {
            out += "\xEF\xBF\xBD";
            ++at;
            continue;
        }
        out.append(text, at, length);
        at += length;
    }
    return out;
}

std::filesystem::path PathOf(const std::string& argument)
{
    // On Windows the arguments arrive as UTF-8 from the wide command line; elsewhere u8path
    // keeps the bytes as they are.
    return std::filesystem::u8path(argument);
}

std::filesystem::path FullPath(const std::string& argument)
{
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(PathOf(argument), error);
    if (error)
        full = PathOf(argument);
    return full.lexically_normal().make_preferred();
}

std::u16string PathText(const std::filesystem::path& path)
{
    return NativeText(path.native());
}

std::string PathUtf8(const std::filesystem::path& path)
{
    return Host::ToUtf8(PathText(path));
}

bool HasTextName(const std::filesystem::path& path)
{
    if constexpr (sizeof(std::filesystem::path::value_type) == 1)
        return ValidUtf8(path.string()) == path.string();
    else
        return true;
}

} // namespace Probe
