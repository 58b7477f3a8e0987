#pragma once

// Paths and texts as the probe meets them: command-line paths (UTF-8 on Windows, the system's
// bytes elsewhere, which need not be UTF-8), the same paths as the host hands them to the
// plug-in, and texts from documents that may not be UTF-8 either.

#include <filesystem>
#include <string>

namespace Probe
{

// A command-line path as a file-system path; any name the system accepts.
std::filesystem::path PathOf(const std::string& argument);
// A path the way a host hands it over: absolute, without "." or ".." steps, with the system's
// own separators. A path that cannot be made absolute is kept as written.
std::filesystem::path FullPath(const std::string& argument);

// The path as the host's UTF-16 text and as UTF-8 for output. Bytes of a name that are not
// UTF-8 (possible outside Windows) become U+FFFD: the text names the file, but cannot open it.
std::u16string PathText(const std::filesystem::path& path);
std::string PathUtf8(const std::filesystem::path& path);
// True when the path's name can be handed to the plug-in unchanged.
bool HasTextName(const std::filesystem::path& path);

// The text with every byte that does not belong to a well-formed UTF-8 sequence replaced by
// U+FFFD.
std::string ValidUtf8(const std::string& text);

} // namespace Probe
