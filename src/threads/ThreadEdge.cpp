#include "threads/ThreadEdge.h"

#include <exception>
#include <new>

namespace quorvel {

std::string CurrentExceptionMessage() noexcept {
    try {
        try {
            throw;
        } catch (const std::bad_alloc&) {
            return "out of memory";  // short enough to need no allocation
        } catch (const std::exception& e) {
            const std::string what = e.what();
            return what.empty() ? "unexpected error" : what;
        } catch (...) {
            return "unexpected error";
        }
    } catch (...) {
        return {};
    }
}

}  // namespace quorvel
