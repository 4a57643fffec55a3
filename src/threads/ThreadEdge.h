#pragma once

#include <string>
#include <utility>

namespace quorvel {

// What the exception being handled says, for a person: call it only inside a catch block.
// Never throws; empty only when even that text cannot be made.
std::string CurrentExceptionMessage() noexcept;

// The edge of a worker thread. An exception that leaves a thread's function ends the whole
// program, so a thread body runs `work` through this: when `work` throws, `failed` gets the
// reason and reports it to whoever waits for the result.
template <typename Work, typename Failed>
void RunAtThreadEdge(Work&& work, Failed&& failed) noexcept {
    std::string reason;
    try {
        std::forward<Work>(work)();
        return;
    } catch (...) {
        reason = CurrentExceptionMessage();
    }
    try {
        std::forward<Failed>(failed)(std::move(reason));
    } catch (...) {
        // Nobody is left to tell; the thread still ends quietly instead of the program.
    }
}

}  // namespace quorvel
