// The worker thread base: start, stop request, waiting without deadlock
// against a worker that sends messages, and the life cycle of the thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <thread>
#include <utility>

#include "framework/MfcWorkerThread.h"
#include "riviru/win/UniqueResource.h"

namespace {

constexpr UINT kQuestion = WM_APP + 1;  // sent by the worker, answered with 42
constexpr UINT kNote = WM_APP + 2;      // posted by the worker
// A broken Wait would block a plain SendMessage for ever; the worker gives up
// after this long instead, so the test fails instead of hanging.
constexpr UINT kSendTimeoutMs = 10000;

// Runs a function given by the test; stops and waits in its destructor, as a
// derived class with members of its own must.
class FunctionWorker : public riviru::CMfcWorkerThread {
public:
    explicit FunctionWorker(std::function<std::uint32_t(FunctionWorker&)> work) : work_(std::move(work)) {}
    ~FunctionWorker() override { Stop(true); }

    std::atomic<int> runs{0};

private:
    std::uint32_t Run() override {
        ++runs;
        return work_(*this);
    }

    std::function<std::uint32_t(FunctionWorker&)> work_;
};

// A message-only window on the test's thread that records what reached it.
class ReceiverWindow {
public:
    ReceiverWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"MfcWorkerThreadTestsReceiver";
        ::RegisterClassW(&windowClass);  // fails harmlessly when already registered
        window_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, this);
    }
    ~ReceiverWindow() { ::DestroyWindow(window_); }
    ReceiverWindow(const ReceiverWindow&) = delete;
    ReceiverWindow& operator=(const ReceiverWindow&) = delete;

    HWND get() const noexcept { return window_; }

    // Sends the question from the calling (worker) thread; 0 when it was not
    // answered in time.
    LRESULT Ask() const {
        DWORD_PTR answer = 0;
        if (!::SendMessageTimeoutW(window_, kQuestion, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &answer)) return 0;
        return static_cast<LRESULT>(answer);
    }

    std::atomic<int> questions{0};
    std::atomic<int> notes{0};
    DWORD answeringThread = 0;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<ReceiverWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && message == kQuestion) {
            ++self->questions;
            self->answeringThread = ::GetCurrentThreadId();
            return 42;
        }
        if (self != nullptr && message == kNote) {
            ++self->notes;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

DWORD ExitCode(const riviru::CMfcWorkerThread& worker) {
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeThread(worker.GetThreadHandle(), &code));
    return code;
}

// Blocks until the test opens it; closed again when the test ends.
struct Gate {
    riviru::win::unique_handle event{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    void Open() const { ::SetEvent(event.get()); }
    bool WaitOpen(DWORD ms = 10000) const { return ::WaitForSingleObject(event.get(), ms) == WAIT_OBJECT_0; }
};

}  // namespace

TEST(MfcWorkerThread, WaitWithoutThreadReturnsAtOnce) {
    FunctionWorker worker([](FunctionWorker&) { return 0u; });
    EXPECT_EQ(worker.GetThreadHandle(), nullptr);
    EXPECT_FALSE(worker.IsStopRequested());
    worker.Wait();
    worker.Stop(true);
    EXPECT_EQ(worker.runs, 0);
}

TEST(MfcWorkerThread, RunResultBecomesTheExitCode) {
    FunctionWorker worker([](FunctionWorker&) { return 0xC0FFEEu; });
    ASSERT_TRUE(worker.Start());
    worker.Wait();
    EXPECT_EQ(::WaitForSingleObject(worker.GetThreadHandle(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCode(worker), 0xC0FFEEu);
    EXPECT_EQ(worker.runs, 1);
}

TEST(MfcWorkerThread, SendMessageFromWorkerIsAnsweredWhileTheStarterWaits) {
    ReceiverWindow receiver;
    ASSERT_NE(receiver.get(), nullptr);
    LRESULT answer = 0;
    FunctionWorker worker([&](FunctionWorker&) {
        ::PostMessageW(receiver.get(), kNote, 0, 0);
        answer = receiver.Ask();
        return 0u;
    });
    ASSERT_TRUE(worker.Start());
    worker.Wait();

    EXPECT_EQ(answer, 42) << "the sent message was not delivered during Wait";
    EXPECT_EQ(receiver.answeringThread, ::GetCurrentThreadId());
    // The posted note is not taken from the queue by Wait.
    EXPECT_EQ(receiver.notes, 0);
    MSG message;
    ASSERT_TRUE(::PeekMessageW(&message, receiver.get(), kNote, kNote, PM_REMOVE));
    ::DispatchMessageW(&message);
    EXPECT_EQ(receiver.notes, 1);
}

TEST(MfcWorkerThread, StopWithoutWaitOnlySetsTheRequest) {
    Gate polled;
    FunctionWorker worker([&](FunctionWorker& self) {
        while (!self.IsStopRequested()) ::Sleep(1);
        polled.Open();
        return 3u;
    });
    ASSERT_TRUE(worker.Start());
    ::Sleep(50);
    EXPECT_EQ(::WaitForSingleObject(worker.GetThreadHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    worker.Stop(false);
    EXPECT_TRUE(worker.IsStopRequested());
    EXPECT_TRUE(polled.WaitOpen());
    worker.Wait();
    EXPECT_EQ(ExitCode(worker), 3u);
}

TEST(MfcWorkerThread, SecondStartWhileRunningIsRefused) {
    Gate release;
    FunctionWorker worker([&](FunctionWorker&) { return release.WaitOpen() ? 1u : 2u; });
    ASSERT_TRUE(worker.Start());
    const HANDLE first = worker.GetThreadHandle();
    worker.Stop(false);
    EXPECT_FALSE(worker.Start());
    // Refused means untouched: same thread, stop request still set.
    EXPECT_EQ(worker.GetThreadHandle(), first);
    EXPECT_TRUE(worker.IsStopRequested());
    release.Open();
    worker.Wait();
    EXPECT_EQ(worker.runs, 1);
    EXPECT_EQ(ExitCode(worker), 1u);
}

TEST(MfcWorkerThread, StartAfterTheEndRunsAgainWithTheRequestCleared) {
    std::atomic<bool> stopSeenBySecondRun{true};
    FunctionWorker worker([&](FunctionWorker& self) {
        stopSeenBySecondRun = self.IsStopRequested();
        return static_cast<std::uint32_t>(self.runs.load());
    });
    ASSERT_TRUE(worker.Start());
    worker.Stop(true);
    EXPECT_EQ(ExitCode(worker), 1u);
    ASSERT_TRUE(worker.IsStopRequested());

    ASSERT_TRUE(worker.Start());
    EXPECT_FALSE(worker.IsStopRequested());
    worker.Wait();
    EXPECT_EQ(worker.runs, 2);
    EXPECT_FALSE(stopSeenBySecondRun);
    EXPECT_EQ(ExitCode(worker), 2u);
}

TEST(MfcWorkerThread, SuspendedStartWaitsForTheCaller) {
    FunctionWorker worker([](FunctionWorker&) { return 5u; });
    ASSERT_TRUE(worker.Start(CREATE_SUSPENDED));
    ::Sleep(50);
    EXPECT_EQ(worker.runs, 0);
    EXPECT_EQ(::ResumeThread(worker.GetThreadHandle()), 1u);
    worker.Wait();
    EXPECT_EQ(worker.runs, 1);
    EXPECT_EQ(ExitCode(worker), 5u);
}

TEST(MfcWorkerThread, WaitFromAnotherThreadBlocksUntilTheEnd) {
    Gate release;
    std::atomic<bool> finished{false};
    FunctionWorker worker([&](FunctionWorker&) {
        release.WaitOpen();
        finished = true;
        return 0u;
    });
    ASSERT_TRUE(worker.Start());
    std::atomic<bool> waitReturned{false};
    std::atomic<bool> finishedWhenReturned{false};
    std::thread other([&] {
        worker.Wait();
        finishedWhenReturned = finished.load();
        waitReturned = true;
    });
    ::Sleep(50);
    EXPECT_FALSE(waitReturned);
    release.Open();
    other.join();
    EXPECT_TRUE(finishedWhenReturned);
}

TEST(MfcWorkerThread, DestroyingARunningWorkerStopsItAndStillAnswersItsMessages) {
    ReceiverWindow receiver;
    ASSERT_NE(receiver.get(), nullptr);
    std::atomic<bool> ended{false};
    LRESULT answer = 0;
    {
        Gate started;
        FunctionWorker worker([&](FunctionWorker& self) {
            started.Open();
            while (!self.IsStopRequested()) ::Sleep(1);
            answer = receiver.Ask();  // reported while the owner is being destroyed
            ended = true;
            return 0u;
        });
        ASSERT_TRUE(worker.Start());
        ASSERT_TRUE(started.WaitOpen());
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(receiver.questions, 1);
}

TEST(MfcWorkerThread, AnExceptionFromRunEndsOnlyTheThread) {
    FunctionWorker worker([](FunctionWorker&) -> std::uint32_t { throw std::runtime_error("work failed"); });
    ASSERT_TRUE(worker.Start());
    worker.Wait();
    EXPECT_EQ(ExitCode(worker), riviru::CMfcWorkerThread::kUnhandledExceptionExitCode);
}
