// Windows services: the system string allocator, the module's own string table, code-page
// conversion, shared file reading and the path test of the C runtime.

// windows.h first: the other Windows headers rely on its types.
#ifndef NOMINMAX
#define NOMINMAX // std::min and std::max, not the macros
#endif
#include <windows.h>

#include <io.h>
#include <oleauto.h>
#include <share.h>
#include <sys/stat.h>

#include "platform/HResultError.h"
#include "platform/Platform.h"

#include <new>

// The frame that lets a foreign exception release what an import holds. A host built with
// another compiler throws its own kind of exception; as it unwinds, the system calls each frame's
// handler in turn, and the frames the plug-in's compiler made run none of their destructors for
// it. This frame has a handler of its own: called while such an exception unwinds past it, the
// handler calls release with its context, which the frame keeps at its stack pointer + 32 (the
// establisher frame of a function without a frame register).
extern "C" void landxmlCallReleasingOnUnwind(void (*work)(void*), void* workContext,
                                             void (*release)(void*), void* releaseContext);
asm(R"(
    .text
    .p2align 4
    .globl landxmlCallReleasingOnUnwind
    .def landxmlCallReleasingOnUnwind; .scl 2; .type 32; .endef
    .seh_proc landxmlCallReleasingOnUnwind
    .seh_handler landxmlReleaseOnUnwind, @unwind
landxmlCallReleasingOnUnwind:
    subq $56, %rsp
    .seh_stackalloc 56
    .seh_endprologue
    movq %r8, 32(%rsp)
    movq %r9, 40(%rsp)
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    nop
    addq $56, %rsp
    ret
    .seh_endproc
)");

namespace
{

struct ReleaseOnUnwind
{
    void (*release)(void*);
    void* context;
};

} // namespace

extern "C" EXCEPTION_DISPOSITION landxmlReleaseOnUnwind(EXCEPTION_RECORD* record, void* frame,
                                                        CONTEXT*, void*)
{
    if ((record->ExceptionFlags & EXCEPTION_UNWIND) != 0)
    {
        const auto* kept = reinterpret_cast<const ReleaseOnUnwind*>(static_cast<char*>(frame) + 32);
        kept->release(kept->context);
    }
    return ExceptionContinueSearch;
}

namespace Platform
{
namespace
{

// The module that holds this code, so that texts come from the plug-in's own resources even when
// the host has loaded other modules with string tables of the same ids. Null when the system
// cannot tell, which never happens for an address inside a loaded module.
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

int MultiByteToWide(CodePage codePage, const char* bytes, int byteCount, WideChar* out,
                    int capacity)
{
    static_assert(static_cast<UINT>(CodePage::ThreadAnsi) == CP_THREAD_ACP &&
                      static_cast<UINT>(CodePage::Utf8) == CP_UTF8,
                  "the code pages are Windows' numbers");
    return ::MultiByteToWideChar(static_cast<UINT>(codePage), 0, bytes, byteCount, out, capacity);
}

std::string ToUtf8(const WideChar* text, std::size_t length)
{
    std::string result;
    // In pieces that an int can count, never splitting a surrogate pair.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    for (std::size_t at = 0; at < length;)
    {
        std::size_t count = length - at < kPiece ? length - at : kPiece;
        if (at + count < length && text[at + count - 1] >= 0xD800 && text[at + count - 1] <= 0xDBFF)
            --count;
        const int units = static_cast<int>(count);
        const int bytes =
            ::WideCharToMultiByte(CP_UTF8, 0, text + at, units, nullptr, 0, nullptr, nullptr);
        if (bytes > 0)
        {
            const std::size_t start = result.size();
            result.resize(start + static_cast<std::size_t>(bytes));
            ::WideCharToMultiByte(CP_UTF8, 0, text + at, units, &result[start], bytes, nullptr,
                                  nullptr);
        }
        at += count;
    }
    return result;
}

std::int32_t SystemError()
{
    return static_cast<std::int32_t>(::GetLastError());
}

bool LoadStringResource(unsigned id, std::basic_string_view<WideChar>& text)
{
    // String ids are 16-bit; anything larger names no entry of any table.
    if (id > 0xFFFF)
        return false;
    // The standard string-table layout: block id / 16 + 1 holds ids (block - 1) * 16 to
    // (block - 1) * 16 + 15, each entry a 16-bit length followed by that many UTF-16 units.
    const HMODULE module = OwnModule();
    if (module == nullptr)
        throw Plugin::HResultError(Plugin::E_FAIL_HR);
    const HRSRC resource =
        ::FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */,
                          MAKEINTRESOURCEW(id / 16 + 1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    if (resource == nullptr)
        return false;
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const auto* block =
        static_cast<const WCHAR*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
    if (block == nullptr)
        throw Plugin::HResultError(Plugin::E_FAIL_HR);
    const std::size_t units = ::SizeofResource(module, resource) / sizeof(WCHAR);
    std::size_t at = 0; // index of the current entry's length
    for (unsigned index = 0; index < id % 16; ++index)
    {
        if (at >= units)
            throw Plugin::HResultError(Plugin::E_INVALIDARG_HR);
        at += 1 + block[at];
    }
    if (at >= units || block[at] > units - at - 1)
        throw Plugin::HResultError(Plugin::E_INVALIDARG_HR);
    if (block[at] == 0)
        return false;
    text = std::basic_string_view<WideChar>(block + at + 1, block[at]);
    return true;
}

std::FILE* OpenSharedForReading(const WideChar* path)
{
    std::FILE* file = ::_wfsopen(path, L"rb", _SH_DENYNO);
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

bool PathExists(const WideChar* path)
{
    return ::_waccess(path, 0) == 0;
}

bool SystemErrorText(std::int32_t code, WideChar* text, std::size_t capacity)
{
    if (capacity == 0 || capacity > 0xFFFF)
        return false;
    DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                         static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), text,
                         static_cast<DWORD>(capacity), nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n'))
        --length;
    if (length == 0)
        return false;
    text[length] = 0;
    return true;
}

void CallReleasingOnUnwind(void (*work)(void*), void* workContext, void (*release)(void*),
                           void* releaseContext)
{
    landxmlCallReleasingOnUnwind(work, workContext, release, releaseContext);
}

} // namespace Platform
