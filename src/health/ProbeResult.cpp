#include "health/ProbeResult.h"

namespace quorvel {

std::string_view StatusName(ProbeStatus status) {
    switch (status) {
        case ProbeStatus::Ok:
            return "ok";
        case ProbeStatus::Dead:
            return "dead";
        case ProbeStatus::Timeout:
            return "timeout";
        case ProbeStatus::Refused:
            return "refused";
        case ProbeStatus::Unchecked:
            break;
    }
    return "skipped";
}

}  // namespace quorvel
