#pragma once

namespace varkel {

// Shows the busy (hourglass) pointer application-wide while it lives, on success and failure
// alike. Does nothing when no GUI application exists (benchmarks, command-line tools) or when the
// pointer is busy already (a loop that keeps it busy across many calls).
class BusyPointer {
  public:
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

  private:
    bool active_ = false;
};

}  // namespace varkel
