/* udfake.h — a virtual system for the device layer's native tests: one
 * scripted serial port per device index, a virtual clock that UdSleep
 * advances, an in-memory profile with Win32 matching rules, and a log that
 * records every failure. Include it in one test file per executable. */
#ifndef GYX_TESTS_UDFAKE_H
#define GYX_TESTS_UDFAKE_H

#include <stdint.h>
#include <string.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "driver/device/uddev.h"
#include "driver/device/udextern.h"
#include "driver/device/udsystem.h"

namespace udfake {

/* A device on the far end of one port. Bytes it sends become readable when
 * the virtual clock reaches their time. */
struct Port {
  bool exists = true; /* false: opening fails like a missing COM port */
  bool open = false;
  int opens = 0, closes = 0;
  bool failWrites = false;                               /* the port refuses every write */
  std::string written;                                   /* every byte written while open */
  std::vector<std::pair<int64_t, std::string>> outgoing; /* (time, bytes) */
  /* Called after each write with the bytes of that write. */
  std::function<void(Port &, const std::string &)> onWrite;

  void SendAt(int64_t time, const std::string &bytes) { outgoing.push_back({time, bytes}); }
};

struct Profile {
  /* file -> section -> ordered (key, value); names compared without case. */
  std::map<std::string, std::map<std::string, std::vector<std::pair<std::string, std::string>>>> files;

  static std::string Lower(std::string s) {
    for (char &c : s)
      if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return s;
  }
  void Set(const std::string &file, const std::string &section, const std::string &key,
           const std::string &value) {
    files[Lower(file)][Lower(section)].push_back({key, value});
  }
  void EmptySection(const std::string &file, const std::string &section) {
    files[Lower(file)][Lower(section)];
  }
  const std::vector<std::pair<std::string, std::string>> *Section(const char *file,
                                                                  const char *section) const {
    auto f = files.find(Lower(file ? file : ""));
    if (f == files.end()) return nullptr;
    auto s = f->second.find(Lower(section));
    return s == f->second.end() ? nullptr : &s->second;
  }
  const std::string *Value(const char *file, const char *section, const char *key) const {
    auto *entries = Section(file, section);
    if (!entries) return nullptr;
    for (auto &kv : *entries)
      if (Lower(kv.first) == Lower(key)) return &kv.second;
    return nullptr;
  }
};

struct LogEntry {
  std::string file;
  int32_t line;
  int32_t code;
};

struct World {
  Port ports[UD_MAX_DEVICES];
  Profile profile;
  std::vector<LogEntry> log;
  int64_t now = 0; /* virtual milliseconds */
};

inline World *&Current() {
  static World *world = nullptr;
  return world;
}

inline Port *PortOf(UdDevice *dev) {
  if (!dev || dev->index < 0 || dev->index >= UD_MAX_DEVICES) return nullptr;
  return &Current()->ports[dev->index];
}

inline int32_t ComOpen(UdDevice *dev) {
  Port *p = PortOf(dev);
  if (!p || !p->exists || p->open) return UdFail(__FILE__, __LINE__, UD_PORT_ERROR);
  p->open = true;
  p->opens++;
  return 0;
}

inline int32_t ComClose(UdDevice *dev) {
  Port *p = PortOf(dev);
  if (!p || !p->open) return UdFail(__FILE__, __LINE__, UD_PORT_ERROR);
  p->open = false;
  p->closes++;
  return 0;
}

inline int32_t ComRead(UdDevice *dev, uint8_t *buf, int32_t max) {
  Port *p = PortOf(dev);
  if (!p || !p->open) return -1;
  int32_t n = 0;
  auto &out = p->outgoing;
  while (!out.empty() && out.front().first <= Current()->now && n < max) {
    std::string &bytes = out.front().second;
    int32_t take = (int32_t)bytes.size() < max - n ? (int32_t)bytes.size() : max - n;
    memcpy(buf + n, bytes.data(), (size_t)take);
    n += take;
    bytes.erase(0, (size_t)take);
    if (bytes.empty()) out.erase(out.begin());
  }
  return n;
}

inline int32_t ComWrite(UdDevice *dev, const uint8_t *bytes, int32_t count) {
  Port *p = PortOf(dev);
  if (!p || !p->open || p->failWrites) return UdFail(__FILE__, __LINE__, -1); /* as the real port logs */
  std::string chunk((const char *)bytes, (size_t)count);
  p->written += chunk;
  if (p->onWrite) p->onWrite(*p, chunk);
  return count;
}

inline void Sleep(int32_t ms) {
  Current()->now += ms;
}

inline int32_t ProfileString(const char *section, const char *key, const char *def, char *buf, int32_t size,
                             const char *file) {
  if (!buf || size < 1) return 0;
  const std::string *v = Current()->profile.Value(file, section, key);
  std::string text = v ? *v : std::string(def ? def : "");
  size_t n = text.size() < (size_t)size - 1 ? text.size() : (size_t)size - 1;
  memcpy(buf, text.data(), n);
  buf[n] = '\0';
  return (int32_t)n;
}

inline int32_t ProfileSection(const char *section, char *buf, int32_t size, const char *file) {
  auto *entries = Current()->profile.Section(file, section);
  if (!entries || !buf || size < 2) return 0;
  std::string all;
  for (auto &kv : *entries) all += kv.first + "=" + kv.second + '\0';
  size_t n = all.size() < (size_t)size - 2 ? all.size() : (size_t)size - 2;
  memcpy(buf, all.data(), n);
  buf[n] = buf[n + 1] = '\0';
  return (int32_t)n;
}

inline int32_t ProfileInt(const char *section, const char *key, int32_t def, const char *file) {
  const std::string *v = Current()->profile.Value(file, section, key);
  return v ? (int32_t)strtol(v->c_str(), nullptr, 10) : def;
}

inline int32_t Log(const char *file, int32_t line, int32_t code) {
  Current()->log.push_back({file, line, code});
  return code;
}

inline const UdSystem *System() {
  static const UdSystem sys = {
      .comOpen = ComOpen,
      .comClose = ComClose,
      .comRead = ComRead,
      .comWrite = ComWrite,
      .sleep = Sleep,
      .profileString = ProfileString,
      .profileSection = ProfileSection,
      .profileInt = ProfileInt,
      .log = Log,
  };
  return &sys;
}

/* Installs a fresh world and empties the device layer's tables. */
inline void Reset(World *world) {
  Current() = world;
  UdUseSystem(System());
  UdFreeModels();
  UdClearDevices();
  for (int i = 0; i < UD_MAX_DEVICES; i++) {
    memset(&gUdDevices[i], 0, sizeof gUdDevices[i]);
    gUdDevices[i].type = -1;
    gUdDevices[i].index = i;
  }
}

/* Bytes as written in a test: "K\x40\x41\r". */
inline std::string Bytes(const char *s, size_t n) {
  return std::string(s, n);
}

}  // namespace udfake

#endif
