// gyxres_win.cpp: reading a program's resources for the Win32 tests
// (gyxres.h): string table, dialog templates, resource presence, version.
#include "gyxres.h"

#include "gyxpath.h"

#include <cstring>

namespace {

// A cursor over a template's bytes; every read checks the bounds.
struct Reader {
  const unsigned char *p;
  size_t size;
  size_t at;
  bool ok;

  bool Need(size_t n) {
    if (!ok || at + n > size) ok = false;
    return ok;
  }
  unsigned Word() {
    if (!Need(2)) return 0;
    unsigned v = p[at] | (p[at + 1] << 8);
    at += 2;
    return v;
  }
  DWORD Dword() {
    unsigned lo = Word();
    unsigned hi = Word();
    return static_cast<DWORD>(lo | (hi << 16));
  }
  int Short() { return static_cast<short>(Word()); }
  void Byte() {
    if (Need(1)) at++;
  }
  void Align4() { at = (at + 3) & ~static_cast<size_t>(3); }
  // A NUL-terminated UTF-16 string, as the program's code page spells it.
  std::string Text() {
    std::wstring w;
    for (unsigned c = Word(); ok && c != 0; c = Word()) w.push_back(static_cast<wchar_t>(c));
    if (w.empty()) return "";
    const int n =
        WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
  }
  // sz_Or_Ord: nothing, an ordinal (0xFFFF, n) or a string.
  void TextOrOrdinal(std::string *text, int *ordinal) {
    *ordinal = -1;
    text->clear();
    if (!Need(2)) return;
    const unsigned first = p[at] | (p[at + 1] << 8);
    if (first == 0) {
      at += 2;
    } else if (first == 0xFFFF) {
      at += 2;
      *ordinal = static_cast<int>(Word());
    } else {
      *text = Text();
    }
  }
};

// The predefined classes by one spelling, whether the template names them by
// ordinal or by name (resource compilers write names as they were given, or
// in capitals).
std::string ClassName(const std::string &text, int ordinal) {
  static const char *const kNames[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
  if (ordinal >= 0x80 && ordinal <= 0x85) return kNames[ordinal - 0x80];
  for (const char *name : kNames)
    if (lstrcmpiA(text.c_str(), name) == 0) return name;
  return text;
}

}  // namespace

const GyxDlgItem *GyxDlgTemplate::Find(int id) const {
  for (const GyxDlgItem &item : items)
    if (item.id == id) return &item;
  return nullptr;
}

bool GyxParseDialogTemplate(const void *data, size_t size, GyxDlgTemplate *out) {
  Reader r = {static_cast<const unsigned char *>(data), size, 0, true};
  *out = GyxDlgTemplate();
  const bool ex = size >= 4 && r.p[0] == 1 && r.p[1] == 0 && r.p[2] == 0xFF && r.p[3] == 0xFF;
  if (ex) {
    r.Dword();  // version and signature
    r.Dword();  // help id
    out->exStyle = r.Dword();
    out->style = r.Dword();
  } else {
    out->style = r.Dword();
    out->exStyle = r.Dword();
  }
  const unsigned count = r.Word();
  out->x = r.Short();
  out->y = r.Short();
  out->cx = r.Short();
  out->cy = r.Short();
  std::string name;
  int ordinal;
  r.TextOrOrdinal(&name, &ordinal);  // menu
  r.TextOrOrdinal(&name, &ordinal);  // class
  out->caption = r.Text();
  if (out->style & (DS_SETFONT | DS_SHELLFONT)) {
    out->pointSize = static_cast<int>(r.Word());
    if (ex) {
      r.Word();  // weight
      r.Byte();  // italic
      r.Byte();  // character set
    }
    out->font = r.Text();
  }
  for (unsigned i = 0; i < count && r.ok; i++) {
    r.Align4();
    GyxDlgItem item;
    if (ex) {
      r.Dword();  // help id
      item.exStyle = r.Dword();
      item.style = r.Dword();
    } else {
      item.style = r.Dword();
      item.exStyle = r.Dword();
    }
    item.x = r.Short();
    item.y = r.Short();
    item.cx = r.Short();
    item.cy = r.Short();
    item.id = ex ? static_cast<int>(r.Dword()) : r.Short();
    r.TextOrOrdinal(&name, &ordinal);
    item.cls = ClassName(name, ordinal);
    r.TextOrOrdinal(&item.text, &item.textId);
    const unsigned extra = r.Word();
    if (r.Need(extra)) r.at += extra;
    out->items.push_back(item);
  }
  return r.ok && out->items.size() == count;
}

GyxResModule::GyxResModule(const std::string &path) {
  module_ = LoadLibraryExA(GyxWinPath(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

GyxResModule::~GyxResModule() {
  if (module_) FreeLibrary(module_);
}

bool GyxResModule::String(int id, std::string *text) const {
  // The wide form with a null buffer points at the text in the resource:
  // its length is exact, whatever it holds.
  const wchar_t *w = nullptr;
  const int n = module_ ? LoadStringW(module_, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&w), 0) : 0;
  if (n <= 0 || !w) return false;
  const int len = WideCharToMultiByte(CP_ACP, 0, w, n, nullptr, 0, nullptr, nullptr);
  text->assign(static_cast<size_t>(len), '\0');
  WideCharToMultiByte(CP_ACP, 0, w, n, &(*text)[0], len, nullptr, nullptr);
  return true;
}

bool GyxResModule::Dialog(int id, GyxDlgTemplate *out) const {
  HRSRC res =
      module_ ? FindResourceA(module_, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5) /* RT_DIALOG */) : nullptr;
  HGLOBAL mem = res ? LoadResource(module_, res) : nullptr;
  const void *data = mem ? LockResource(mem) : nullptr;
  return data && GyxParseDialogTemplate(data, SizeofResource(module_, res), out);
}

bool GyxResModule::Has(LPCSTR type, int id) const {
  return module_ && FindResourceA(module_, MAKEINTRESOURCEA(id), type) != nullptr;
}

bool GyxFileVersion(const std::string &path, int version[4]) {
  const std::string win = GyxWinPath(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(win.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(win.c_str(), 0, size, info.data())) return false;
  VS_FIXEDFILEINFO *fixed = nullptr;
  UINT len = 0;
  if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void **>(&fixed), &len) || !fixed) return false;
  version[0] = HIWORD(fixed->dwFileVersionMS);
  version[1] = LOWORD(fixed->dwFileVersionMS);
  version[2] = HIWORD(fixed->dwFileVersionLS);
  version[3] = LOWORD(fixed->dwFileVersionLS);
  return true;
}
