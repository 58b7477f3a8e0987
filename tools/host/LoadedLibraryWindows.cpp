// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include "tools/host/LoadedLibrary.h"
#include "tools/host/Text.h"

#include <cstdlib>

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

std::string LibraryPathOf(::CreatePluginFunction createPlugin)
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(createPlugin)), &module))
        return std::string();
    wchar_t path[MAX_PATH * 4];
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH * 4);
    if (length == 0 || length >= MAX_PATH * 4)
        return std::string();
    return ToUtf8(std::u16string(path, path + length));
}

std::string DescribeLoadFailure(const std::string& loaderMessage)
{
    // The loader writes the system's code as "(error N)"; the user needs its meaning.
    const std::string marker = "(error ";
    const std::size_t at = loaderMessage.rfind(marker);
    if (at == std::string::npos)
        return loaderMessage;
    const DWORD code = std::strtoul(loaderMessage.c_str() + at + marker.size(), nullptr, 10);
    const std::string text = SystemMessage(code);
    if (text.empty())
        return loaderMessage;
    return loaderMessage.substr(0, at) + "(error " + std::to_string(code) + ": " + text + ")";
}

} // namespace Host
