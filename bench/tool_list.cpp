// The catalogue tool's list command as a whole process (start-up, reading, its output read
// through a pipe) beside `wc -l` over the same 100,000-channel file, run in turn: the ratio
// is the figure to watch, since both move with the machine.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/GeneratedCatalogue.h"
#include "support/TempDir.h"

extern char** environ;

namespace {

// Runs the program with its standard output read (and dropped) here; the seconds it took.
double SecondsToRun(const std::string& program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char> buffer(1 << 20);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::size_t bytes = 0;
    for (ssize_t n; (n = ::read(out[0], buffer.data(), buffer.size())) > 0;)
        bytes += static_cast<std::size_t>(n);
    ::close(out[0]);
    int status = 0;
    if (spawned == 0)
        ::waitpid(pid, &status, 0);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || bytes == 0)
        throw std::runtime_error(program + " failed");
    return took.count();
}

void BM_ListBesideWc(benchmark::State& state) {
    quorvel::test::TempDir dir;
    const auto file = dir.Write("Data.txt", quorvel::test::GenerateCatalogue(100'000));
    const std::vector<std::string> list{"list", file.string(), "--category", "TV"};
    const std::vector<std::string> wc{"-l", file.string()};
    double listTotal = 0;
    double wcTotal = 0;
    std::vector<double> ratios;  // pair by pair
    for (auto _ : state) {
        const double listSeconds = SecondsToRun(QUORVEL_CATALOGUE_TOOL, list);
        const double wcSeconds = SecondsToRun("/usr/bin/wc", wc);
        wcTotal += wcSeconds;
        listTotal += listSeconds;
        ratios.push_back(listSeconds / wcSeconds);
        state.SetIterationTime(listSeconds);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["wc_ms"] = 1000 * wcTotal / runs;
    state.counters["times_wc"] = listTotal / wcTotal;
    // The median pair: a run the machine slowed, on either side, does not move it.
    std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
    state.counters["times_wc_median"] = ratios[ratios.size() / 2];
}
BENCHMARK(BM_ListBesideWc)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace
