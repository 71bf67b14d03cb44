// Sanitizer settings for the tests that run Qt and the browser engine, which are
// not built with the sanitizers. Each setting keeps our own code fully checked.

#if defined(__SANITIZE_THREAD__)
// Qt, GLib, xcb and the browser engine hand work between their own threads through
// atomics ThreadSanitizer cannot see; accesses made inside those libraries are left
// out, every access made by our code is still checked.
extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
#endif

#if defined(__SANITIZE_ADDRESS__)
#include <dlfcn.h>

#include <initializer_list>

// The software GL driver that the window system loads is unloaded again before
// the leak check runs, which then cannot name it. Loaded here first and kept, its
// allocations stay attributable (and suppressed below).
__attribute__((constructor)) static void keepGlDriverLoaded() {
    for (const char* library : {"libGLX_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"}) {
        dlopen(library, RTLD_NOW | RTLD_NODELETE);
    }
}

// The browser engine frees some of its own objects through a type of another size.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

// What the system libraries and the browser engine keep until the process ends.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libQt6WebEngineCore.so\n"
           "leak:libudev.so\n"
           "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:swrast_dri.so\n"
           "leak:libLLVM\n";
}
#endif
