// The private window messages between the progress dialog and its workers
// (the extraction worker and the setup worker). A message that is sent is
// answered before the sender continues; a posted one is queued. All values lie
// in the application range (WM_APP and above).
#pragma once

// Posted by the dialog to itself: start the run. No parameters.
inline constexpr unsigned int WM_SFX_START = 0x8001;
// Posted by the setup worker: hide the dialog. No parameters.
inline constexpr unsigned int WM_SFX_HIDE = 0x8002;
// Posted by the setup worker: the setup has ended or could not be run.
// wParam = the setup's exit code or an error code; lParam = 1 when wParam is
// the setup's exit code, 0 when the setup was not run.
inline constexpr unsigned int WM_SFX_SETUP_DONE = 0x8003;
// Posted by the extraction worker: the extraction succeeded. No parameters.
inline constexpr unsigned int WM_SFX_EXTRACT_DONE = 0x8004;
// Posted by the extraction worker: the run was cancelled (after the clean-up).
// No parameters.
inline constexpr unsigned int WM_SFX_EXTRACT_CANCELLED = 0x8005;
// Posted by the extraction worker after a failure was reported with
// WM_SFX_EXTRACT_ERROR and cleaned up. No parameters.
inline constexpr unsigned int WM_SFX_EXTRACT_FAILED = 0x8006;
// Sent by the extraction worker: a failure. wParam = address of an
// ExtractionError that lives on the worker's stack and is valid only until
// the handler returns. lParam unused; the reply is ignored.
inline constexpr unsigned int WM_SFX_EXTRACT_ERROR = 0x8007;
// Sent by the extraction worker: progress. lParam = per mille, 0-1000. The
// handler should reply (ReplyMessage) before it touches the window.
inline constexpr unsigned int WM_SFX_PROGRESS = 0x8008;
// Sent by the extraction worker: an output file exists. lParam = full path of
// the existing file (const wchar_t*, valid during the call). The reply is the
// answer: 0 yes, 1 yes to all, 2 no, 3 no to all, 4 cancel; any other value
// counts as no.
inline constexpr unsigned int WM_SFX_ASK_OVERWRITE = 0x8009;
// Posted by the extraction worker just before it removes the extraction
// folder after a failure or a cancel. No parameters.
inline constexpr unsigned int WM_SFX_DELETING = 0x800A;
// Sent by the extraction worker: the archive needs a password. wParam =
// buffer (wchar_t*) to receive it with its terminating zero, lParam = the
// buffer's capacity in characters (1024). Reply 1 when the buffer holds the
// password; any other reply cancels the run.
inline constexpr unsigned int WM_SFX_ASK_PASSWORD = 0x800B;

// Capacity in characters of the buffer sent with WM_SFX_ASK_PASSWORD: at most
// 1,023 characters and the terminating zero.
inline constexpr unsigned int kSfxPasswordBufferChars = 1024;
