#pragma once

// The Windows-version class that the start-up log names and that font selection uses:
// 1 to 3 "Windows 9x/Me", 4 to 6 "Windows NT/2000", 7 "Windows XP", anything else
// "Unknown". Only the minor version number decides.
int getwinversion();
// The class for a minor version number.
int winversionclass(int minor);
