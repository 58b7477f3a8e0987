#pragma once

// A document's bytes as the UTF-8 text the parser reads. A document in UTF-8 (or declaring
// nothing) is parsed as it is; one in UTF-16 or declaring a single-byte character set is read
// into UTF-8 once, before parsing, so that every text of the tree is UTF-8. The UTF-8 copies are
// the import's memory.

#include "platform/Platform.h"

#include <cstddef>
#include <memory_resource>
#include <string>
#include <string_view>

namespace Plugin
{

enum class Utf16
{
    None,
    LittleEndian,
    BigEndian
};

// UTF-16 by its byte-order mark, or, without one, by "<?xml" written in UTF-16 at the start.
Utf16 FindUtf16(const char* bytes, std::size_t size);

// The code page a declared encoding (as written in the document) selects: the thread's ANSI code
// page for names with 1251 or 1252, a listed character set's own, else UTF-8.
Platform::CodePage DeclaredCodePage(std::string_view encoding);

// The size bytes of a document in UTF-16, after its byte-order mark and up to its first zero code
// unit, as UTF-8. A lone surrogate, and an odd byte at the end, become U+FFFD.
std::pmr::string Utf16ToUtf8(const char* bytes, std::size_t size, Utf16 form);

// The zero-terminated bytes of a document in a code page other than UTF-8, after a UTF-8
// byte-order mark (which the parser would skip), as UTF-8. Raises the system's error when the
// system cannot convert them.
std::pmr::string CodePageToUtf8(const char* bytes, Platform::CodePage codePage);

} // namespace Plugin
