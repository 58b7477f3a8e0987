#pragma once

// What a host tells its user about the plug-in library: which file it loaded, and why a library
// could not be loaded, in the system's own words.

#include "plugin/HostInterfaces.h"

#include <string>

namespace Host
{

// The full path (UTF-8) of the library that holds CreatePlugin; empty if the system cannot say.
std::string LibraryPathOf(::CreatePluginFunction createPlugin);

// The loader's message completed with the system's text for its error code, where the loader
// gave only the code (Windows); other messages are returned as they are (dlerror's text).
std::string DescribeLoadFailure(const std::string& loaderMessage);

} // namespace Host
