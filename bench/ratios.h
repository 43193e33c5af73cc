#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace zxbench {

// A figure of the program against its baseline measured in the same run, and the ratio it
// must stay within.
struct Ratio {
    std::string figure;    // benchmark name, as printed
    std::string baseline;  // benchmark name, as printed
    double target = 0;     // at most this many times the baseline
};

// The console output, followed by each figure against its baseline (the median when the run
// has repetitions), the ratio and its target.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Ratio> ratios) : ratios_(std::move(ratios)) {}
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    struct Time {
        double ms = 0;
        int rank = 0;  // median 3, mean 2, a single run 1
    };
    std::vector<Ratio> ratios_;
    std::map<std::string, Time> times_;
};

// Initializes the library with the repetitions of every benchmark run in random turns, so that
// a change of the machine's load weighs on a figure and its baseline alike.
void initializeInterleaved(int argc, char** argv);

// Runs the benchmarks the command line selects with that reporter.
void runWithRatios(std::vector<Ratio> ratios);

}  // namespace zxbench
