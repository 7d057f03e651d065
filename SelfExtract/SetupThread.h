// CSetupThread: the worker that writes the forwarded values, starts the
// setup, waits for it to end and removes the extraction folder. It reports to
// the progress dialog only by posting WM_SFX_HIDE once the setup runs and
// WM_SFX_SETUP_DONE at the end (SfxMessages.h).
#pragma once
#include <cstdint>
#include <string>

#include "SetupStartInfo.h"
#include "framework/MfcWorkerThread.h"

class CSetupThread : public riviru::CMfcWorkerThread {
public:
    CSetupThread() = default;
    // Waits for a running setup worker: Run uses this class's members.
    ~CSetupThread() override;

    // Copies info and starts Run on a new thread. Refused (false, nothing
    // changed) while an earlier run still goes on.
    bool Begin(const SetupStartInfo& info);

    // Starts info's setup file (CreateProcessW is allowed for .exe files,
    // anything else goes through the shell), posts WM_SFX_HIDE, waits for the
    // process and one more second, and returns its exit code (0 when it cannot
    // be read). Throws riviru::FileException with the system error and the
    // setup file's path when the start fails.
    std::uint32_t RunSetupAndWait();

    // The file name of a failed start; read it after WM_SFX_SETUP_DONE.
    const std::wstring& GetErrorText() const noexcept { return errorText; }

protected:
    std::uint32_t Run() override;

private:
    SetupStartInfo info;
    std::wstring errorText;
};
