// Leak-checker suppressions built into every test program, so that they hold however the
// tests are started: system libraries keep some allocations for the life of the process.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n"
           "leak:libdbus\n"
           "leak:libX11\n"
           "leak:libxcb\n";
}
