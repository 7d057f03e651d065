#include "sfx/BuiltInStringLoader.h"

#include <stdexcept>

namespace sfx {

namespace {

struct Entry {
    const wchar_t* id;
    const wchar_t* text;
};

// The English string table after entity decoding and escape replacement.
constexpr Entry kEnglish[] = {
    {L"VerifyCancel", L"Do you really want to cancel the installation?"},
    {L"OK", L"OK"},
    {L"Cancel", L"Cancel"},
    {L"Yes", L"&Yes"},
    {L"No", L"&No"},
    {L"Retry", L"&Retry"},
    {L"Ignore", L"&Ignore"},
    {L"KiB", L"KB"},
    {L"MiB", L"MB"},
    {L"GiB", L"GB"},
    {L"TiB", L"TB"},
    {L"LanguageSelectionTitle", L"Installation Language"},
    {L"LanguageSelection", L"Please select the language that you would like to use during the installation."},
    {L"ChooseTempDir",
     L"Choose a location with enough space to temporary store the installation files (%s)."},
    {L"DeletingTempFiles", L"Deleting temporary files..."},
    {L"ErrorSize", L"Expected file size: %I64d\nActual file size: %I64d"},
    {L"ExtractSuccess", L"The installation files have been successfully extracted into the folder:"},
    {L"OverwriteAllButton", L"Overwrite all"},
    {L"OverwriteAllQuestion", L"Overwrite all existing files?"},
    {L"SelectTargetDir", L"Choose destination location"},
    {L"SfxAppTitle", L"Setup Self-Extractor"},
    {L"SfxCommandLineHelp",
     L"Usage: setup.exe [parameter]\n\nParameter:\n/? show help\n/x [folderpath]\n\nIf folderpath was set, "
     L"files will be extracted to. If it was not set, files will be extracted to current folder."},
    {L"SfxErrorBadArchive",
     L"The setup file is corrupted. If you downloaded this file from the internet, please download it "
     L"again."},
    {L"SfxErrorExtract", L"The installation files could not be extracted."},
    {L"SfxErrorReadArchive", L"The compressed setup file could not be read."},
    {L"SfxProgressText", L"Preparing files for installation..."},
    {L"SfxProgressTitle", L"%d %% Extracting..."},
    {L"StartSetup", L"Starting installation..."},
};

}  // namespace

riviru::CultureSet BuiltInStringLoader::GetAllCultures() {
    throw std::runtime_error("Cannot get available cultures: Function not implemented yet");
}

void BuiltInStringLoader::LoadStrings(riviru::StringMap& strings, const std::wstring& /*cultureName*/) {
    for (const auto& entry : kEnglish) strings.insert_or_assign(entry.id, entry.text);
}

}  // namespace sfx
