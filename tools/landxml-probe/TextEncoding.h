#pragma once

// The encoding the plug-in reads a document's text in, worked out from the document's first
// bytes by the plug-in's rules and said in words for the summary.

#include <filesystem>
#include <string>

namespace Probe
{

// "ISO-8859-1 as declared", "UTF-16 LE, from its byte-order mark", "the thread's ANSI code page,
// as declared windows-1251"; empty when the file cannot be read.
std::string TextEncodingWords(const std::filesystem::path& file);

} // namespace Probe
