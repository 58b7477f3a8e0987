#pragma once

// Every call into the operating system goes through here: one implementation per OS, chosen by
// the build. Outside this folder only the host's contract tests which system it is built for:
// plugin/HostInterfaces.h for the text type and wide literals and for how a returned GUID is
// passed, and the plug-in object's GetId, which implements that slot.

#include "plugin/HostInterfaces.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#ifdef _WIN32
#define LANDXML_EXPORT extern "C" __declspec(dllexport)
#else
#define LANDXML_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace Platform
{

using Plugin::WideChar;
using Plugin::WideString;

// The separator that ends the folder of an imported file's path.
#ifdef _WIN32
constexpr WideChar kDirectorySeparator = L'\\';
#else
constexpr WideChar kDirectorySeparator = u'/';
#endif

// The system string allocator (SysAllocString): a new BSTR holding a copy of text, or null when
// memory runs out. The host frees it.
Plugin::BSTR AllocateBstr(const WideChar* text);

// A Windows code-page number. Besides these two, the plug-in asks for the single-byte character
// sets a document may declare (document/CharacterSets.h lists them).
enum class CodePage : std::uint32_t
{
    ThreadAnsi = 3, // the calling thread's ANSI code page; Windows-1251 where there is none
    Utf8 = 65001
};

// MultiByteToWideChar without flags: converts byteCount bytes into at most capacity characters
// and returns how many were written. With capacity 0 it returns the number needed. Returns 0 on
// failure; SystemError() then says why. Malformed UTF-8 becomes U+FFFD, one per bad sequence.
// A single-byte code page reads every byte as one character, as Windows' table of it does, the
// bytes it leaves undefined included; one the system does not know fails (error 87).
int MultiByteToWide(CodePage codePage, const char* bytes, int byteCount, WideChar* out,
                    int capacity);

// UTF-16 to UTF-8 (WideCharToMultiByte without flags): length code units of text, a lone
// surrogate becoming U+FFFD. The plug-in names files with it where the system takes UTF-8; the
// host side writes every text with it.
std::string ToUtf8(const WideChar* text, std::size_t length);

// The system error code of the last failing call of this thread.
std::int32_t SystemError();
constexpr std::int32_t kErrorInsufficientBuffer = 122;

// A text of the module's string table (neutral language), where the module holds it: valid as
// long as the module is loaded, and not zero-terminated. Returns false when the id is not in the
// table. Raises HResultError when the table cannot be read.
bool LoadStringResource(unsigned id, std::basic_string_view<WideChar>& text);

// Opens a file for binary reading without denying others read or write access. Returns null
// when it cannot be opened, and for anything that is not a regular file (opening a pipe must
// never block the import).
std::FILE* OpenSharedForReading(const WideChar* path);

// The size of an open file from seeking to its end; false when it cannot be determined. The file
// is positioned at its start again afterwards.
bool FileSize(std::FILE* file, std::uint64_t& size);

// True when something exists at the zero-terminated path (a file or a folder); access rights are
// not tested.
bool PathExists(const WideChar* path);

// The system's message for an HRESULT, in the neutral language and without a final line break,
// written into text (capacity characters, terminator included) without allocating memory, so that
// it can be had when memory has run out. False when the system has no text for the code.
bool SystemErrorText(std::int32_t code, WideChar* text, std::size_t capacity);

// Calls work(workContext). When an exception that C++ cannot catch here passes through the call
// (a host's, built with another compiler, thrown from one of its callbacks),
// release(releaseContext) runs as it passes, before it goes on to the host. Where the plug-in and
// its host share one C++ runtime, every exception runs the destructors on its way and release is
// never needed.
void CallReleasingOnUnwind(void (*work)(void*), void* workContext, void (*release)(void*),
                           void* releaseContext);

} // namespace Platform
