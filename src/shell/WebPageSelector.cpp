#include "shell/WebPageSelector.h"

namespace quorvel {

std::string& WebPageSelector() {
    static std::string selector;
    return selector;
}

}  // namespace quorvel
