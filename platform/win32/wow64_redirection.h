// File-system redirection of a 32-bit program on 64-bit Windows (WOW64).
#pragma once

namespace vh {

// While one of these lives, the calling thread's paths under the Windows
// System32 folder name the system's own (64-bit) files instead of being
// redirected to SysWOW64, so that such a program can start a program that
// exists only as a 64-bit one there, as a 64-bit program would. The two
// kernel32 functions are looked up at run time: 32-bit Windows has neither
// (and redirects nothing), and the program must still start there. Keep
// its life short: DLLs that the thread loads meanwhile are not redirected
// either.
class Wow64RedirectionOff {
public:
    Wow64RedirectionOff();
    ~Wow64RedirectionOff();
    Wow64RedirectionOff(const Wow64RedirectionOff&) = delete;
    Wow64RedirectionOff& operator=(const Wow64RedirectionOff&) = delete;

    // False where there is nothing to turn off (no WOW64), or it failed.
    bool active() const { return active_; }

private:
    void* previous_ = nullptr;
    bool active_ = false;
};

}  // namespace vh
