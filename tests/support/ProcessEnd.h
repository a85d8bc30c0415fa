#pragma once
// Whether a process the test did not start (a child's child) has ended: gone, or a zombie nobody has waited for.

#include <sys/types.h>

// Polls /proc for up to about two seconds.
bool ProcessEnds(pid_t pid);
