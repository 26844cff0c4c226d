#pragma once

// Process-wide count of the parameters reported since the last instance was built.
// Processing waits until every parameter has been reported once.
namespace startup_gate {
// Every new instance starts the count again.
void Reset();
// Records a first report of `index`; answers whether the count has reached zero.
bool Report(int index);
} // namespace startup_gate
