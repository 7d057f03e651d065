#include "riviru/errors/ExceptionDetails.h"

#include <exception>
#include <set>
#include <string_view>
#include <system_error>
#include <vector>

#include <boost/exception/errinfo_file_name.hpp>
#include <boost/exception/get_error_info.hpp>
#include <boost/filesystem/exception.hpp>
#include <boost/system/system_error.hpp>

#include "riviru/errors/ErrorCodeMessage.h"
#include "riviru/errors/ErrorInfo.h"
#include "riviru/text/Utf.h"

namespace riviru {

namespace {

using PathSet = std::set<std::wstring>;

std::wstring DecodeOrEmpty(std::string_view bytes) {
    auto decoded = DecodeUtf8(bytes);
    return decoded ? std::move(*decoded) : std::wstring();
}

std::wstring WidenAscii(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring NativePath(const boost::filesystem::path& path) {
#ifdef _WIN32
    return path.native();
#else
    return DecodeOrEmpty(path.native());
#endif
}

bool EraseLast(std::wstring& text, std::wstring_view part) {
    if (part.empty()) return false;
    const auto position = text.rfind(part);
    if (position == std::wstring::npos) return false;
    text.erase(position, part.size());
    return true;
}

void AppendFullStop(std::wstring& text) {
    if (text.empty() || text.back() != L'.') text += L'.';
}

// The system error behind an exception. `added` lists, best first, the texts
// the error itself may have put after ": " in its message: the code message
// first, then the library's own renderings of the code, which can
// differ from the system's message table (mingw's libstdc++ and Boost drop the
// final full stop, Boost adds " [system:5]").
struct CodeDetails {
    std::wstring message;
    std::wstring text;
    std::vector<std::wstring> added;
};

template <class Code, class Category>
CodeDetails DescribeCode(const Code& code, const Category& windowsCategory) {
    CodeDetails details;
    details.message = ErrorCodeMessage(code, windowsCategory);
    details.text = WidenAscii(code.category().name()) + L":" + std::to_wstring(code.value());
    details.added.push_back(details.message);
    return details;
}

CodeDetails DescribeCode(const std::exception& e) {
    if (const auto* boostError = dynamic_cast<const boost::system::system_error*>(&e)) {
        // Also covers boost::filesystem::filesystem_error.
        auto details = DescribeCode(boostError->code(), boost::system::system_category());
        details.added.push_back(DecodeOrEmpty(boostError->code().what()));
        details.added.push_back(DecodeOrEmpty(boostError->code().message()));
        return details;
    }
    if (const auto* stdError = dynamic_cast<const std::system_error*>(&e)) {
        auto details = DescribeCode(stdError->code(), std::system_category());
        details.added.push_back(DecodeOrEmpty(stdError->code().message()));
        return details;
    }
    return CodeDetails();
}

// The paths in list order; attached but empty paths count as entries.
std::vector<std::wstring> CollectPaths(const std::exception& e) {
    std::vector<std::wstring> paths;
    if (const auto* fsError = dynamic_cast<const boost::filesystem::filesystem_error*>(&e)) {
        if (!fsError->path1().empty()) paths.push_back(NativePath(fsError->path1()));
        if (!fsError->path2().empty()) paths.push_back(NativePath(fsError->path2()));
        return paths;
    }
    if (const auto* fileName = boost::get_error_info<boost::errinfo_file_name>(e)) {
        paths.push_back(DecodeOrEmpty(*fileName));
    }
    if (const auto* path = boost::get_error_info<tag_errinfo_path>(e)) paths.push_back(NativePath(*path));
    if (const auto* path2 = boost::get_error_info<tag_errinfo_path2>(e)) paths.push_back(NativePath(*path2));
    return paths;
}

std::wstring Details(int level, const PathSet& shownAbove);

std::wstring Describe(const std::exception& e, int level, const PathSet& shownAbove) {
    const std::wstring indent(static_cast<std::size_t>(level), L'\t');
    std::wstring text = indent;

    std::wstring message = DecodeOrEmpty(e.what());
    if (!message.empty()) {
        wchar_t& first = message.front();
        if (first >= L'a' && first <= L'z') first = static_cast<wchar_t>(first - L'a' + L'A');
        EraseLast(message, L": unknown error");
    }
    text += message;

    const CodeDetails code = DescribeCode(e);
    if (code.message.empty() && code.text.empty()) {
        AppendFullStop(text);
    } else {
        for (const auto& added : code.added) {
            if (!added.empty() && EraseLast(text, L": " + added)) break;
        }
        AppendFullStop(text);
        text += L"\n\n" + indent + L"Error details:\n" + indent + code.message;
        if (!code.text.empty()) text += L" (" + code.text + L")";
    }

    const std::vector<std::wstring> paths = CollectPaths(e);
    const PathSet shown(paths.begin(), paths.end());
    if (shown != shownAbove) {
        int counter = 0;
        for (const auto& path : paths) {
            if (path.empty()) continue;
            text += L"\n\n" + indent + L"Path";
            if (paths.size() > 1) text += L" " + std::to_wstring(counter++);
            text += L":\n" + indent + L"'" + path + L"'";
        }
    }

    const auto* nested = dynamic_cast<const std::nested_exception*>(&e);
    if (nested && nested->nested_ptr()) {
        try {
            nested->rethrow_nested();
        } catch (const std::exception&) {
            text += L"\n\n" + indent + L"Cause:\n";
            text += Details(level + 1, shown);
        } catch (...) {
            // A cause of any other type adds nothing.
        }
    }
    return text;
}

std::wstring Details(int level, const PathSet& shownAbove) {
    if (level < 0) level = 0;
    if (const auto current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            return Describe(e, level, shownAbove);
        } catch (...) {
        }
    }
    return std::wstring(static_cast<std::size_t>(level), L'\t') + L"Unknown exception.";
}

}  // namespace

std::wstring ExceptionDetails(int level) {
    return Details(level, PathSet());
}

}  // namespace riviru
