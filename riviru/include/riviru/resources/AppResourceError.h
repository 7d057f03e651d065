// A resource of a module that cannot be found or loaded. The attached path
// (tag_errinfo_path) describes the location, see DescribeResourceLocation.
#pragma once
#include "riviru/io/FileException.h"

namespace riviru {

class AppResourceError : public FileException {
public:
    using FileException::FileException;
};

}  // namespace riviru
