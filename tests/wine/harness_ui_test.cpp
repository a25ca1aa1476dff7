// harness_ui_test.cpp: proves the UI helpers (harness/gyxui.h) against the
// real dialog of another process, gyx_uichild.exe: finding it, reading its
// controls and list, clicking, check boxes the user and the program set, a
// click that opens a modal box, system-menu commands, and a screenshot.
#include "harness/harness.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tools/uichild/uichild_res.h"

namespace {

const char kCaption[] = "Gyx UI Child";

class HarnessUi : public GyxWineTest {
 protected:
  void SetUp() override {
    GyxWineTest::SetUp();
    ASSERT_TRUE(child.Start(GyxBinPath("gyx_uichild.exe")));
    dlg = GyxUiWaitDialog(kCaption, 10000, child.Pid(), IDC_LIST);
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(GyxUiForeground(dlg));
  }

  // The child's note of what it last did, once it reads `want`.
  bool Noted(const std::string &want) {
    return GyxWaitFor([&] { return GyxUiItemText(dlg, IDC_LAST) == want; }, 3000);
  }

  GyxProcess child;
  HWND dlg = nullptr;
};

TEST_F(HarnessUi, FindsTheDialogByCaptionProcessAndControl) {
  GyxUiQuery q;
  q.cls = "#32770";
  q.caption = kCaption;
  EXPECT_EQ(GyxUiFind(q), dlg);
  q.pid = child.Pid();
  EXPECT_EQ(GyxUiFind(q), dlg);
  q.controlId = IDC_LAST;
  EXPECT_EQ(GyxUiFind(q), dlg);

  const struct {
    const char *what;
    const char *cls;
    const char *caption;
    DWORD pid;
    int controlId;
  } misses[] = {
      {"another process", "#32770", kCaption, GetCurrentProcessId(), 0},
      {"a control it lacks", "#32770", kCaption, 0, 999},
      {"another class", "Button", kCaption, 0, 0},
      {"a title it only begins with", "#32770", "Gyx UI", 0, 0},
  };
  for (const auto &m : misses) {
    GyxUiQuery miss;
    miss.cls = m.cls;
    miss.caption = m.caption;
    miss.pid = m.pid;
    miss.controlId = m.controlId;
    EXPECT_EQ(GyxUiFind(miss), nullptr) << m.what;
  }
  EXPECT_EQ(GyxUiWaitDialog("No such dialog", 200), nullptr);
  EXPECT_EQ(GyxUiText(dlg), kCaption);
}

TEST_F(HarnessUi, ReadsTextsVisibilityAndState) {
  EXPECT_EQ(GyxUiItemText(dlg, IDC_ADD), "&Add");
  EXPECT_EQ(GyxUiItemText(dlg, IDC_LAST), "ready");
  EXPECT_EQ(GyxUiItemText(dlg, 999), "");
  EXPECT_TRUE(GyxUiItemVisible(dlg, IDC_ADD));
  EXPECT_TRUE(GyxUiItemEnabled(dlg, IDC_ADD));
  EXPECT_FALSE(GyxUiItemVisible(dlg, IDC_HIDDEN));
  EXPECT_FALSE(GyxUiItemEnabled(dlg, IDC_HIDDEN));
  EXPECT_FALSE(GyxUiClick(dlg, IDC_HIDDEN)) << "a disabled button takes no click";
  EXPECT_EQ(GyxUiCheckState(dlg, IDC_AUTO), BST_UNCHECKED);
  EXPECT_EQ(GyxUiCheckState(dlg, 999), -1);
}

TEST_F(HarnessUi, ListLinesSelectionAndAClickOnALineOutOfView) {
  std::vector<std::string> lines = GyxUiListLines(dlg, IDC_LIST);
  ASSERT_EQ(lines.size(), 30u);
  EXPECT_EQ(lines.front(), "line 0");
  EXPECT_EQ(lines.back(), "line 29");
  EXPECT_EQ(GyxUiListSelection(dlg, IDC_LIST), -1);
  EXPECT_EQ(GyxUiListTopIndex(dlg, IDC_LIST), 0);

  // Line 27 is below the visible part: the click scrolls, selects and notifies.
  ASSERT_TRUE(GyxUiListClick(dlg, IDC_LIST, 27));
  EXPECT_EQ(GyxUiListSelection(dlg, IDC_LIST), 27);
  EXPECT_TRUE(Noted("select 27"));
  EXPECT_GT(GyxUiListTopIndex(dlg, IDC_LIST), 0);
  EXPECT_EQ(GyxUiFocusId(dlg), IDC_LIST) << "a clicked list takes the focus";
  ASSERT_TRUE(GyxUiListClick(dlg, IDC_LIST, 0));
  EXPECT_TRUE(Noted("select 0"));
  EXPECT_FALSE(GyxUiListClick(dlg, IDC_LIST, 30));
  EXPECT_EQ(GyxUiListCount(dlg, 999), -1);
}

TEST_F(HarnessUi, ClicksAndCheckBoxesOfTheUserAndOfTheProgram) {
  ASSERT_TRUE(GyxUiClick(dlg, IDC_ADD));
  EXPECT_EQ(GyxUiItemText(dlg, IDC_LAST), "added 1") << "handled when the click returns";
  std::vector<std::string> lines = GyxUiListLines(dlg, IDC_LIST);
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(lines.back(), "added 1");

  EXPECT_TRUE(GyxUiSetCheck(dlg, IDC_AUTO, true));
  EXPECT_EQ(GyxUiItemText(dlg, IDC_LAST), "auto 1");
  EXPECT_TRUE(GyxUiSetCheck(dlg, IDC_AUTO, true)) << "already checked: no click";
  EXPECT_EQ(GyxUiItemText(dlg, IDC_LAST), "auto 1");
  // The manual box follows the automatic one, whatever the user wants.
  EXPECT_TRUE(GyxUiSetCheck(dlg, IDC_MANUAL, true));
  EXPECT_TRUE(GyxUiSetCheck(dlg, IDC_AUTO, false));
  EXPECT_TRUE(GyxUiSetCheck(dlg, IDC_MANUAL, false));
  EXPECT_FALSE(GyxUiSetCheck(dlg, IDC_MANUAL, true)) << "the program keeps it unchecked";
  EXPECT_EQ(GyxUiItemText(dlg, IDC_LAST), "manual") << "it was clicked all the same";
  EXPECT_EQ(GyxUiCheckState(dlg, IDC_MANUAL), BST_UNCHECKED);
}

TEST_F(HarnessUi, PostedClickOpensAModalBoxWithoutBlockingTheTest) {
  ASSERT_TRUE(GyxUiClickAsync(dlg, IDC_BOX));
  HWND box = GyxWaitMessageBox("Gyx UI Child Box", 5000, child.Pid());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GetWindow(box, GW_OWNER), dlg);
  EXPECT_EQ(GyxMessageBoxText(box), "A box of its own.");
  ASSERT_TRUE(GyxPressButton(box, IDOK));
  EXPECT_TRUE(Noted("box closed"));
}

TEST_F(HarnessUi, SystemMenuCommandsByNumberAndFromTheKeyboard) {
  ASSERT_TRUE(GyxUiSysCommand(dlg, IDM_HELLO));
  EXPECT_TRUE(Noted("hello"));
  ASSERT_TRUE(GyxUiClick(dlg, IDC_ADD));
  ASSERT_TRUE(Noted("added 1"));
  // The item as a user chooses it: Alt+Space, then its mnemonic.
  ASSERT_TRUE(GyxUiSysMenuKey(dlg, 'h'));
  EXPECT_TRUE(Noted("hello")) << "the menu has the item, with the command";
  ASSERT_TRUE(GyxUiClick(dlg, IDC_ADD));
  ASSERT_TRUE(Noted("added 2"));
  ASSERT_TRUE(GyxUiSysMenuLast(dlg));
  EXPECT_TRUE(Noted("hello")) << "the item appended last";
}

TEST_F(HarnessUi, ScreenshotIsTheWindowsRectangle) {
  const std::string dir = GyxMakeScratchDir("shot");
  ASSERT_FALSE(dir.empty());
  const std::string png = dir + "/uichild.png";
  ASSERT_TRUE(GyxUiScreenshot(dlg, png));
  int w = 0, h = 0;
  ASSERT_TRUE(GyxUiPngSize(png, &w, &h));
  const RECT r = GyxUiRect(dlg);
  EXPECT_EQ(w, r.right - r.left);
  EXPECT_EQ(h, r.bottom - r.top);
  EXPECT_GT(w, 100);
}

TEST_F(HarnessUi, ProgramEndsWhenItsDialogDoes) {
  ASSERT_TRUE(GyxUiClick(dlg, IDOK));
  unsigned long code = ~0ul;
  ASSERT_TRUE(child.Wait(5000, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(GyxUiWaitDialog(kCaption, 0, child.Pid()), nullptr);
}

}  // namespace

namespace {

// The resource reader against the same program's file.
TEST(HarnessRes, DialogTemplateStringsAndVersionOfABuiltProgram) {
  GyxResModule res(GyxBinPath("gyx_uichild.exe"));
  ASSERT_TRUE(res.Loaded());
  GyxDlgTemplate t;
  ASSERT_TRUE(res.Dialog(IDD_UICHILD, &t));
  EXPECT_EQ(t.caption, kCaption);
  EXPECT_EQ(t.font, "MS Sans Serif");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ((std::vector<int>{t.cx, t.cy}), (std::vector<int>{220, 130}));
  EXPECT_TRUE(t.style & WS_MINIMIZEBOX);
  const struct {
    int id;
    const char *cls;
    const char *text;
    int x, y, cx, cy;
  } rows[] = {{IDC_LIST, "ListBox", "", 7, 7, 120, 60},        {IDC_ADD, "Button", "&Add", 140, 7, 50, 14},
              {IDC_AUTO, "Button", "A&uto", 140, 45, 60, 10},  {IDC_LAST, "Edit", "", 7, 75, 206, 14},
              {IDC_HIDDEN, "Button", "Hidden", 7, 95, 50, 14}, {IDOK, "Button", "OK", 163, 109, 50, 14}};
  ASSERT_EQ(t.items.size(), 8u);
  for (const auto &row : rows) {
    const GyxDlgItem *item = t.Find(row.id);
    ASSERT_NE(item, nullptr) << row.id;
    EXPECT_EQ(item->cls, row.cls);
    EXPECT_EQ(item->text, row.text);
    EXPECT_EQ((std::vector<int>{item->x, item->y, item->cx, item->cy}),
              (std::vector<int>{row.x, row.y, row.cx, row.cy}));
  }
  EXPECT_EQ(t.Find(IDC_AUTO)->style & 0xF, static_cast<DWORD>(BS_AUTOCHECKBOX));
  EXPECT_FALSE(t.Find(IDC_HIDDEN)->style & WS_VISIBLE);
  EXPECT_TRUE(t.Find(IDC_HIDDEN)->style & WS_DISABLED);
  EXPECT_TRUE(t.Find(IDC_LIST)->style & LBS_NOTIFY);
  EXPECT_EQ(t.Find(999), nullptr);
  EXPECT_FALSE(res.Dialog(999, &t));
  std::string text;
  EXPECT_FALSE(res.String(1, &text)) << "the program has no string table";
  int v[4];
  EXPECT_FALSE(GyxFileVersion(GyxBinPath("gyx_uichild.exe"), v)) << "nor a version";

  // A template cut short is refused, not read past its end.
  HRSRC r = FindResourceA(res.Module(), MAKEINTRESOURCEA(IDD_UICHILD), MAKEINTRESOURCEA(5));
  ASSERT_NE(r, nullptr);
  const void *bytes = LockResource(LoadResource(res.Module(), r));
  const size_t size = SizeofResource(res.Module(), r);
  for (size_t cut : {size_t(0), size_t(10), size / 2, size - 2}) {
    std::vector<unsigned char> copy(static_cast<const unsigned char *>(bytes),
                                    static_cast<const unsigned char *>(bytes) + cut);
    EXPECT_FALSE(GyxParseDialogTemplate(copy.data(), copy.size(), &t)) << cut;
  }
  EXPECT_TRUE(GyxParseDialogTemplate(bytes, size, &t));
}

}  // namespace
