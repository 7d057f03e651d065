// CMfcWorkerThread: the base of every background thread of the stub. A window
// object owns one instance per kind of work, starts it, may ask it to stop and
// waits for it before it starts it again or goes away. The base knows nothing
// of windows: a derived class reports through messages to a window handle it
// was given before the start.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "riviru/win/UniqueResource.h"

namespace riviru {

class CMfcWorkerThread {
public:
    // Exit code of a thread whose Run let an exception escape. Nobody reads
    // exit codes in the stub; the value only makes such an end recognisable.
    static constexpr std::uint32_t kUnhandledExceptionExitCode = 0x8000FFFFu;  // E_UNEXPECTED

    CMfcWorkerThread() noexcept = default;
    CMfcWorkerThread(const CMfcWorkerThread&) = delete;
    CMfcWorkerThread& operator=(const CMfcWorkerThread&) = delete;

    // The virtual operations are declared in their slot order. A derived class
    // whose Run uses its own members calls Stop(true) in its destructor: by the
    // time this base destructor runs, those members are gone.
    virtual ~CMfcWorkerThread();

    // Sets the stop request; with wait, then waits as Wait does. It never
    // interrupts the thread: Run has to poll IsStopRequested.
    virtual void Stop(bool wait);

protected:
    // The work, on the new thread; its result becomes the thread's exit code.
    virtual std::uint32_t Run() = 0;

public:
    virtual bool IsStopRequested() const noexcept;

    // Starts Run on a new thread. createFlags are the platform's thread
    // creation flags; with CREATE_SUSPENDED the caller resumes the thread
    // (GetThreadHandle). Refused (false, nothing changed) while the thread of
    // the last start still runs; otherwise true when a thread was created.
    bool Start(DWORD createFlags = 0, unsigned stackSize = 0, SECURITY_ATTRIBUTES* security = nullptr);

    // Returns when the thread of the last start has ended. On the thread that
    // called Start (the user-interface thread) messages sent to its windows are
    // delivered meanwhile, so a worker blocked in SendMessage is answered;
    // posted messages stay queued. Elsewhere it simply blocks.
    void Wait();

    // Borrowed handle of the current or last thread, valid until the next
    // Start or the destruction; null when none was started.
    HANDLE GetThreadHandle() const noexcept { return thread.get(); }

private:
    static unsigned __stdcall ThreadEntry(void* parameter) noexcept;
    bool IsRunning() const noexcept;

    DWORD starterThreadId = 0;
    win::unique_handle thread;
    std::atomic<bool> stopRequested{false};
};

}  // namespace riviru
