#pragma once

#include <cerrno>

namespace dovrin {

// Runs a system call again for as long as a signal interrupts it (-1 with EINTR), and gives
// its last result: every caller then has one failure to handle, not two.
template <typename Call> auto retryInterrupted(Call&& call)
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

} // namespace dovrin
