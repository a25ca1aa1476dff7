// gyxres.h: the resources of a built program, read without running it: texts
// of its string table, its dialog templates (controls with ids, classes,
// texts, styles and positions in dialog units), icons and bitmaps, and the
// version numbers. For tests that check a program's user interface against
// the intended layout control by control.
#ifndef GYX_HARNESS_RES_H
#define GYX_HARNESS_RES_H

#include <windows.h>

#include <string>
#include <vector>

struct GyxDlgItem {
  int id = 0;
  std::string cls;   // "Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox" or the name given
  std::string text;  // "" when the text is a resource number (textId)
  int textId = -1;   // e.g. the bitmap of a picture control, else -1
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct GyxDlgTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  std::string caption;
  std::string font;
  int pointSize = 0;
  std::vector<GyxDlgItem> items;
  // The control with this id; null when none (or, for -1, the first such).
  const GyxDlgItem *Find(int id) const;
};

// A program's file opened for its resources only (no code runs). Not copyable.
class GyxResModule {
 public:
  explicit GyxResModule(const std::string &path);  // Linux or Windows path
  ~GyxResModule();
  GyxResModule(const GyxResModule &) = delete;
  GyxResModule &operator=(const GyxResModule &) = delete;
  bool Loaded() const { return module_ != nullptr; }
  HMODULE Module() const { return module_; }

  // Text id of the string table; false when it has none.
  bool String(int id, std::string *text) const;
  // Dialog template id (DIALOG or DIALOGEX); false when missing or malformed.
  bool Dialog(int id, GyxDlgTemplate *out) const;
  // A resource of this type (RT_ICON, RT_GROUP_ICON, RT_BITMAP, ...) and id exists.
  bool Has(LPCSTR type, int id) const;

 private:
  HMODULE module_ = nullptr;
};

// Parses a dialog template (DIALOG or DIALOGEX) from its bytes.
bool GyxParseDialogTemplate(const void *data, size_t size, GyxDlgTemplate *out);

// The four parts of a program's FILEVERSION; false when it has no version.
bool GyxFileVersion(const std::string &path, int version[4]);

#endif
