// The progress window's title: the translated "SfxProgressTitle" text is a
// printf format with one integer (the per-cent value). It comes from a
// package's string tables, so it is expanded here without printf: "%d" (and
// "%i", "%u") take the value, "%%" gives a per-cent sign, anything else stays
// as written, and a second integer conversion gets nothing.
#pragma once
#include <string>

namespace sfx {

std::wstring FormatProgressTitle(const std::wstring& format, int value);

}  // namespace sfx
