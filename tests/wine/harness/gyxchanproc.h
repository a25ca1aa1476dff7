// gyxchanproc.h: a client application in its own process (gyx_chanclient)
// that logs every notice and event it receives to a file, for tests that
// watch what the driver delivers to a real window of another process.
#ifndef GYX_HARNESS_GYXCHANPROC_H
#define GYX_HARNESS_GYXCHANPROC_H

#include <windows.h>

#include <string>
#include <vector>

#include "gyxfile.h"
#include "gyxpath.h"
#include "gyxproc.h"
#include "gyxwait.h"

struct GyxChanClient {
  GyxProcess proc;
  std::string log, title;
  HWND window = nullptr;

  bool Start(const std::string &name, const std::vector<std::string> &extra = {}) {
    title = name;
    std::string dir = GyxMakeScratchDir("client");
    log = dir + "/" + name + ".log";
    std::vector<std::string> args = {"--title", name, "--log", GyxWinPath(log)};
    args.insert(args.end(), extra.begin(), extra.end());
    if (!proc.Start(GyxBinPath("gyx_chanclient.exe"), GyxJoinArgs(args))) return false;
    if (!WaitFor("ready", 15000)) return false;
    window = FindWindowA("GyxChanClient", name.c_str());
    return window != nullptr;
  }
  std::string Text() const {
    std::string t;
    GyxReadFile(log, &t);
    return t;
  }
  bool WaitFor(const std::string &what, unsigned long ms = 5000) const {
    return GyxWaitFor([&] { return Text().find(what) != std::string::npos; }, ms, 20);
  }
  int Count(const std::string &what) const {
    std::string t = Text();
    int n = 0;
    for (size_t at = t.find(what); at != std::string::npos; at = t.find(what, at + 1)) n++;
    return n;
  }
  // The event lines logged so far.
  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    std::string t = Text();
    size_t at = 0;
    while (at < t.size()) {
      size_t end = t.find('\n', at);
      if (end == std::string::npos) end = t.size();
      std::string line = t.substr(at, end - at);
      if (line.rfind("event ", 0) == 0) out.push_back(line);
      at = end + 1;
    }
    return out;
  }
  void Post(UINT msg, WPARAM wp = 0) { PostMessageA(window, msg, wp, 0); }
  // Brings the client in front, as the user clicking into it would.
  bool Front(unsigned long ms = 3000) {
    return GyxWaitFor(
        [&] {
          if (GetForegroundWindow() == window) return true;
          SetForegroundWindow(window);
          return false;
        },
        ms, 30);
  }
};

#endif
