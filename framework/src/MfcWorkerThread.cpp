#include "framework/MfcWorkerThread.h"

#include <process.h>

#include <string>

#include "riviru/errors/ExceptionDetails.h"

namespace riviru {

CMfcWorkerThread::~CMfcWorkerThread() {
    if (IsRunning()) {
        stopRequested.exchange(true);
        Wait();
    }
}

void CMfcWorkerThread::Stop(bool wait) {
    stopRequested.exchange(true);
    if (wait) Wait();
}

bool CMfcWorkerThread::IsStopRequested() const noexcept {
    return stopRequested.load();
}

bool CMfcWorkerThread::Start(DWORD createFlags, unsigned stackSize, SECURITY_ATTRIBUTES* security) {
    if (IsRunning()) return false;
    thread.reset();
    starterThreadId = ::GetCurrentThreadId();
    stopRequested.exchange(false);
    // Created suspended, so the handle is stored before Run can start or end.
    unsigned threadId = 0;
    thread.reset(reinterpret_cast<HANDLE>(::_beginthreadex(security, stackSize, &ThreadEntry, this,
                                                           createFlags | CREATE_SUSPENDED, &threadId)));
    if (thread && (createFlags & CREATE_SUSPENDED) == 0) ::ResumeThread(thread.get());
    return static_cast<bool>(thread);
}

void CMfcWorkerThread::Wait() {
    if (!IsRunning()) return;
    HANDLE handle = thread.get();
    if (::GetCurrentThreadId() != starterThreadId) {
        ::WaitForSingleObject(handle, INFINITE);
        return;
    }
    // The worker may be blocked in SendMessage to a window of this thread:
    // peeking lets the system deliver sent messages without taking posted ones.
    while (::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    }
}

bool CMfcWorkerThread::IsRunning() const noexcept {
    return thread && ::WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT;
}

unsigned __stdcall CMfcWorkerThread::ThreadEntry(void* parameter) noexcept {
    // An exception must not leave the thread (the runtime would end the
    // process); derived classes report their expected failures themselves.
    try {
        return static_cast<CMfcWorkerThread*>(parameter)->Run();
    } catch (...) {
        try {
            const std::wstring text = L"Worker thread ended by an exception:\n" + ExceptionDetails(1);
            ::OutputDebugStringW(text.c_str());
        } catch (...) {
        }
        return kUnhandledExceptionExitCode;
    }
}

}  // namespace riviru
