#pragma once
// The last guard of shutdown: once armed, the process ends with exit code 0 after the delay, even
// if releasing a media object never returns. Only the application's entry arms it; a process that
// ends on its own before the delay is not disturbed.

#include <chrono>

namespace quorvel {

inline constexpr std::chrono::milliseconds kHaltDelay{1000};

// Starts a thread of its own (not from a pool) that sleeps for delay and then ends the process
// with exit code 0, without running any further destructors. Returns at once.
void ArmProcessHalt(std::chrono::milliseconds delay = kHaltDelay);

} // namespace quorvel
