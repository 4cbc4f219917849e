#pragma once

#include <QApplication>

#include <cstdio>
#include <cstdlib>

// One offscreen application for the whole run, so widgets can be built. It is
// never destroyed: at exit Qt's own statics may already be gone.
inline void InitFuzzApplication()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zorvex_fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

// A broken property is a finding like a crash.
#define FUZZ_CHECK(cond)                                                                                               \
    do {                                                                                                               \
        if (!(cond)) {                                                                                                 \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond);                           \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)
