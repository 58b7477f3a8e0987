#pragma once

// How deep RapidXML's recursive parse can nest on a thread stack of a given size. The parse runs
// in a child process, so that a stack overflow ends the child only; one implementation per OS.

#include <cstddef>

namespace StackDepth
{

// Parses "<a>" depth times followed by "</a>" depth times as the plug-in parses a document (the
// tree on the heap, parse_declaration_node). True when the tree has that depth.
bool ParseNested(std::size_t depth);

// Runs ParseNested(depth) on a new thread with a stack of stackBytes, in a child process. True
// when the parse finished; false when the stack overflowed. Raises std::runtime_error when the
// child could not be run or the parse failed for another reason.
bool SurvivesOnStack(std::size_t depth, std::size_t stackBytes);

// Where the child is a new run of this program: runs the child's work when the command line asks
// for it and returns its exit code; -1 for any other command line.
int RunChildIfAsked(int argc, char** argv);

} // namespace StackDepth
