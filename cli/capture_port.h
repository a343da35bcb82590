#pragma once

#include <ostream>
#include <string>

#include "cli/capture.h"
#include "cli/stop_signals.h"

class LogTarget;

/// Captures from a serial device or pseudo-terminal as the window's COM connection does: the
/// serial port driver opens it with the model's line settings and polls it every 100 ms.
/// Failed (with the reason on err) when it cannot be opened; LinkLost when it vanishes.
/// Makes its own Qt application; stop must have been made before.
CaptureEnd capturePort(const std::string& device, LogTarget& target, StopSignals& stop,
                       StopSignals::Deadline deadline, std::ostream& err);
