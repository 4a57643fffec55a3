// Reading the plan of scheduled recordings and reminders at start-up, from a real hive file:
// 500 entries against none.
#include "schedule/Schedule.h"
#include "ScopedHives.h"
#include "registry/Registry.h"
#include "schedule/ScheduleStore.h"

#include <benchmark/benchmark.h>

namespace {

constexpr std::int64_t kNow = 1800000000;

void BM_LoadSchedule(benchmark::State& state) {
    quorvel::test::ScopedHives hives;
    quorvel::reg::Registry::Process().BeginWriteBatch();
    for (int i = 0; i < state.range(0); ++i) {
        quorvel::ScheduleEntry entry;
        entry.id = static_cast<std::uint64_t>(i + 1);
        entry.kind = i % 2 ? quorvel::EntryKind::Reminder : quorvel::EntryKind::Recording;
        entry.channel = "Channel " + std::to_string(i % 40);
        entry.address = "http://tv.example:8080/live/user/pass/" + std::to_string(i) + ".ts";
        entry.userAgent = "Mozilla/5.0 (X11; Linux x86_64)";
        entry.title = "Programme number " + std::to_string(i) + " & more";
        entry.start = kNow + 3600 * i;
        entry.stop = entry.start + 1800;
        quorvel::SaveScheduleEntry("Quorvel", entry);
    }
    quorvel::reg::Registry::Process().EndWriteBatch();
    for (auto _ : state) {
        // As at start-up: the hive file is opened and read afresh.
        quorvel::reg::Registry::Process().CloseHives();
        quorvel::LoadedSchedule loaded = quorvel::LoadSchedule("Quorvel");
        quorvel::Schedule schedule;
        schedule.Restore(std::move(loaded.entries), kNow, loaded.usedIds);
        benchmark::DoNotOptimize(schedule.NextEvent(kNow));
    }
}
BENCHMARK(BM_LoadSchedule)->Arg(0)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace
