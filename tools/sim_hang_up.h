#pragma once
// Hang-ups on demand for incubator-sim: SIGUSR1 closes the pseudo-terminal, which the monitor
// sees as an adapter pulled out, and a new one is made behind a symbolic link that keeps its
// name, as a device manager re-creates a device's name when the adapter comes back.

#include <string>

#include "tools/sim_line.h"

// Makes SIGUSR1 ask for a hang-up.
void InstallHangUpSignal();
// Whether a hang-up was asked for since the last call.
bool TakeHangUpRequest();

// Points `link` at `target`: a new link renamed over the old one, so that the name never
// dangles half made. 0 or an errno value.
int PointLink(const std::string& link, const std::string& target);

// Closes the pseudo-terminal of `line`, makes a new one behind `link` and waits (without
// spinning) until somebody has opened it; reports both on standard error, the second with the
// seconds it took: "incubator-sim: hang-up N, new pseudo-terminal PATH" and
// "incubator-sim: reader back after S s". 0 or an errno value.
int HangUpAndReplace(SimLine& line, const std::string& link, int number);
