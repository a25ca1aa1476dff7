// gyxconfig.h: the files the system reads and writes, as the Win32 tests set
// them up and inspect them: "gyrantx.ini" in the Windows directory, per-port
// application files, and the diagnostic log "gyrantx.log" in a home directory.
#ifndef GYX_HARNESS_CONFIG_H
#define GYX_HARNESS_CONFIG_H

#include <string>
#include <vector>

// GetWindowsDirectoryA ("C:\windows" in a Wine prefix).
std::string GyxWindowsDir();
// Where the profile functions find the bare name "gyrantx.ini".
std::string GyxIniPath();

// Writes "gyrantx.ini" with exactly this text (tests may write malformed files)
// and drops the profile cache of this process, so its next profile call reads
// the new file.
bool GyxWriteIni(const std::string &text);
// Removes "gyrantx.ini"; true when it is gone (a missing file counts).
bool GyxRemoveIni();

// Text of an application file: section "Gyrantrix" with "appName" (when not
// empty) and the given labels as "button1".."button9", "leftbutton",
// "rightbutton" in that order (fewer than eleven leave the rest unset).
std::string GyxAppFileText(const std::string &appName, const std::vector<std::string> &labels);
// Writes an application file at path (Linux or Windows).
bool GyxWriteAppFile(const std::string &path, const std::string &text);

// homeDir + "\gyrantx.log" (homeDir as written in "gyrantx.ini", e.g. "Z:\tmp\h").
std::string GyxLogPath(const std::string &homeDir);
bool GyxDeleteLog(const std::string &homeDir);
// The log's text; "" and false when there is no log.
bool GyxReadLog(const std::string &homeDir, std::string *text);

#endif
