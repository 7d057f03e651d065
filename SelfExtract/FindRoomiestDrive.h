// The local drive with the most free space, offered as the start of the folder
// question when the disk is full.
#pragma once
#include "sfx/RoomiestDrive.h"

// Over the system's drive roots (at most 108 characters of them): removable,
// network and CD-ROM drives are skipped, of the others the first with the
// most bytes available to the caller wins. Not found when the roots cannot be
// read or no drive has free space.
sfx::RoomiestDrive FindRoomiestDrive();
