#include "sfx/TargetFolderTitle.h"

#include <boost/algorithm/string/replace.hpp>

namespace sfx {

std::wstring TargetFolderTitle(const riviru::IStringResources& strings, const std::wstring& productName) {
    std::wstring title = strings.GetString(L"SelectTargetDirAppTitle");
    if (title.empty()) title = L"[ProductName] - [SelectTargetDir]";
    boost::algorithm::replace_all(title, L"[ProductName]", productName);
    boost::algorithm::replace_all(title, L"[SelectTargetDir]", strings.GetString(L"SelectTargetDir"));
    return title;
}

}  // namespace sfx
