// The processes a test leaves behind. Test programs adopt every process their tests start, even
// one that detaches itself (this process is their subreaper), so all of them show up here as
// children of the test program.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

// Makes this process the one that orphaned descendants are handed to.
void AdoptOrphans();

// A child that outlives single tests (a database server of the whole test program): it is
// neither listed nor ended below until it is released.
void KeepChild(pid_t pid);
void ReleaseChild(pid_t pid);

// Children of this process that have not ended, as "pid command line".
std::vector<std::string> RunningChildren();

// Waits up to GraceSeconds for every child to end (reaping them), then kills each one still
// running by its id, and those its end hands over to us, until none is left. Returns the ones
// that had to be killed.
std::vector<std::string> EndLeftoverChildren(double graceSeconds);

// SIGTERM to a process group of the test's own, then SIGKILL to what is left after
// Seconds; returns once no member is left (members that are our children are reaped).
void StopProcessGroup(pid_t group, double seconds);

}  // namespace testsupport
