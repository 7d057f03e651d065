// The control-container hook: every dialog of the process asks the installed
// manager for the template it is really created from, so one object can change
// all dialog templates (for example their font) in one place.
#pragma once
#include <windows.h>

#include <vector>

namespace fw {

// What the manager gives back for one dialog creation; a replacement template
// lives here until the dialog has been created.
struct DialogCreateInfo {
    std::vector<BYTE> replacement;
    bool HasReplacement() const noexcept { return !replacement.empty(); }
};

class COccManager {
public:
    virtual ~COccManager() = default;
    // Returns the template to create the dialog from: the given one, or a
    // replacement stored in info.
    virtual const DLGTEMPLATE* PreCreateDialog(DialogCreateInfo* info, const DLGTEMPLATE* dialogTemplate);
    virtual void PostCreateDialog(DialogCreateInfo* info);
};

// Installs the process's manager (not owned; null removes it).
void AfxEnableControlContainer(COccManager* manager) noexcept;
COccManager* AfxGetOccManager() noexcept;

}  // namespace fw
