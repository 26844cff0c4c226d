#pragma once

// The program's operator new throws std::bad_alloc at the n-th allocation from now
// (0 = the next one) once armed; Disarm() stops it. Returns whether the failure fired.
void FailAllocationAfter(long n);
bool DisarmFailure();
