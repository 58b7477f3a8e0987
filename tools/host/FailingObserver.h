#pragma once

// The failing observer, for the tests that need a host call to fail: at the first call of its
// method (with its number, when one is given: SetProgress's percent) it raises instead of passing
// the call on, as a host callback that throws. The host has answered the call by then; the
// observers after this one never see it.

#include "tools/host/Host.h"

#include <optional>

namespace Host
{

// An exception of the host's own, as a host throws one to cancel an import: of no type the
// plug-in knows, not even std::exception.
struct ImportCancelled
{
    int reason;
};

class FailingObserver final : public Observer
{
public:
    // raise throws; it runs once.
    FailingObserver(Observer& nextObserver, Method failingMethod, void (*raiseError)(),
                    std::optional<double> failingNumber = std::nullopt)
        : next(nextObserver), method(failingMethod), number(failingNumber), raise(raiseError)
    {
    }

    void Observe(const Event& event) override
    {
        if (!raised && event.method == method && (!number || event.number == *number))
        {
            raised = true;
            raise();
        }
        next.Observe(event);
    }
    void HostWorkBegins() override { next.HostWorkBegins(); }
    void HostWorkEnds() override { next.HostWorkEnds(); }

private:
    Observer& next;
    Method method;
    std::optional<double> number;
    void (*raise)();
    bool raised = false;
};

} // namespace Host
