// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The start-up probe, linked into both programs that are raced against each
// other (the floor program and bottinaro-bench's child mode), so that both
// are measured by exactly the same code.
//
// Method: the parent reads CLOCK_MONOTONIC just before posix_spawn() and
// hands the reading to the child in kSpawnedAtVariable. The child reads the
// same system-wide clock once its window has painted its first frame, so
// the difference covers exec, dynamic loading and relocation of Qt, static
// initialisers, QApplication and the platform plugin, building the window
// and its first paint. (The start time in /proc/self/stat only has 10 ms
// resolution.)

#include <cstdint>

class QWidget;

namespace bench {

inline constexpr char kSpawnedAtVariable[] = "BOTTINARO_BENCH_SPAWNED_NS";

std::int64_t MonotonicNs();

// A "kB" field of /proc/self/status, such as "VmHWM" (peak resident set);
// -1 when it cannot be read.
long StatusKb(const char* field);

// Watches the shown top-level window for its first painted frame, then
// writes one line to standard output,
//     <ns since spawn> <CPU ns> <VmHWM kB at the frame> <VmHWM kB settled>
// and ends the process. The CPU time (all threads, from the exec on) leaves
// out waiting for a processor: a second view when the machine is busy.
// Settling lets the event loop run a little longer, so whatever the program
// does just after its first frame is in the peak.
void ReportFirstFrame(QWidget* window);

} // namespace bench
