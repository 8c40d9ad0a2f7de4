#pragma once

namespace fake {

// Puts every process-wide thing a test can touch back to its start: both
// doubles, the temporary-name counter, the run options, the target list, the
// current product name and the installed instances a run has walked.
void ResetProcess();

}  // namespace fake
