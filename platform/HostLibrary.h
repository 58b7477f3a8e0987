#pragma once

// The host side of loading the plug-in: what a host application does to find CreatePlugin in
// the library file, and to free the texts the plug-in returns.

#include "plugin/HostInterfaces.h"

#include <string>

namespace Platform
{

class PluginLibrary
{
public:
    PluginLibrary() = default;
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;
    ~PluginLibrary();

    // Loads the library at path (UTF-8) and finds CreatePlugin; on failure error says why, in
    // the system's own words.
    bool Load(const std::string& path, std::string& error);
    CreatePluginFunction CreatePlugin() const { return create; }
    // The full path (UTF-8) of the loaded library, as the system found it; empty if it cannot
    // say. Tells a user which of several copies a relative name or a search found.
    std::string Path() const;

private:
    void* handle = nullptr;
    CreatePluginFunction create = nullptr;
};

// Frees a BSTR returned by the plug-in, as the host does.
void FreeHostBstr(Plugin::BSTR text);

// The plug-in library's file name in this build, for hosts that look for it beside themselves.
const char* PluginLibraryFileName();

// Command-line arguments as UTF-8 (on Windows the wide command line, whatever the code page).
std::string ArgumentUtf8(int index, char** argv);

} // namespace Platform
