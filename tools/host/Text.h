#pragma once

// Texts on the host's side: the plug-in's UTF-16 texts as UTF-8 for output, UTF-8 from command
// lines and files as the host's text type, and paths as a host hands them over. The one
// converter between the two encodings for the probe, the tests, fuzzing and the benchmark; its
// encoder is the platform layer's.

#include "plugin/HostInterfaces.h"

#include <filesystem>
#include <string>

namespace Host
{

using Plugin::WideChar;
using Plugin::WideString;

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(const std::u16string& text);
// UTF-8 to UTF-16; a sequence cut short at the end is taken byte by byte.
std::u16string FromUtf8(const std::string& text);
// A zero-terminated text of the host's type as UTF-16; null gives the empty text.
std::u16string FromWide(const WideChar* text);
WideString ToWideString(const std::u16string& text);

// A path as the host hands it to the plug-in: without "." steps, with the system's separators.
WideString HostPath(const std::filesystem::path& path);

} // namespace Host
