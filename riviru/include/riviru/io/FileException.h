// The failure of a file operation: a stream failure with the system error code,
// carrying the facts of the operation as Boost exception information, which
// the error details show (the path under "Path").
//
// Attachments: tag_errinfo_path (ErrorInfo.h), tag_errinfo_openmode,
// tag_errinfo_sharemode, tag_errinfo_handle, tag_errinfo_file_op and Boost's
// errinfo_api_function (the system function that failed).
#pragma once
#include <cstdint>
#include <ios>
#include <string>
#include <system_error>

#include <boost/exception/errinfo_api_function.hpp>
#include <boost/exception/exception.hpp>
#include <boost/exception/info.hpp>

#include "riviru/errors/ErrorInfo.h"
#include "riviru/io/FileModes.h"

namespace riviru {

typedef boost::error_info<struct tag_errinfo_openmode_, FileOpenMode> tag_errinfo_openmode;
typedef boost::error_info<struct tag_errinfo_sharemode_, FileShareMode> tag_errinfo_sharemode;
// The system file handle as an integer.
typedef boost::error_info<struct tag_errinfo_handle_, std::uintptr_t> tag_errinfo_handle;
typedef boost::error_info<struct tag_errinfo_file_op_, FileOp> tag_errinfo_file_op;

class FileException : public std::ios_base::failure, public virtual boost::exception {
public:
    // what() is the message, ": " and the code's message.
    FileException(const std::string& message, const std::error_code& code);
};

}  // namespace riviru
