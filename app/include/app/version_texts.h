// The "Ver" page's texts. Each builder fills the caller's text and returns 0,
// or -1 when its source is missing (the text then says so, except for the
// ini file, whose text is left as it was).
#pragma once

#include <string>

#include "platform/win_types.h"

// "System version : 1.2\r\n" from "INF1:".
int ReadSystemVersion(std::string& text);
// The first 128 bytes of "\windows\VeskApp.ini", up to a zero byte.
int ReadAppIni(std::string& text);
// The first eight bytes of "\Mounted Volume2\VESKFCODE.bin" in hexadecimal.
int ReadFactoryCode(std::string& text);
// The navigation executable and the map files, each with date and size.
int ReadNaviListing(std::string& text);

// One file of the listing: its name, then date, time and size. The date is
// shown as a placeholder when the time cannot be converted.
std::string NaviFileEntry(const platform::WIN32_FIND_DATA& entry);
