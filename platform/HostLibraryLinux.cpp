#include "platform/HostLibrary.h"

#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>

namespace Platform
{

PluginLibrary::~PluginLibrary()
{
    if (handle != nullptr)
        ::dlclose(handle);
}

bool PluginLibrary::Load(const std::string& path, std::string& error)
{
    handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
    {
        const char* reason = ::dlerror();
        error = reason != nullptr ? reason : "cannot load the library";
        return false;
    }
    void* symbol = ::dlsym(handle, "CreatePlugin");
    if (symbol == nullptr)
    {
        error = "the library has no CreatePlugin";
        return false;
    }
    create = reinterpret_cast<CreatePluginFunction>(symbol);
    return true;
}

void FreeHostBstr(Plugin::BSTR text)
{
    if (text != nullptr)
        std::free(reinterpret_cast<char*>(text) - sizeof(std::uint32_t));
}

const char* PluginLibraryFileName()
{
    return "libHexagonLandXML.so";
}

std::string ArgumentUtf8(int index, char** argv)
{
    return argv[index];
}

Plugin::WideString WidePath(const std::string& utf8)
{
    Plugin::WideString out;
    for (std::size_t i = 0; i < utf8.size();)
    {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char32_t c = lead;
        std::size_t length = 1;
        if (lead >= 0xF0)
            length = 4, c = lead & 0x07;
        else if (lead >= 0xE0)
            length = 3, c = lead & 0x0F;
        else if (lead >= 0xC0)
            length = 2, c = lead & 0x1F;
        if (i + length > utf8.size())
            length = 1;
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
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

} // namespace Platform
