// iniprofile.h — INI text read with the rules of the Win32 profile functions,
// for the configuration fuzzer: "[section]" headers and "key=value" lines;
// section and key names match without regard to case and without the blanks
// around them; values lose the blanks around them and one pair of enclosing
// quotes; the first matching section and key win; a line without "=" is an
// entry with no value; lines starting with ';' are comments. The answers
// are cut to the caller's buffer as GetPrivateProfileString (size - 1) and
// GetPrivateProfileSection (size - 2, double NUL) cut them.
#ifndef GYX_TESTS_INIPROFILE_H
#define GYX_TESTS_INIPROFILE_H

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

class IniProfile {
 public:
  void Load(const char *text, size_t size) {
    sections_.clear();
    Section *current = nullptr;
    size_t at = 0;
    while (at < size) {
      size_t end = at;
      while (end < size && text[end] != '\n' && text[end] != '\r') end++;
      std::string line = Trim(std::string(text + at, end - at));
      at = end + 1;
      // The Win32 functions read text: a NUL ends the line for them.
      line = line.substr(0, strnlen(line.c_str(), line.size()));
      if (line.empty() || line[0] == ';') continue;
      if (line[0] == '[') {
        size_t close = line.rfind(']');
        std::string name =
            Trim(line.substr(1, close == std::string::npos || close == 0 ? std::string::npos : close - 1));
        sections_.push_back({name, {}, {}});
        current = &sections_.back();
        continue;
      }
      if (current == nullptr) continue;  // entries before any section belong to none
      size_t eq = line.find('=');
      if (eq == std::string::npos) {
        current->entries.push_back({line, std::string()});
        current->hasValue.push_back(false);
      } else {
        current->entries.push_back({Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))});
        current->hasValue.push_back(true);
      }
    }
  }

  int32_t String(const char *section, const char *key, const char *def, char *buf, int32_t size) const {
    if (buf == nullptr || size < 1) return 0;
    std::string value = def ? Trim(def) : std::string();
    if (const Section *s = Find(section)) {
      for (size_t i = 0; i < s->entries.size(); i++) {
        if (!Same(s->entries[i].first, key)) continue;
        value = Unquote(s->entries[i].second);
        break;
      }
    }
    size_t n = value.size() < (size_t)size - 1 ? value.size() : (size_t)size - 1;
    memcpy(buf, value.data(), n);
    buf[n] = '\0';
    return (int32_t)n;
  }

  int32_t SectionText(const char *section, char *buf, int32_t size) const {
    if (buf == nullptr || size < 2) return 0;
    buf[0] = buf[1] = '\0';
    const Section *s = Find(section);
    if (s == nullptr) return 0;
    std::string all;
    for (size_t i = 0; i < s->entries.size(); i++) {
      all += s->entries[i].first;
      if (s->hasValue[i]) all += "=" + s->entries[i].second;
      all += '\0';
    }
    if (all.size() <= (size_t)size - 2) {
      memcpy(buf, all.data(), all.size());
      buf[all.size()] = buf[all.size() + 1] = '\0';
      return (int32_t)all.size();
    }
    memcpy(buf, all.data(), (size_t)size - 2);
    buf[size - 2] = buf[size - 1] = '\0';
    return size - 2;
  }

  int32_t Int(const char *section, const char *key, int32_t def) const {
    char buf[256];
    if (String(section, key, "", buf, sizeof buf) == 0) return def;
    // Decimal, with the wrap-around of a 32-bit accumulator.
    const char *p = buf;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    uint32_t v = 0;
    for (; *p >= '0' && *p <= '9'; p++) v = v * 10u + (uint32_t)(*p - '0');
    return (int32_t)(negative ? 0u - v : v);
  }

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> entries;
    std::vector<bool> hasValue;
  };
  std::vector<Section> sections_;

  static bool IsBlank(char c) { return c == ' ' || c == '\t'; }
  static std::string Trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) b++;
    while (e > b && IsBlank(s[e - 1])) e--;
    return s.substr(b, e - b);
  }
  static std::string Unquote(const std::string &s) {
    if (s.size() >= 2 && (s[0] == '"' || s[0] == '\'') && s.back() == s[0]) return s.substr(1, s.size() - 2);
    return s;
  }
  static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; }
  static bool Same(const std::string &a, const char *b) {
    if (b == nullptr || a.size() != strlen(b)) return false;
    for (size_t i = 0; i < a.size(); i++)
      if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
  }
  const Section *Find(const char *name) const {
    for (const Section &s : sections_)
      if (Same(s.name, name)) return &s;
    return nullptr;
  }
};

#endif
