// gyxfile_win.cpp: whole-file helpers of the harness (gyxfile.h) over
// CreateFileA/ReadFile/WriteFile, so Linux and Windows paths work alike.
#include "gyxfile.h"

#include "gyxpath.h"

#include <windows.h>

namespace {

bool WriteAll(const std::string &path, const std::string &text, DWORD disposition, bool append) {
  HANDLE h = CreateFileA(GyxWinPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = !append || SetFilePointer(h, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER;
  size_t done = 0;
  while (ok && done < text.size()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(text.size() - done > (1u << 20) ? (1u << 20) : text.size() - done);
    ok = WriteFile(h, text.data() + done, chunk, &wrote, nullptr) && wrote > 0;
    done += wrote;
  }
  CloseHandle(h);
  return ok;
}

}  // namespace

bool GyxWriteFile(const std::string &path, const std::string &text) {
  return WriteAll(path, text, CREATE_ALWAYS, false);
}

bool GyxAppendFile(const std::string &path, const std::string &text) {
  return WriteAll(path, text, OPEN_ALWAYS, true);
}

bool GyxReadFile(const std::string &path, std::string *text) {
  text->clear();
  HANDLE h = CreateFileA(GyxWinPath(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // Read to the end rather than trusting the size: /proc files report 0.
  char buf[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr)) && got > 0) text->append(buf, got);
  CloseHandle(h);
  if (!ok) text->clear();
  return ok;
}

bool GyxDeleteFile(const std::string &path) {
  const std::string win = GyxWinPath(path);
  if (DeleteFileA(win.c_str())) return true;
  return GetFileAttributesA(win.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool GyxFileExists(const std::string &path) {
  const DWORD attr = GetFileAttributesA(GyxWinPath(path).c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool GyxCopyFile(const std::string &from, const std::string &to) {
  return CopyFileA(GyxWinPath(from).c_str(), GyxWinPath(to).c_str(), FALSE) != 0;
}

bool GyxMakeDirs(const std::string &path) {
  const std::string win = GyxWinPath(path);
  // Create every prefix that ends before a backslash ("Z:\a", "Z:\a\b", ...);
  // those that exist already (or are a bare drive) fail harmlessly.
  for (size_t i = 1; i <= win.size(); ++i) {
    if (i == win.size() || win[i] == '\\') CreateDirectoryA(win.substr(0, i).c_str(), nullptr);
  }
  const DWORD attr = GetFileAttributesA(win.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}
