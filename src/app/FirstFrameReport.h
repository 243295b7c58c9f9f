#pragma once

// Start-up measurement, opt-in: with POSTWRIGHT_REPORT_FIRST_FRAME set in the
// environment, the process writes one line "first-frame <nanoseconds>" to its
// standard output once its first top-level window has been painted and put on
// the screen. The time is the system's monotonic clock (std::chrono::
// steady_clock), so a parent that reads the same clock before starting the
// process gets the time from start to first frame. Without the variable it
// does nothing.
namespace FirstFrameReport {

// Call once the application object exists and before the event loop runs.
void watch();

} // namespace FirstFrameReport
