// The folder question of the progress dialog: at the start of a configured
// extract-only run, and when the disk was too small for the archive.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "riviru/localization/IStringResources.h"
#include "sfx/SfxSettings.h"

// Asks for a folder, starting at startFolder, with the title of
// sfx::TargetFolderTitle. On a choice settings.extractDir becomes the chosen
// folder, in a normal run followed by a new random folder name so that
// extraction goes into a fresh folder; returns false (and changes nothing)
// when the user cancelled.
bool SelectTargetFolder(HWND owner, const riviru::IStringResources& strings, sfx::SfxSettings& settings,
                        const std::wstring& startFolder);

// Tells the user how much space the archive needs (string ChooseTempDir) in a
// message box with only OK, routed through the application; after OK asks
// for the folder, starting at the roomiest drive (or the documents folder).
// true when the user chose a new location.
bool AskForLargerLocation(HWND owner, const riviru::IStringResources& strings, sfx::SfxSettings& settings,
                          std::uint64_t requiredBytes);
