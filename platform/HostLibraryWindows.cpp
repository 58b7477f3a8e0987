// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <oleauto.h>
#include <shellapi.h>

#include "platform/HostLibrary.h"
#include "tools/host/Text.h"

namespace Platform
{

PluginLibrary::~PluginLibrary()
{
    if (handle != nullptr)
        ::FreeLibrary(static_cast<HMODULE>(handle));
}

bool PluginLibrary::Load(const std::string& path, std::string& error)
{
    const Plugin::WideString wide = Host::ToWideString(Host::FromUtf8(path));
    HMODULE module = ::LoadLibraryW(wide.c_str());
    if (module == nullptr)
    {
        error = "cannot load the library (error " + std::to_string(::GetLastError()) + ")";
        return false;
    }
    handle = module;
    const FARPROC symbol = ::GetProcAddress(module, "CreatePlugin");
    if (symbol == nullptr)
    {
        error = "the library has no CreatePlugin";
        return false;
    }
    create = reinterpret_cast<CreatePluginFunction>(reinterpret_cast<void*>(symbol));
    return true;
}

void FreeHostBstr(Plugin::BSTR text)
{
    ::SysFreeString(text);
}

const char* PluginLibraryFileName()
{
    return "HexagonLandXML.dll";
}

std::string ArgumentUtf8(int index, char** argv)
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr || index >= count)
    {
        if (arguments != nullptr)
            ::LocalFree(arguments);
        return argv[index];
    }
    std::string result = Host::ToUtf8(Host::FromWide(arguments[index]));
    ::LocalFree(arguments);
    return result;
}

} // namespace Platform
