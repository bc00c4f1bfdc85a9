// fontconfig 2.14 loses a few bytes once while it parses the system's
// configuration (the <rejectfont> pattern of 70-no-bitmaps.conf); that is not
// ours to free, so the leak checker of the sanitizer builds is told to ignore
// leaks allocated inside fontconfig.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
