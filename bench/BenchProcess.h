#pragma once

// The process's own memory figures, from /proc/self (Linux).
namespace BenchProcess {

// Resident set now, in kB (0 when it cannot be read).
long residentKb();
// Peak resident set (VmHWM), in kB.
long peakKb();
// Resets the peak to the resident set now and returns that resident set, so a later peakKb()
// tells what a step added.
long resetPeak();

} // namespace BenchProcess
