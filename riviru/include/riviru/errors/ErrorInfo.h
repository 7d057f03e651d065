// The library's file-system path attachments in Boost's exception-information
// scheme. FileException (Part 4.3) and AppResourceError (Part 4.5) attach them;
// ExceptionDetails (Part 4.2) shows them under "Path".
#pragma once
#include <boost/exception/error_info.hpp>
#include <boost/filesystem/path.hpp>

namespace riviru {

typedef boost::error_info<struct tag_errinfo_path_, boost::filesystem::path> tag_errinfo_path;
typedef boost::error_info<struct tag_errinfo_path2_, boost::filesystem::path> tag_errinfo_path2;

}  // namespace riviru
