// The stream health check on 1,000 channels of a local server where half the streams
// stall: 100 probes at once, 3 s allowed each. Reports the wall time and the peak memory
// of the whole process (the server included).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "health/StreamChecker.h"
#include "support/StreamServer.h"

namespace {

void BM_CheckHalfStalling(benchmark::State& state) {
    quorvel::test::StreamServer server;
    server.Answer("/live", quorvel::test::StreamServer::Response(200, "audio/mpeg", "ID3 data"),
                  quorvel::test::StreamServer::Ending::KeepOpen);
    server.Stall("/stall");
    std::vector<std::string> addresses;
    for (int i = 0; i < 1000; ++i)
        addresses.push_back(server.Url((i % 2 ? "/stall?" : "/live?") + std::to_string(i)));

    std::size_t ok = 0;
    std::size_t timeouts = 0;
    for (auto _ : state) {
        quorvel::StreamChecker checker({100, 3000, 5});
        const auto report = checker.Check(addresses);
        ok = timeouts = 0;
        for (const auto& result : report.results) {
            ok += result.status == quorvel::ProbeStatus::Ok;
            timeouts += result.status == quorvel::ProbeStatus::Timeout;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["ok"] = static_cast<double>(ok);
    state.counters["timeout"] = static_cast<double>(timeouts);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_CheckHalfStalling)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
