// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <oleauto.h>
#include <shellapi.h>

#include "platform/HostLibrary.h"

namespace Platform
{
namespace
{

std::string Utf8Of(const wchar_t* text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return std::string();
    std::string out(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(size) - 1);
    return out;
}

} // namespace

PluginLibrary::~PluginLibrary()
{
    if (handle != nullptr)
        ::FreeLibrary(static_cast<HMODULE>(handle));
}

bool PluginLibrary::Load(const std::string& path, std::string& error)
{
    const Plugin::WideString wide = WidePath(path);
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
    std::string result = Utf8Of(arguments[index]);
    ::LocalFree(arguments);
    return result;
}

Plugin::WideString WidePath(const std::string& utf8)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    if (size <= 1)
        return Plugin::WideString();
    Plugin::WideString out(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &out[0], size);
    out.resize(static_cast<std::size_t>(size) - 1);
    return out;
}

} // namespace Platform
