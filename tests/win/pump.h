// Waiting in Windows tests: pump this thread's messages until something holds.
#pragma once

#include <chrono>
#include <functional>

namespace tuckbay::test {

// Dispatches this thread's messages until done() returns true or the timeout passes.
// Returns the last value of done(). done() is checked before every wait, so a condition that
// already holds returns at once without dispatching anything.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Dispatches what is already queued for this thread, without waiting.
void PumpPending();

} // namespace tuckbay::test
