// Clean-up on the signals that would end the run: while a guard lives,
// each of them runs the handler given, which removes what the run has made
// so far (a temporary file, a private folder) and then ends the process by
// the same signal, restored to its default action.
#pragma once

#include <array>
#include <csignal>

namespace zoneinf {

// Every signal a program can catch whose default action ends it, but
// SIGXFSZ (below): the requests to stop (HUP INT QUIT TERM), the events
// a run may be told of (PIPE ALRM VTALRM PROF USR1 USR2 XCPU POLL PWR),
// the faults (ILL TRAP ABRT BUS FPE SEGV SYS, STKFLT) and the real-time
// signals, which Linux adds to the list below when the guard is made.
inline constexpr std::array kInterruptions = {
    SIGHUP, SIGINT,  SIGQUIT, SIGTERM, SIGPIPE, SIGALRM, SIGVTALRM, SIGPROF, SIGUSR1, SIGUSR2, SIGXCPU,
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
    SIGILL, SIGTRAP, SIGABRT, SIGBUS,  SIGFPE,  SIGSEGV, SIGSYS};
#ifdef SIGRTMIN
inline constexpr int kMostSignals = 65;
#else
inline constexpr int kMostSignals = 32;
#endif

// The handler ends by ending the process: signal(SIG_DFL), raise. A
// file-size limit makes write() fail with EFBIG instead of killing the
// process, so what was made is removed as on any failure.
class InterruptionGuard {
public:
    // A signal the program was started with ignored (nohup's SIGHUP) stays
    // ignored: it would not have ended the run.
    explicit InterruptionGuard(void (*handler)(int))
    {
        struct sigaction action {};
        action.sa_handler = handler;
        sigfillset(&action.sa_mask);
        for (const int signal : kInterruptions) {
            Catch(signal, action);
        }
#ifdef SIGRTMIN
        for (int signal = SIGRTMIN; signal <= SIGRTMAX && signal < kMostSignals; ++signal) {
            Catch(signal, action);
        }
#endif
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &previousFileSize_);
    }
    ~InterruptionGuard()
    {
        for (int signal = 1; signal < kMostSignals; ++signal) {
            if (caught_[signal]) {
                ::sigaction(signal, &previous_[signal], nullptr);
            }
        }
        ::sigaction(SIGXFSZ, &previousFileSize_, nullptr);
    }
    InterruptionGuard(const InterruptionGuard&) = delete;
    InterruptionGuard& operator=(const InterruptionGuard&) = delete;

private:
    void Catch(int signal, const struct sigaction& action)
    {
        if (signal >= kMostSignals || ::sigaction(signal, nullptr, &previous_[signal]) != 0 ||
            previous_[signal].sa_handler == SIG_IGN) {
            return;
        }
        caught_[signal] = ::sigaction(signal, &action, nullptr) == 0;
    }

    std::array<struct sigaction, kMostSignals> previous_{};
    std::array<bool, kMostSignals> caught_{};
    struct sigaction previousFileSize_ {};
};

}  // namespace zoneinf
