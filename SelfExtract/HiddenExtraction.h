// Runs the extraction worker against a hidden message window on the
// user-interface thread: progress is taken, the overwrite question gets the
// preset answer, failures go through the application's message box. It stands
// in for the progress dialog in runs that show no window.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "ExtractionError.h"
#include "sfx/SfxSettings.h"

enum class HiddenExtractionResult { Done, Cancelled, Failed };

class HiddenExtraction {
public:
    // showError receives every failure report of the worker (on this thread).
    HiddenExtraction(const sfx::SfxSettings& settings, std::function<void(const ExtractionError&)> showError);
    HiddenExtraction(const HiddenExtraction&) = delete;
    HiddenExtraction& operator=(const HiddenExtraction&) = delete;

    // Extracts settings.extractDir from settings.archivePath; returns when
    // the worker has posted its final message and ended.
    HiddenExtractionResult Run();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    const sfx::SfxSettings& settings_;
    std::function<void(const ExtractionError&)> showError_;
    bool finished_ = false;
    HiddenExtractionResult result_ = HiddenExtractionResult::Failed;
};
