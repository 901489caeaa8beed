// In sanitizer builds a sanitizer's report ends the program with status 70 (EX_SOFTWARE), so
// that it is never taken for the game's own error report (status 1) or a usage error (2).
// The runtimes ask for these functions at start; without a sanitizer nothing calls them.
extern "C" {
__attribute__((used, visibility("default"))) const char* __asan_default_options() {
  return "exitcode=70";
}
__attribute__((used, visibility("default"))) const char* __ubsan_default_options() {
  return "exitcode=70:print_stacktrace=1";
}
__attribute__((used, visibility("default"))) const char* __lsan_default_options() {
  return "exitcode=70";
}
}
