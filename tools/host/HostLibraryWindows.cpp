// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <oleauto.h>
#include <shellapi.h>

#include "tools/host/HostLibrary.h"
#include "tools/host/Text.h"

namespace Host
{
namespace
{

// The system's text for an error code, in the user's language, without its final line break.
std::string SystemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr)
        return std::string();
    std::u16string message(text, text + length);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                                message.back() == u' ' || message.back() == u'.'))
        message.pop_back();
    return ToUtf8(message);
}

} // namespace

PluginLibrary::~PluginLibrary()
{
    if (handle != nullptr)
        ::FreeLibrary(static_cast<HMODULE>(handle));
}

bool PluginLibrary::Load(const std::string& path, std::string& error)
{
    const Plugin::WideString wide = ToWideString(FromUtf8(path));
    HMODULE module = ::LoadLibraryW(wide.c_str());
    if (module == nullptr)
    {
        const DWORD code = ::GetLastError();
        const std::string text = SystemMessage(code);
        error = "cannot load the library (error " + std::to_string(code) +
                (text.empty() ? "" : ": " + text) + ")";
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

std::string PluginLibrary::Path() const
{
    if (handle == nullptr)
        return std::string();
    wchar_t path[MAX_PATH * 4];
    const DWORD length = ::GetModuleFileNameW(static_cast<HMODULE>(handle), path, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4)
        return std::string();
    return ToUtf8(std::u16string(path, path + length));
}

void FreeBstr(Plugin::BSTR text)
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
    std::string result = ToUtf8(FromWide(arguments[index]));
    ::LocalFree(arguments);
    return result;
}

} // namespace Host
