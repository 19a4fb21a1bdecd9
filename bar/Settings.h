// The state the bar keeps outside itself: the diagnostic record file .\test.ini, the check of
// the installed product version, and the install status that .\Setting\data.ini hands to the
// registry. Paths are relative to the current directory; nothing here shows a message or
// stops the program, failures are recorded in .\test.ini or ignored.
#pragma once

#include <windows.h>

#include "bar/Globals.h"

// The product's uninstall key under HKEY_CURRENT_USER (the prefix and the installer product code).
extern const WCHAR kUninstallKey[];
// The key under HKEY_CURRENT_USER that holds the value "InstallStatus".
extern const WCHAR kInstallStatusKey[];

// Reads "DisplayVersion" of the uninstall key on the road of the machine's processor
// architecture, sets g_bVisScan on a match, records an open or read failure.
void CheckInstalledVersion();
// The same for a given architecture (a wProcessorArchitecture value).
void CheckInstalledVersionFor(WORD processorArchitecture);

// Counts the start under "TotalCount" and notes a set g_bVisScan under "VisScan".
void RecordStart();
// Adds one to a counter of section "record" (missing or non-numeric counts as 0).
void IncrementRecordCounter(const WCHAR* key);
// Writes value in decimal under key in section "record".
void WriteRecordInt(const WCHAR* key, int value);

// Capacity of an install-status text, its terminating NUL included.
constexpr int kInstallStatusSize = 256;

// Copies the install status of .\Setting\data.ini (default "None") to the registry when the
// registry holds a different text. Never writes the other way.
void SyncInstallStatus();
// The registry's install status into text; 1 on success, else 0 and text empty. A value that
// does not fit text with its NUL counts as unreadable.
int ReadInstallStatus(WCHAR (&text)[kInstallStatusSize]);
// Sets the registry's install status to text (REG_SZ) in the existing key; 1 on success, else 0.
int WriteInstallStatus(const WCHAR* text);
