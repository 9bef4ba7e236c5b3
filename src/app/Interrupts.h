#pragma once

// How the process meets the signals that end it in the middle of a write.
namespace Interrupts {

// SIGINT, SIGTERM and SIGHUP first remove the temporary files of unfinished outputs, then end the
// process as the signal itself would (a shell reports 130, 143 or 129), so nothing half-written
// is left and callers still see that the command was interrupted. SIGXFSZ is ignored: a write
// beyond the file size limit then fails with "File too large" and is cleaned up like any other
// failed write.
void install();

} // namespace Interrupts
