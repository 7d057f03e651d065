// The library's file-system path attachments in Boost's exception-information
// scheme. The file device and the resource streams attach them; ExceptionDetails
// shows them under "Path".
#pragma once
#include <boost/exception/error_info.hpp>
#include <boost/filesystem/path.hpp>

namespace riviru {

typedef boost::error_info<struct tag_errinfo_path_, boost::filesystem::path> tag_errinfo_path;
typedef boost::error_info<struct tag_errinfo_path2_, boost::filesystem::path> tag_errinfo_path2;

}  // namespace riviru
