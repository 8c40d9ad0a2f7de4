#pragma once

namespace fake {

// Puts every process-wide thing a test can touch back to its start: both
// doubles, the temporary-name counter, the run options, the target list and
// the current product name.
void ResetProcess();

}  // namespace fake
