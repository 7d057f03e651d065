#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sfx/CommandLine.h"

namespace {

using sfx::CommandLineOptions;
using sfx::OverwriteAnswer;
using sfx::UiLevel;

void ExpectOptions(const CommandLineOptions& actual, const CommandLineOptions& expected) {
    EXPECT_EQ(actual.showHelp, expected.showHelp);
    EXPECT_EQ(actual.extractOnly, expected.extractOnly);
    EXPECT_EQ(actual.extractDir, expected.extractDir);
    EXPECT_EQ(actual.uiLevel, expected.uiLevel);
    EXPECT_EQ(actual.requestedCulture, expected.requestedCulture);
    EXPECT_EQ(actual.archivePath, expected.archivePath);
    EXPECT_EQ(actual.overwriteAnswer, expected.overwriteAnswer);
    EXPECT_EQ(actual.callerGivesValuesFile, expected.callerGivesValuesFile);
}

struct Case {
    const char* name;
    std::vector<std::wstring> args;
    CommandLineOptions expected;
};

CommandLineOptions With(void (*change)(CommandLineOptions&)) {
    CommandLineOptions options;
    change(options);
    return options;
}

TEST(ParseCommandLine, InitialValues) {
    const CommandLineOptions options = sfx::ParseCommandLine({});
    EXPECT_FALSE(options.showHelp);
    EXPECT_FALSE(options.extractOnly);
    EXPECT_EQ(options.extractDir, L"");
    EXPECT_EQ(options.uiLevel, UiLevel::Normal);
    EXPECT_EQ(options.requestedCulture, L"");
    EXPECT_EQ(options.archivePath, L"");
    EXPECT_EQ(options.overwriteAnswer, OverwriteAnswer::YesToAll);
    EXPECT_FALSE(options.callerGivesValuesFile);
}

class ParseCommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseCommandLineTest, Parses) {
    ExpectOptions(sfx::ParseCommandLine(GetParam().args), GetParam().expected);
}

const Case kCases[] = {
    {"Empty", {}, {}},
    {"SlashX", {L"/x", L"C:\\out"}, With([](CommandLineOptions& o) {
         o.extractOnly = true;
         o.extractDir = L"C:\\out";
     })},
    {"UpperX", {L"/X", L"C:\\out"}, With([](CommandLineOptions& o) {
         o.extractOnly = true;
         o.extractDir = L"C:\\out";
     })},
    {"DashX", {L"-x", L"C:\\out"}, With([](CommandLineOptions& o) {
         o.extractOnly = true;
         o.extractDir = L"C:\\out";
     })},
    {"XLastHasNoFolder", {L"/x"}, With([](CommandLineOptions& o) { o.extractOnly = true; })},
    {"XTakesSwitchAsFolder", {L"/x", L"/q"}, With([](CommandLineOptions& o) {
         o.extractOnly = true;
         o.extractDir = L"/q";
     })},
    {"XAfterXKeepsFolder", {L"/x", L"a", L"/x"}, With([](CommandLineOptions& o) {
         o.extractOnly = true;
         o.extractDir = L"a";
     })},
    {"LLast", {L"/q", L"/l"}, With([](CommandLineOptions& o) { o.uiLevel = UiLevel::Silent; })},
    {"ELast", {L"/e"}, {}},
    {"OverwriteAnswerLast", {L"/overwriteanswer"}, {}},
    {"LTakesValueVerbatim", {L"/L", L"/?"}, With([](CommandLineOptions& o) { o.requestedCulture = L"/?"; })},
    {"ETakesValue", {L"/e", L"-x"}, With([](CommandLineOptions& o) { o.archivePath = L"-x"; })},
    {"NoToAll", {L"/overwriteanswer", L"notoall"}, With([](CommandLineOptions& o) {
         o.overwriteAnswer = OverwriteAnswer::NoToAll;
     })},
    {"MaybeKeepsYesToAll", {L"/overwriteanswer", L"maybe"}, {}},
    {"UnknownAnswerKeepsEarlier",
     {L"/OverwriteAnswer", L"NO", L"/overwriteanswer", L"yes to all", L"/overwriteanswer", L"/q"},
     With([](CommandLineOptions& o) { o.overwriteAnswer = OverwriteAnswer::No; })},
    {"CancelAndYes",
     {L"/overwriteanswer", L"CANCEL", L"/overwriteanswer", L"Yes"},
     With([](CommandLineOptions& o) { o.overwriteAnswer = OverwriteAnswer::Yes; })},
    {"HelpAfterQuiet", {L"/q", L"/?"}, With([](CommandLineOptions& o) {
         o.uiLevel = UiLevel::Silent;
         o.showHelp = true;
     })},
    {"HelpStopsParsing", {L"-?", L"/q", L"/x"}, With([](CommandLineOptions& o) { o.showHelp = true; })},
    {"Qm", {L"/QM"}, With([](CommandLineOptions& o) { o.uiLevel = UiLevel::Qm; })},
    {"Qx", {L"/qx"}, With([](CommandLineOptions& o) { o.uiLevel = UiLevel::Qx; })},
    {"LastLevelWins", {L"/q", L"/qb"}, With([](CommandLineOptions& o) { o.uiLevel = UiLevel::Qb; })},
    {"LastCultureWins", {L"/l", L"de-DE", L"/l", L"fr-FR"}, With([](CommandLineOptions& o) {
         o.requestedCulture = L"fr-FR";
     })},
    {"ValuesFile", {L"/m=C:\\v.dat"}, With([](CommandLineOptions& o) { o.callerGivesValuesFile = true; })},
    {"ValuesFileDashUpper", {L"-M="}, With([](CommandLineOptions& o) { o.callerGivesValuesFile = true; })},
    {"NotValuesFile", {L"/m", L"/m:x", L"m=x", L"/mx=1"}, {}},
    {"IgnoredArguments", {L"", L"/", L"x", L"q", L"/quiet", L"/x1", L"/ x", L"--x", L"/foo", L"bar"}, {}},
    {"UnknownSwitchTakesNoValue", {L"/foo", L"/qb"}, With([](CommandLineOptions& o) {
         o.uiLevel = UiLevel::Qb;
     })},
    {"Mixed",
     {L"/qb", L"/m=1", L"/e", L"D:\\pkg.7z", L"/l", L"ja-JP", L"-X", L"D:\\x y", L"/overwriteanswer",
      L"YesToAll"},
     With([](CommandLineOptions& o) {
         o.uiLevel = UiLevel::Qb;
         o.callerGivesValuesFile = true;
         o.archivePath = L"D:\\pkg.7z";
         o.requestedCulture = L"ja-JP";
         o.extractOnly = true;
         o.extractDir = L"D:\\x y";
     })},
};

INSTANTIATE_TEST_SUITE_P(Cases, ParseCommandLineTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
