#include "ExtractionError.h"

#include "engine/SevenZipEngine.h"  // first: it prepares <windows.h> for the engine's headers

#include <new>

#include "7zip/UI/Common/ExitCode.h"
#include "Common/MyException.h"
#include "Common/MyString.h"
#include "riviru/errors/ExceptionDetails.h"
#include "sfx/ExtractRules.h"

namespace {

std::wstring FromThreadAnsi(const char* text) {
    if (text == nullptr || *text == '\0') return {};
    const int length = ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

// May throw while it copies a text (out of memory).
bool Describe(ExtractionError& error, const std::wstring& currentItem, std::uint64_t totalSize) {
    try {
        throw;
    } catch (const CSystemException& e) {
        const auto code = static_cast<riviru::HResult>(e.ErrorCode);
        error.code = static_cast<std::uint32_t>(e.ErrorCode);
        switch (sfx::ClassifyFailureCode(code)) {
            case sfx::FailureClass::Cancelled:
                return false;
            case sfx::FailureClass::BadArchive:
                error.kind = ExtractionErrorKind::BadArchive;
                break;
            case sfx::FailureClass::SystemError:
                error.kind = ExtractionErrorKind::SystemError;
                error.item = currentItem;
                if (code == sfx::kHResultDiskFull) error.requiredSize = totalSize;
                break;
        }
    } catch (NExitCode::EEnum exitCode) {
        error.kind = ExtractionErrorKind::EngineError;
        error.code = static_cast<std::uint32_t>(exitCode);
    } catch (const UString& text) {
        error.kind = ExtractionErrorKind::EngineError;
        error.message = text.Ptr();
    } catch (const AString& text) {
        error.kind = ExtractionErrorKind::EngineError;
        error.message = FromThreadAnsi(text.Ptr());
    } catch (const char* text) {
        error.kind = ExtractionErrorKind::EngineError;
        error.message = FromThreadAnsi(text);
    } catch (int number) {
        error.kind = ExtractionErrorKind::EngineError;
        error.code = static_cast<std::uint32_t>(number);
    } catch (const std::bad_alloc&) {
        error.kind = ExtractionErrorKind::EngineError;
        error.message = L"Out of memory.";
    } catch (...) {
        // Not one of the engine's types: still one report with what is known.
        error.kind = ExtractionErrorKind::EngineError;
        error.message = riviru::ExceptionDetails(0);
    }
    return true;
}

}  // namespace

bool DescribeExtractionException(ExtractionError& error, const std::wstring& currentItem,
                                 std::uint64_t totalSize) noexcept {
    try {
        return Describe(error, currentItem, totalSize);
    } catch (...) {
        // Not even the report could be built: a plain one that needs no memory.
        error.kind = ExtractionErrorKind::EngineError;
        error.code = static_cast<std::uint32_t>(E_OUTOFMEMORY);
        error.message.clear();
        error.item.clear();
        error.requiredSize = 0;
        return true;
    }
}
