// Waiting for something a test has started to come about: a server to answer, a process to end.
#pragma once

#include <functional>

namespace testsupport {

// Polls the condition every 20 ms up to timeoutMs; false when it never held.
bool WaitUntil(int timeoutMs, const std::function<bool()>& condition);

}  // namespace testsupport
