// The font library behind the dialogs' toolkit keeps its caches for the life of the process;
// the leak checker of the sanitizer builds is told so, as it is in the dialog suites, and
// keeps quiet about it so that the program's messages stay its own.
#if defined(__SANITIZE_ADDRESS__)
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libXft.so\n";
}

extern "C" __attribute__((visibility("default"))) const char* __lsan_default_options() {
    return "print_suppressions=0";
}
#endif
