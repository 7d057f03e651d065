// The message of an error code: the system's message table for codes of the
// category that stands for Windows errors, else the category's own message.
#pragma once
#include <string>
#include <system_error>

#include <boost/system/error_code.hpp>

namespace riviru {

std::wstring ErrorCodeMessage(const std::error_code& code, const std::error_category& windowsCategory);
std::wstring ErrorCodeMessage(const boost::system::error_code& code,
                              const boost::system::error_category& windowsCategory);

}  // namespace riviru
