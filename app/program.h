#pragma once

#include <QString>

#include <functional>

class TFCOMM;

/// Set to 1 (any value but empty or 0), it adds the simulated USB cable, the simulated meter
/// behind it, to the HID devices the window lists; unset, the window lists real devices only.
inline constexpr auto kSimulatedCableVariable = "VXM90_SIMULATED_CABLE";
bool simulatedCableWanted(const QString& value);

/// The program: sets the application title, builds the main window on the real dialogs,
/// locale and clock, centres and shows it, and serves events until the application ends.
/// `whenShown` runs once, right after the window is shown. Returns the event loop's exit code.
int runProgram(int& argc, char** argv, const std::function<void(TFCOMM&)>& whenShown = {});
