// <windows.h> for the backend's sources, always after every platform
// header (this one includes them first): Win32 defines its constants
// (ERROR_SUCCESS, TRUE, MAX_PATH, SND_ASYNC ...) as macros, so after this
// header the platform's names for them cannot be spelled and the Win32
// macros (same values) are used instead. The
// A/W-switching function macros are removed so that the platform's own
// method names (CreateFile, PlaySound ...) stay what they are; the backend
// calls the W functions by name.
#pragma once

#include "platform/api.h"
#include "win32_error.h"

#include <windows.h>
// winmm needs the types of <windows.h> first.
#include <mmsystem.h>

#undef CopyFile
#undef CreateFile
#undef DeleteFile
#undef FindFirstFile
#undef FindNextFile
#undef GetDiskFreeSpaceEx
#undef MessageBox
#undef OutputDebugString
#undef PlaySound
#undef RegOpenKeyEx
#undef RegQueryValueEx
