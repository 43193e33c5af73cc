#include "bench/ratios.h"

#include <cstdio>

namespace zxbench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred) continue;
        int rank = 1;
        if (run.run_type == Run::RT_Aggregate) {
            if (run.aggregate_name == "median") {
                rank = 3;
            } else if (run.aggregate_name == "mean") {
                rank = 2;
            } else {
                continue;
            }
        }
        const double ms =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
        Time& t = times_[run.run_name.str()];
        if (rank >= t.rank) t = {ms, rank};
    }
}

void RatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    for (const Ratio& r : ratios_) {
        const auto f = times_.find(r.figure), b = times_.find(r.baseline);
        if (f == times_.end() || b == times_.end() || b->second.ms <= 0) continue;
        const double ratio = f->second.ms / b->second.ms;
        std::printf("%s %.1f ms against %s %.1f ms: %.2fx (target at most %.1fx%s)\n",
                    r.figure.c_str(), f->second.ms, r.baseline.c_str(), b->second.ms, ratio,
                    r.target, ratio <= r.target ? ", met" : ", not met");
    }
    std::fflush(stdout);
}

void initializeInterleaved(int argc, char** argv) {
    std::vector<char*> arguments(argv, argv + argc);
    static char interleaving[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleaving);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
}

void runWithRatios(std::vector<Ratio> ratios) {
    RatioReporter reporter(std::move(ratios));
    benchmark::RunSpecifiedBenchmarks(&reporter);
}

}  // namespace zxbench
