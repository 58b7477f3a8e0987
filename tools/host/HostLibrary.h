#pragma once

// What the host side asks of the operating system: loading the plug-in library to find
// CreatePlugin in it, freeing the texts the plug-in returns, and the command line. One
// implementation per OS (HostLibraryLinux.cpp, HostLibraryWindows.cpp), chosen by the build.

#include "plugin/HostInterfaces.h"

#include <string>

namespace Host
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
void FreeBstr(Plugin::BSTR text);

// The plug-in library's file name in this build, for hosts that look for it beside themselves.
const char* PluginLibraryFileName();

// Command-line arguments as UTF-8 (on Windows the wide command line, whatever the code page).
std::string ArgumentUtf8(int index, char** argv);

} // namespace Host
