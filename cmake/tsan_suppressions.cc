// Linked into every program of a thread-sanitizer build (-DVANTRIX_TSAN=ON).
//
// The C library is not built with the sanitizer, and its own calls to free
// do not pass through the sanitizer's hooks. When two lookup threads are
// inside getnameinfo at once, a block that one thread's resolver freed can
// come back to another thread from malloc, and the sanitizer, which never
// saw the free, takes the two writes for a race. It has shown only as
// frames of the C library's growing arrays under getnameinfo. Calls that
// the C library makes into the sanitizer's hooks are left out, and so is
// that one frame, so that a race in our own code is still reported.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libc.so.6\n"
         "race:__libc_dynarray_emplace_enlarge\n";
}
