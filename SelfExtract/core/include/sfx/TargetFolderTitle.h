// The title of the folder question.
#pragma once
#include <string>

#include "riviru/localization/IStringResources.h"

namespace sfx {

// The text of "SelectTargetDirAppTitle", or "[ProductName] - [SelectTargetDir]"
// when it is empty, with "[ProductName]" replaced by productName and
// "[SelectTargetDir]" by the text of "SelectTargetDir".
std::wstring TargetFolderTitle(const riviru::IStringResources& strings, const std::wstring& productName);

}  // namespace sfx
