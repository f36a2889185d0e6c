// The benchmark driver: runs under Wine beside the console and writes every
// sample to the file named by its first argument; scripts/bench.sh turns the
// samples into the table. VH_BIN and VH_ASSETS name the build and the assets.
// Further arguments pick measurements (startup, idle, latency, hotkey,
// install); none runs them all.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "bench/console_bench_win.h"
#include "bench/procedure_bench_win.h"

int main(int argc, char** argv) {
    using namespace vh::bench;
    if (argc < 2) {
        std::printf("usage: bench_driver <samples file> [measurement...]\n");
        return 2;
    }
    const char* runs_text = std::getenv("VH_BENCH_RUNS");
    const int runs = runs_text ? std::atoi(runs_text) : 10;
    const std::set<std::string> chosen(argv + 2, argv + argc);
    auto wanted = [&](const char* name) { return chosen.empty() || chosen.count(name) > 0; };

    Samples samples;
    auto step = [&](const char* name, auto measure) {
        if (!wanted(name)) return;
        std::printf("measuring %s\n", name);
        std::fflush(stdout);
        const auto t0 = Clock::now();
        measure();
        std::printf("  %.1f s\n", milliseconds_since(t0) / 1000.0);
        samples.write(argv[1]);  // what is measured so far survives a later failure
    };
    step("startup", [&] { measure_startup_and_memory(samples, runs); });
    step("idle", [&] { measure_idle_cpu(samples, runs); });
    step("latency", [&] { measure_command_latency(samples, runs, {0, 100, 1000, 10000}); });
    step("hotkey", [&] { measure_hotkey(samples, runs); });
    step("install", [&] { measure_install_and_uninstall(samples, runs); });
    vh::e2e::remove_tree("C:\\Tessarimondale");
    return samples.write(argv[1]) ? 0 : 1;
}
