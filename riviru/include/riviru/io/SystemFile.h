// The file device: byte-stream access to files through the Windows file API,
// as devices and a stream of Boost.Iostreams, with failures raised as
// FileException. Holds: FileOpenMode, FileShareMode, FileOp, FileException and
// its attachments, CurrentFile, FileDeviceBase, FileDeviceIn, FileInStream.
// The modes, the rules and FileException are portable; the devices and the
// stream are Windows only.
#pragma once
#include "riviru/io/CurrentFile.h"
#include "riviru/io/FileDeviceBase.h"
#include "riviru/io/FileDeviceIn.h"
#include "riviru/io/FileException.h"
#include "riviru/io/FileInStream.h"
#include "riviru/io/FileModes.h"
#include "riviru/io/FileRules.h"
