// The setup's command line: file resolution, the Windows Installer rule, the
// forwarded values file and the stub's own arguments.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "sfx/SetupCommandLine.h"

namespace {

using sfx::BuildSetupCommand;
using sfx::CommandLineTail;
using sfx::SetupCommandContext;
using sfx::SfxSettings;

struct CommandCase {
    const char* name;
    SfxSettings settings;
    std::wstring stubCommandLine;
    std::set<std::wstring> files;  // what exists in the extraction folder
    std::wstring file;
    std::wstring params;
    std::wstring valuesFile;
};

SfxSettings Settings(std::wstring setupFile, std::wstring setupParams, bool forward) {
    SfxSettings settings;
    settings.extractDir = L"C:\\Temp\\kvrabc12345\\";
    settings.setupFile = std::move(setupFile);
    settings.setupParams = std::move(setupParams);
    settings.forwardResourceData = forward;
    settings.culture = L"de-DE";
    return settings;
}

SfxSettings With(SfxSettings settings, void (*change)(SfxSettings&)) {
    change(settings);
    return settings;
}

class SetupCommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(SetupCommandTest, BuildsFileAndParameters) {
    const CommandCase& c = GetParam();
    SetupCommandContext context;
    context.stubCommandLine = c.stubCommandLine;
    context.systemFolder = L"C:\\Windows\\system32";
    context.isFile = [&c](const std::wstring& path) { return c.files.count(path) != 0; };
    const sfx::SetupCommand command = BuildSetupCommand(c.settings, context);
    EXPECT_EQ(command.file, c.file);
    EXPECT_EQ(command.params, c.params);
    EXPECT_EQ(command.valuesFile, c.valuesFile);
}

const std::wstring kDir = L"C:\\Temp\\kvrabc12345\\";

INSTANTIATE_TEST_SUITE_P(
    Cases, SetupCommandTest,
    testing::Values(CommandCase{"ForwardingThenSetupParamsThenStubArguments",
                                Settings(L"setup.exe", L"/silent", true),
                                L"\"C:\\Downloads\\package.exe\" /q",
                                {kDir + L"setup.exe"},
                                kDir + L"setup.exe",
                                L"-m C:\\Temp\\kvrabc12345\\SetupValues.dat /silent /q",
                                kDir + L"SetupValues.dat"},
                    CommandCase{"CallerSwitchGivesTheValuesFile",
                                With(Settings(L"setup.exe", L"", true),
                                     [](SfxSettings& s) { s.callerGivesValuesFile = true; }),
                                L"package.exe /m=D:\\values.dat",
                                {kDir + L"setup.exe"},
                                kDir + L"setup.exe",
                                L"/m=D:\\values.dat",
                                L""},
                    CommandCase{"CapitalMsiStartsMsiexecWithoutValues",
                                Settings(L"Product Setup.MSI", L"", true),
                                L"package.exe",
                                {kDir + L"Product Setup.MSI"},
                                L"C:\\Windows\\system32\\msiexec.exe",
                                L"/i \"C:\\Temp\\kvrabc12345\\Product Setup.MSI\"",
                                L""},
                    CommandCase{"MsUnderscoreIsAPackageToo",
                                Settings(L"D:\\pkg\\a.ms_", L"/qn", false),
                                L"\"package.exe\"",
                                {},
                                L"C:\\Windows\\system32\\msiexec.exe",
                                L"/i D:\\pkg\\a.ms_ /qn",
                                L""},
                    CommandCase{"SetupOnlyInProductSubfolder",
                                Settings(L"setup.exe", L"", false),
                                L"package.exe",
                                {kDir + L"product\\setup.exe"},
                                kDir + L"product\\setup.exe",
                                L"",
                                L""},
                    CommandCase{"ADirectoryNamedLikeTheSetupIsPassedOver",
                                Settings(L"setup.exe", L"", false),
                                L"package.exe",
                                {},  // setup.exe in the folder is a directory: isFile says no
                                kDir + L"product\\setup.exe",
                                L"",
                                L""},
                    CommandCase{"AbsoluteSetupFileIsUsedAsItIs",
                                Settings(L"\\\\server\\share\\setup.exe", L"", false),
                                L"package.exe /x",
                                {},
                                L"\\\\server\\share\\setup.exe",
                                L"/x",
                                L""},
                    CommandCase{"LanguageOnlyWhenMultilingualWithDialog",
                                With(Settings(L"setup.exe", L"", true),
                                     [](SfxSettings& s) {
                                         s.multilingual = true;
                                         s.showLanguageDialog = true;
                                         s.callerGivesValuesFile = true;
                                     }),
                                L"package.exe",
                                {kDir + L"setup.exe"},
                                kDir + L"setup.exe",
                                L"/l de-DE",
                                L""},
                    CommandCase{"NoLanguageWithoutTheDialog",
                                With(Settings(L"setup.exe", L"", true),
                                     [](SfxSettings& s) { s.multilingual = true; }),
                                L"package.exe",
                                {kDir + L"setup.exe"},
                                kDir + L"setup.exe",
                                L"-m C:\\Temp\\kvrabc12345\\SetupValues.dat",
                                kDir + L"SetupValues.dat"},
                    CommandCase{"ValuesFileInAFolderWithABlankIsQuoted",
                                With(Settings(L"setup.exe", L"", true),
                                     [](SfxSettings& s) { s.extractDir = L"C:\\My Temp\\"; }),
                                L"package.exe",
                                {L"C:\\My Temp\\setup.exe"},
                                L"C:\\My Temp\\setup.exe",
                                L"-m \"C:\\My Temp\\SetupValues.dat\"",
                                L"C:\\My Temp\\SetupValues.dat"}),
    [](const testing::TestParamInfo<CommandCase>& param) { return std::string(param.param.name); });

TEST(SetupCommandFolderTest, ExtractDirWithoutTrailingBackslashGetsOne) {
    SfxSettings settings = Settings(L"setup.exe", L"", true);
    settings.extractDir = L"C:\\x";
    SetupCommandContext context;
    context.isFile = [](const std::wstring&) { return true; };
    const sfx::SetupCommand command = BuildSetupCommand(settings, context);
    EXPECT_EQ(command.file, L"C:\\x\\setup.exe");
    EXPECT_EQ(command.valuesFile, L"C:\\x\\SetupValues.dat");
}

struct TailCase {
    std::wstring commandLine;
    std::wstring tail;
};

TEST(CommandLineTailTest, FollowsTheProgramNameRule) {
    const TailCase cases[] = {
        {L"\"C:\\Program Files\\pkg.exe\" /q /l de", L"/q /l de"},
        {L"\"C:\\pkg.exe\"", L""},
        {L"\"C:\\pkg.exe\" ", L""},
        {L"\"C:\\pkg.exe", L""},     // no closing mark
        {L"\"pkg.exe\"x/q", L"/q"},  // two characters on, whatever the first is
        {L"pkg.exe /q  /x", L"/q  /x"},
        {L"pkg.exe", L""},
        {L"pkg.exe\t/q", L""},  // only a blank separates
        {L"", L""},
    };
    for (const TailCase& c : cases) EXPECT_EQ(CommandLineTail(c.commandLine), c.tail) << c.commandLine.size();
}

}  // namespace
