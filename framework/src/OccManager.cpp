#include "framework/OccManager.h"

namespace fw {

namespace {
COccManager* installedManager = nullptr;
}  // namespace

const DLGTEMPLATE* COccManager::PreCreateDialog(DialogCreateInfo*, const DLGTEMPLATE* dialogTemplate) {
    return dialogTemplate;
}

void COccManager::PostCreateDialog(DialogCreateInfo* info) { info->replacement.clear(); }

void AfxEnableControlContainer(COccManager* manager) noexcept { installedManager = manager; }

COccManager* AfxGetOccManager() noexcept { return installedManager; }

}  // namespace fw
