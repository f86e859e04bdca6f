#pragma once

namespace varkel {

// Runs every pending window event (clicks, timers, repaints) and returns; handlers may run
// inside it. Long loops call it once per row, so it costs next to nothing when nothing waits.
void DoEvents();

}  // namespace varkel
