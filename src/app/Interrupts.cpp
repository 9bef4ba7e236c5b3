#include "app/Interrupts.h"

#include "output/TemporaryFile.h"

#include <csignal>

namespace {

// Only async-signal-safe calls: unlink(2) through the registry, then the default action.
void endAfterCleanUp(int signal) {
    TemporaryFile::removeAllRegistered();
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    // Delivered once the handler returns, as the signal stays blocked until then.
    raise(signal);
}

} // namespace

void Interrupts::install() {
    constexpr int kEnding[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction cleanUp = {};
    cleanUp.sa_handler = endAfterCleanUp;
    sigemptyset(&cleanUp.sa_mask);
    for (const int signal : kEnding)
        sigaddset(&cleanUp.sa_mask, signal);
    for (const int signal : kEnding) {
        // A signal ignored from the start (nohup, a background job) stays ignored.
        struct sigaction current = {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN)
            sigaction(signal, &cleanUp, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}
