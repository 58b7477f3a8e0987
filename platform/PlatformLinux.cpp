// Linux stand-ins for the Windows services the plug-in relies on, with the same observable
// behaviour: BSTR layout, string table, MultiByteToWideChar, shared file reading, path test.

#include "platform/Platform.h"

#include "platform/HResultError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform
{
namespace
{

thread_local std::int32_t lastError = 0;

constexpr std::int32_t kErrorInvalidParameter = 87;

constexpr char16_t kReplacement = 0xFFFD;

// The single-byte character sets the plug-in reads, by code page and by the C library's name.
// The thread's ANSI code page is Windows-1251 here.
struct SingleByteSet
{
    std::uint32_t codePage;
    const char* name;
};
constexpr SingleByteSet kSingleByteSets[] = {
    {1250, "CP1250"},       {1251, "CP1251"},       {1253, "CP1253"},      {1254, "CP1254"},
    {1255, "CP1255"},       {1256, "CP1256"},       {1257, "CP1257"},      {1258, "CP1258"},
    {866, "IBM866"},        {20866, "KOI8-R"},      {21866, "KOI8-U"},     {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"}, {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"}, {28599, "ISO-8859-9"},
    {28603, "ISO-8859-13"}, {28605, "ISO-8859-15"},
};
constexpr std::uint32_t kThreadAnsiCodePage = 1251;

// Where Windows reads a byte otherwise than the C library: mostly bytes the library leaves
// undefined, to which Windows gives characters of the private use area, in runs, and a few it
// maps to other characters. Bytes first to last read as character and the characters after it.
// Measured under Wine (MultiByteToWideChar without flags, every byte of each code page). Bytes
// 0x80 to 0x9F the library leaves undefined are U+0080 to U+009F on Windows, by rule; any other
// byte it left undefined would become U+FFFD (none does).
struct WindowsReading
{
    std::uint32_t codePage;
    unsigned char first;
    unsigned char last;
    char16_t character;
};
constexpr WindowsReading kWindowsReadings[] = {
    {1253, 0xAA, 0xAA, 0xF8F9},  {1253, 0xD2, 0xD2, 0xF8FA},  {1253, 0xFF, 0xFF, 0xF8FB},
    {1255, 0xCA, 0xCA, 0x05BA},  {1255, 0xD9, 0xDF, 0xF88D},  {1255, 0xFB, 0xFC, 0xF894},
    {1255, 0xFF, 0xFF, 0xF896},  {1257, 0xA1, 0xA1, 0xF8FC},  {1257, 0xA5, 0xA5, 0xF8FD},
    {21866, 0xAE, 0xAE, 0x045E}, {21866, 0xBE, 0xBE, 0x040E}, {28593, 0xA5, 0xA5, 0xF7F5},
    {28593, 0xAE, 0xAE, 0xF7F6}, {28593, 0xBE, 0xBE, 0xF7F7}, {28593, 0xC3, 0xC3, 0xF7F8},
    {28593, 0xD0, 0xD0, 0xF7F9}, {28593, 0xE3, 0xE3, 0xF7FA}, {28593, 0xF0, 0xF0, 0xF7FB},
    {28596, 0xA1, 0xA3, 0xF7C8}, {28596, 0xA5, 0xAB, 0xF7CB}, {28596, 0xAE, 0xBA, 0xF7D2},
    {28596, 0xBC, 0xBE, 0xF7DF}, {28596, 0xC0, 0xC0, 0xF7E2}, {28596, 0xDB, 0xDF, 0xF7E3},
    {28596, 0xF3, 0xFF, 0xF7E8}, {28597, 0xA1, 0xA1, 0x02BD}, {28597, 0xA2, 0xA2, 0x02BC},
    {28597, 0xA4, 0xA5, 0xF7C2}, {28597, 0xAA, 0xAA, 0xF7C4}, {28597, 0xAE, 0xAE, 0xF7C5},
    {28597, 0xD2, 0xD2, 0xF7C6}, {28597, 0xFF, 0xFF, 0xF7C7}, {28598, 0xA1, 0xA1, 0xF79C},
    {28598, 0xAF, 0xAF, 0x203E}, {28598, 0xBF, 0xDE, 0xF79D}, {28598, 0xFB, 0xFF, 0xF7BD},
};

// The character the C library gives for one byte, or 0 when it gives none. Every byte below
// 0x80 of these sets is ASCII; the byte is converted alone, and whatever a converter that
// combines characters still holds is flushed.
char16_t LibraryReading(iconv_t converter, unsigned char byte)
{
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char input = static_cast<char>(byte);
    char* in = &input;
    std::size_t inLeft = 1;
    unsigned char output[8] = {};
    char* out = reinterpret_cast<char*>(output);
    std::size_t outLeft = sizeof output;
    if (::iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        ::iconv(converter, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        sizeof output - outLeft != 2)
        return 0;
    return static_cast<char16_t>(output[0] | (output[1] << 8));
}

// Bytes 0x80 to 0xFF of every set as Windows reads them, made once from the C library's
// converters; a set whose converter the system lacks has none.
class HighHalves
{
public:
    HighHalves()
    {
        for (std::size_t set = 0; set < std::size(kSingleByteSets); ++set)
        {
            const iconv_t converter = ::iconv_open("UTF-16LE", kSingleByteSets[set].name);
            if (converter == reinterpret_cast<iconv_t>(-1))
                continue;
            char16_t* high = tables[set];
            for (unsigned byte = 0x80; byte <= 0xFF; ++byte)
            {
                const char16_t character =
                    LibraryReading(converter, static_cast<unsigned char>(byte));
                high[byte - 0x80] = character != 0 ? character
                                    : byte < 0xA0  ? static_cast<char16_t>(byte)
                                                   : kReplacement;
            }
            ::iconv_close(converter);
            for (const WindowsReading& reading : kWindowsReadings)
                if (reading.codePage == kSingleByteSets[set].codePage)
                    for (unsigned byte = reading.first; byte <= reading.last; ++byte)
                        high[byte - 0x80] =
                            static_cast<char16_t>(reading.character + (byte - reading.first));
            available[set] = true;
        }
    }

    // Null for a code page that is not one of the sets, or whose converter is missing.
    const char16_t* Of(std::uint32_t codePage) const
    {
        for (std::size_t set = 0; set < std::size(kSingleByteSets); ++set)
            if (kSingleByteSets[set].codePage == codePage)
                return available[set] ? tables[set] : nullptr;
        return nullptr;
    }

private:
    char16_t tables[std::size(kSingleByteSets)][128] = {};
    bool available[std::size(kSingleByteSets)] = {};
};

struct StringEntry
{
    unsigned id;
    const char16_t* text;
};

#define STRING_ENTRY(id, text) {id, u"" text},
constexpr StringEntry kStringTable[] = {
#include "resources/StringTable.def"
};
#undef STRING_ENTRY

// Writes one UTF-16 code unit sequence for the code point; counts it when out is null.
class WideWriter
{
public:
    WideWriter(char16_t* destination, int limit) : out(destination), capacity(limit) {}

    bool Put(char32_t codePoint)
    {
        if (codePoint >= 0x10000)
        {
            codePoint -= 0x10000;
            return PutUnit(static_cast<char16_t>(0xD800 + (codePoint >> 10))) &&
                   PutUnit(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
        }
        return PutUnit(static_cast<char16_t>(codePoint));
    }

    int Written() const { return written; }

private:
    bool PutUnit(char16_t unit)
    {
        if (out != nullptr)
        {
            if (written == capacity)
                return false;
            out[written] = unit;
        }
        ++written;
        return true;
    }

    char16_t* out;
    int capacity;
    int written = 0;
};

// The length of the valid UTF-8 sequence at bytes, or 0 when it is malformed; in that case
// *skip is the length of its maximal subpart (at least 1), which becomes one U+FFFD.
int DecodeUtf8(const unsigned char* bytes, int available, char32_t* codePoint, int* skip)
{
    const unsigned char lead = bytes[0];
    *skip = 1;
    if (lead < 0x80)
    {
        *codePoint = lead;
        return 1;
    }
    int length;
    char32_t value;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        length = 2;
        value = lead & 0x1F;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90; // overlong
        if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    }
    else
    {
        return 0;
    }
    for (int i = 1; i < length; ++i)
    {
        if (i >= available)
            return 0;
        const unsigned char next = bytes[i];
        if (next < low || next > high)
            return 0;
        low = 0x80;
        high = 0xBF;
        value = (value << 6) | (next & 0x3F);
        *skip = i + 1;
    }
    *codePoint = value;
    return length;
}

} // namespace

Plugin::BSTR AllocateBstr(const WideChar* text)
{
    std::size_t length = 0;
    if (text != nullptr)
        while (text[length] != 0)
            ++length;
    const std::size_t bytes = length * sizeof(WideChar);
    if (bytes > 0xFFFFFFF0u)
        return nullptr;
    void* block = std::malloc(sizeof(std::uint32_t) + bytes + sizeof(WideChar));
    if (block == nullptr)
        return nullptr;
    const std::uint32_t prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, sizeof prefix);
    auto* result = reinterpret_cast<WideChar*>(static_cast<char*>(block) + sizeof prefix);
    if (length != 0)
        std::memcpy(result, text, bytes);
    result[length] = 0;
    return result;
}

int MultiByteToWide(CodePage codePage, const char* bytes, int byteCount, WideChar* out,
                    int capacity)
{
    if (bytes == nullptr || byteCount <= 0 || capacity < 0 || (capacity > 0 && out == nullptr))
    {
        lastError = kErrorInvalidParameter;
        return 0;
    }
    WideWriter writer(capacity == 0 ? nullptr : out, capacity);
    const auto* input = reinterpret_cast<const unsigned char*>(bytes);
    if (codePage != CodePage::Utf8)
    {
        static const HighHalves highHalves;
        const char16_t* high =
            highHalves.Of(codePage == CodePage::ThreadAnsi ? kThreadAnsiCodePage
                                                           : static_cast<std::uint32_t>(codePage));
        if (high == nullptr)
        {
            lastError = kErrorInvalidParameter;
            return 0;
        }
        for (int i = 0; i < byteCount; ++i)
        {
            const unsigned char byte = input[i];
            if (!writer.Put(byte < 0x80 ? byte : high[byte - 0x80]))
            {
                lastError = kErrorInsufficientBuffer;
                return 0;
            }
        }
        return writer.Written();
    }
    for (int i = 0; i < byteCount;)
    {
        char32_t codePoint = 0;
        int skip = 1;
        const int length = DecodeUtf8(input + i, byteCount - i, &codePoint, &skip);
        if (!writer.Put(length != 0 ? codePoint : kReplacement))
        {
            lastError = kErrorInsufficientBuffer;
            return 0;
        }
        i += length != 0 ? length : skip;
    }
    return writer.Written();
}

std::string ToUtf8(const WideChar* text, std::size_t length)
{
    std::string result;
    result.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
    {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
        {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        else if (c >= 0xD800 && c <= 0xDFFF)
        {
            c = kReplacement;
        }
        if (c < 0x80)
        {
            result += static_cast<char>(c);
        }
        else if (c < 0x800)
        {
            result += static_cast<char>(0xC0 | (c >> 6));
            result += static_cast<char>(0x80 | (c & 0x3F));
        }
        else if (c < 0x10000)
        {
            result += static_cast<char>(0xE0 | (c >> 12));
            result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (c & 0x3F));
        }
        else
        {
            result += static_cast<char>(0xF0 | (c >> 18));
            result += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return result;
}

std::int32_t SystemError()
{
    return lastError;
}

bool LoadStringResource(unsigned id, std::basic_string_view<WideChar>& text)
{
    for (const StringEntry& entry : kStringTable)
    {
        if (entry.id == id)
        {
            text = entry.text;
            return true;
        }
    }
    return false;
}

std::FILE* OpenSharedForReading(const WideChar* path)
{
    const std::string name = ToUtf8(path, std::char_traits<WideChar>::length(path));
    // Non-blocking, so that a FIFO with no writer cannot hold the import; only regular files
    // are read.
    const int descriptor = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat status
    {
    };
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
    {
        ::close(descriptor);
        return nullptr;
    }
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags >= 0)
        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(descriptor, "rb");
    if (file == nullptr)
        ::close(descriptor);
    return file;
}

bool FileSize(std::FILE* file, std::uint64_t& size)
{
    if (::fseeko(file, 0, SEEK_END) != 0)
        return false;
    const off_t end = ::ftello(file);
    if (::fseeko(file, 0, SEEK_SET) != 0 || end < 0)
        return false;
    size = static_cast<std::uint64_t>(end);
    return true;
}

bool PathExists(const WideChar* path)
{
    return ::access(ToUtf8(path, std::char_traits<WideChar>::length(path)).c_str(), F_OK) == 0;
}

bool SystemErrorText(std::int32_t code, WideChar* text, std::size_t capacity)
{
    // The English texts Windows gives for the codes the plug-in raises.
    const char16_t* message =
        code == Plugin::E_OUTOFMEMORY_HR
            ? u"Not enough memory resources are available to complete this operation."
        : code == Plugin::E_INVALIDARG_HR ? u"The parameter is incorrect."
        : code == Plugin::E_FAIL_HR       ? u"Unspecified error"
                                          : nullptr;
    if (message == nullptr || capacity == 0)
        return false;
    std::size_t length = 0;
    for (; message[length] != 0 && length + 1 < capacity; ++length)
        text[length] = message[length];
    text[length] = 0;
    return true;
}

void CallReleasingOnUnwind(void (*work)(void*), void* workContext, void (*)(void*), void*)
{
    work(workContext);
}

} // namespace Platform
