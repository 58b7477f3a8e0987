// Linux stand-ins for the Windows services the plug-in relies on, with the same observable
// behaviour: BSTR layout, string table, MultiByteToWideChar, shared file reading, path test.

#include "platform/Platform.h"

#include "platform/HResultError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

// Windows-1251, bytes 0x80 to 0xFF; 0x98 is unassigned and maps to U+0098 as on Windows.
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
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
    if (codePage == CodePage::ThreadAnsi)
    {
        for (int i = 0; i < byteCount; ++i)
        {
            const unsigned char byte = input[i];
            if (!writer.Put(byte < 0x80 ? byte : kCp1251High[byte - 0x80]))
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
