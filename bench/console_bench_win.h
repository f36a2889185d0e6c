// Measurements of the installed console against the empty window program:
// start-up, private memory, idle CPU, command latency and hot-key reaction.
#pragma once

#include "bench/measure_win.h"

namespace vh::bench {

void measure_startup_and_memory(Samples& samples, int runs);
void measure_idle_cpu(Samples& samples, int runs);
// alias_counts: how many filler aliases each directory holds, in turn.
void measure_command_latency(Samples& samples, int runs, const std::vector<int>& alias_counts);
void measure_hotkey(Samples& samples, int runs);

}  // namespace vh::bench
