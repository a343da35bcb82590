#pragma once

#include <functional>

class TFCOMM;

/// The program: sets the application title, builds the main window on the real dialogs,
/// locale and clock, centres and shows it, and serves events until the application ends.
/// `whenShown` runs once, right after the window is shown. Returns the event loop's exit code.
int runProgram(int& argc, char** argv, const std::function<void(TFCOMM&)>& whenShown = {});
