#pragma once

// The command line of a host program (the reference host, the benchmark): its arguments as
// UTF-8, and the plug-in library it loads unless told another.

#include <string>
#include <vector>

namespace Host
{

// The arguments after the program's name, as UTF-8 whatever the console's code page, last first:
// the order in which CLI's App::parse takes a vector.
std::vector<std::string> ArgumentsLastFirst(int argc, char** argv);

// The plug-in library beside the program, as an installed package has it; else the one the build
// made, at fromProgram relative to the program's folder (which holds under Wine too) or at built;
// else the name beside the program, left to the system loader's search.
std::string DefaultPluginLibrary(char** argv, const std::string& fromProgram,
                                 const std::string& built);

} // namespace Host
