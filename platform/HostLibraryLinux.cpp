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

} // namespace Platform
