#include "tools/host/HostLibrary.h"

#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <memory>

namespace Host
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

std::string PluginLibrary::Path() const
{
    Dl_info info{};
    if (create == nullptr || ::dladdr(reinterpret_cast<void*>(create), &info) == 0 ||
        info.dli_fname == nullptr)
        return std::string();
    // dladdr gives the name as it was handed to dlopen: made absolute here.
    const std::unique_ptr<char, decltype(&std::free)> full(::realpath(info.dli_fname, nullptr),
                                                           &std::free);
    return full ? std::string(full.get()) : std::string(info.dli_fname);
}

void FreeBstr(Plugin::BSTR text)
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

} // namespace Host
