#include "tools/host/LoadedLibrary.h"

#include <cstdlib>
#include <dlfcn.h>
#include <memory>

namespace Host
{

std::string LibraryPathOf(::CreatePluginFunction createPlugin)
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(createPlugin), &info) == 0 || info.dli_fname == nullptr)
        return std::string();
    // dladdr gives the name as it was handed to dlopen: made absolute here.
    const std::unique_ptr<char, decltype(&std::free)> full(::realpath(info.dli_fname, nullptr),
                                                           &std::free);
    return full ? std::string(full.get()) : std::string(info.dli_fname);
}

std::string DescribeLoadFailure(const std::string& loaderMessage)
{
    return loaderMessage;
}

} // namespace Host
