#pragma once

namespace orvane {

// When the X server goes away, Qt says so in a warning and ends the process with exit(),
// which destroys the program's globals under windows and threads still using them (a crash,
// and a core, instead of an ending). From the call on, that warning ends Orvane at once
// instead, with one log line and exit status 1. Its settings are written as they change, so
// nothing is lost.
void endPlainlyWhenTheDisplayIsLost();

} // namespace orvane
