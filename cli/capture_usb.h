#pragma once

#include <memory>
#include <ostream>

#include "cli/capture.h"
#include "cli/stop_signals.h"
#include "link/hid/hid_platform.h"
#include "link/hid/simulated_cable.h"

class LogTarget;

/// The command line's HID devices: the system's hidraw devices, with the simulated cable
/// (the simulated meter behind it, in real time) listed before them when asked.
std::unique_ptr<HidPlatform> commandLineHidPlatform(bool simulatedCable,
                                                    const SimulatedCableOptions& cable);

/// Captures from the USB cable as the window's "USB Connection" does: the controller lists
/// and checks out the devices present, the last "USB to Serial" gets the speed report and the
/// model's report handler on its reader thread, and the watchdog gives up on a silent meter.
/// Failed (the connection's message on err) when there is no cable to connect; LinkLost when
/// it is pulled out or the meter stays silent. Disconnects as the window does at the end.
/// Makes its own Qt application; stop must have been made before.
CaptureEnd captureUsb(bool simulatedCable, const SimulatedCableOptions& cable, LogTarget& target,
                      StopSignals& stop, StopSignals::Deadline deadline, std::ostream& err);
