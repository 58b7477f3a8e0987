#pragma once

// Allocation failures on demand, for the checked import: wherever an allocation of the plug-in's
// fails, the import must go on cleanly. The fuzz executables link a counting operator new
// (fuzz/AllocationFailureInjected.cpp); every other program links the stand-in without it
// (AllocationFailureNone.cpp, the target landxml_standard_allocation), and the runs that need it
// are skipped there.

#include <cstddef>

namespace Host
{

// True when the global operator new of this program counts and can fail allocations.
bool AllocationFailureAvailable();

// From now on, on this thread, counts the allocations made outside host code. With failAt above
// 0 the failAt-th of them raises std::bad_alloc instead of allocating.
void StartCountingAllocations(std::size_t failAt);
// Ends the counting; returns how many allocations were counted.
std::size_t StopCountingAllocations();
// True when the armed failure was raised since counting started; false again once it stops.
bool AllocationFailureRaised();

// Between these two, on this thread, allocations are host code: neither counted nor failed.
// They nest.
void EnterHostCode();
void LeaveHostCode();

// Host code for the lifetime of the object.
class HostCode
{
public:
    HostCode() { EnterHostCode(); }
    ~HostCode() { LeaveHostCode(); }
    HostCode(const HostCode&) = delete;
    HostCode& operator=(const HostCode&) = delete;
};

} // namespace Host
