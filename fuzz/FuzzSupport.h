#pragma once

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

// One application for the whole run, never destroyed: at exit Qt's own statics
// may already be gone. The targets' timers need its event dispatcher.
inline void InitFuzzCoreApplication()
{
    static int argc = 1;
    static char name[] = "zorvex_fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
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
