// Linked into every test program (not through the support library, whose
// objects are taken only when referred to).
#if defined(__SANITIZE_ADDRESS__)
// Qt's platform plugins keep allocations until exit; leaks are not what these runs look for.
extern "C" const char *__asan_default_options() { return "detect_leaks=0"; }
#endif
