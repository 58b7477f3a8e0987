// Windows services: the system string allocator, the module's own string table, code-page
// conversion, shared file reading and the path test of the C runtime.

// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <io.h>
#include <oleauto.h>
#include <share.h>
#include <sys/stat.h>

#include "platform/Platform.h"
#include "plugin/HResultError.h"

#include <new>

namespace Platform
{
namespace
{

// The module that holds this code, so that texts come from the plug-in's own resources even when
// the host has loaded other modules with string tables of the same ids.
HMODULE OwnModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}

} // namespace

Plugin::BSTR AllocateBstr(const WideChar* text)
{
    return ::SysAllocString(text);
}

void FreeBstr(Plugin::BSTR text)
{
    ::SysFreeString(text);
}

int MultiByteToWide(CodePage codePage, const char* bytes, int byteCount, WideChar* out,
                    int capacity)
{
    return ::MultiByteToWideChar(codePage == CodePage::Utf8 ? CP_UTF8 : CP_THREAD_ACP, 0, bytes,
                                 byteCount, out, capacity);
}

std::int32_t SystemError()
{
    return static_cast<std::int32_t>(::GetLastError());
}

bool LoadStringResource(unsigned id, WideString& text)
{
    // The standard string-table layout: block id / 16 + 1, entry id % 16, each entry a 16-bit
    // length followed by that many UTF-16 units.
    const HMODULE module = OwnModule();
    const HRSRC resource =
        ::FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1),
                          MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (resource == nullptr)
        return false;
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const DWORD size = ::SizeofResource(module, resource);
    const auto* block =
        static_cast<const WCHAR*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
    if (block == nullptr)
        throw Plugin::HResultError(Plugin::E_FAIL_HR);
    const WCHAR* entry = block;
    const WCHAR* end = block + size / sizeof(WCHAR);
    for (unsigned index = 0; index < id % 16; ++index)
    {
        if (entry >= end)
            throw Plugin::HResultError(Plugin::E_INVALIDARG_HR);
        entry += 1 + *entry;
    }
    if (entry >= end || entry + 1 + *entry > end)
        throw Plugin::HResultError(Plugin::E_INVALIDARG_HR);
    if (*entry == 0)
        return false;
    try
    {
        text.assign(entry + 1, *entry);
    }
    catch (const std::bad_alloc&)
    {
        throw Plugin::HResultError(Plugin::E_OUTOFMEMORY_HR);
    }
    return true;
}

std::FILE* OpenSharedForReading(const WideString& path)
{
    std::FILE* file = ::_wfsopen(path.c_str(), L"rb", _SH_DENYNO);
    if (file == nullptr)
        return nullptr;
    // Only regular files are read: a device or pipe could block the import or never end.
    struct _stat64 status
    {
    };
    if (::_fstat64(::_fileno(file), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG)
    {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool FileSize(std::FILE* file, std::uint64_t& size)
{
    if (::_fseeki64(file, 0, SEEK_END) != 0)
        return false;
    const __int64 end = ::_ftelli64(file);
    if (::_fseeki64(file, 0, SEEK_SET) != 0 || end < 0)
        return false;
    size = static_cast<std::uint64_t>(end);
    return true;
}

bool PathExists(const WideString& path)
{
    return ::_waccess(path.c_str(), 0) == 0;
}

} // namespace Platform
