// gyxconfig_win.cpp: configuration, application-file and log helpers of the
// harness (gyxconfig.h).
#include "gyxconfig.h"

#include "gyxfile.h"
#include "gyxpath.h"

#include <windows.h>

namespace {

const char kIniName[] = "gyrantx.ini";

// Wine (like Windows) keeps recently used profile files in memory; a call with
// every argument NULL drops that cache, so the next read sees the file on disk.
void FlushProfileCache() {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, kIniName);
}

}  // namespace

std::string GyxWindowsDir() {
  char buf[MAX_PATH];
  const UINT n = GetWindowsDirectoryA(buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return "";
  return std::string(buf, n);
}

std::string GyxIniPath() {
  return GyxWindowsDir() + "\\" + kIniName;
}

bool GyxWriteIni(const std::string &text) {
  const bool ok = GyxWriteFile(GyxIniPath(), text);
  FlushProfileCache();
  return ok;
}

bool GyxRemoveIni() {
  const bool ok = GyxDeleteFile(GyxIniPath());
  FlushProfileCache();
  return ok;
}

std::string GyxAppFileText(const std::string &appName, const std::vector<std::string> &labels) {
  static const char *const kKeys[] = {"button1", "button2", "button3", "button4",    "button5",    "button6",
                                      "button7", "button8", "button9", "leftbutton", "rightbutton"};
  std::string text = "[Gyrantrix]\r\n";
  if (!appName.empty()) text += "appName=" + appName + "\r\n";
  for (size_t i = 0; i < labels.size() && i < sizeof kKeys / sizeof kKeys[0]; ++i) {
    text += std::string(kKeys[i]) + "=" + labels[i] + "\r\n";
  }
  return text;
}

bool GyxWriteAppFile(const std::string &path, const std::string &text) {
  const bool ok = GyxWriteFile(path, text);
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, GyxWinPath(path).c_str());
  return ok;
}

std::string GyxLogPath(const std::string &homeDir) {
  return homeDir + "\\gyrantx.log";
}

bool GyxDeleteLog(const std::string &homeDir) {
  return GyxDeleteFile(GyxLogPath(homeDir));
}

bool GyxReadLog(const std::string &homeDir, std::string *text) {
  return GyxReadFile(GyxLogPath(homeDir), text);
}
