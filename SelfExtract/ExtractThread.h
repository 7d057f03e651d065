// CExtractThread: the worker that unpacks the payload archive into the
// extraction folder. It drives the archive engine with MyOpenCallback and
// MyExtractCallback and reports to the progress dialog only through the
// WM_SFX_ messages (SfxMessages.h): progress and questions are sent, the one
// final message of a run is posted. After a failure or a cancel it removes the
// folder when asked to. No exception leaves the thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/MfcWorkerThread.h"

// What the dialog gives the worker before each start.
struct ExtractThreadParams {
    HWND window = nullptr;         // the progress dialog; every message goes here
    std::wstring archivePath;      // the archive file; the engine finds the archive inside it
    std::wstring extractDir;       // the folder to extract into, created when missing (see folderCreated)
    bool deleteOnFailure = false;  // remove extractDir with its contents after a failure or a cancel
    // extractDir was created by this run (a normal run): it is used only as
    // the plain folder it was made, never created or replaced by the worker.
    bool folderCreated = false;
};

class CExtractThread : public riviru::CMfcWorkerThread {
public:
    CExtractThread() = default;
    // Stops a running extraction at its next progress call and waits for it.
    ~CExtractThread() override;

    // Copies the parameters and starts a run on a new thread (createFlags 0).
    // Refused (false, nothing changed) while the previous run still goes on:
    // Wait for it first.
    bool Start(const ExtractThreadParams& params);

    // Every entry the engine prepared over this object's life, in engine
    // order, relative to the folder; a folder entry ends with a backslash.
    // Read it only while no run goes on (after Wait).
    const std::vector<std::wstring>& GetExtractedEntries() const noexcept { return extractedEntries; }

protected:
    std::uint32_t Run() override;

private:
    friend class MyExtractCallback;

    void Extract();
    void CreateExtractDir();
    void CleanUp() noexcept;
    void Post(unsigned int message) const noexcept;

    HWND window = nullptr;
    std::wstring archivePath;
    std::wstring extractDir;
    bool deleteOnFailure = false;
    bool folderCreated = false;
    // The entry being extracted, relative to extractDir; extractDir itself
    // when creating that folder failed.
    std::wstring currentItem;
    // The unpacked size the engine reported; 0 until then.
    std::uint64_t totalSize = 0;
    std::vector<std::wstring> extractedEntries;
};
