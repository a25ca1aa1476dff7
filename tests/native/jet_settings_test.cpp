// The jet demo's settings as the dialog and the controller's buttons change
// them: beeps, the translation/rotation interlock, sensitivity limits and the
// scroll thumb, grab modes and their failure, Restore Defaults, the reset by
// button 31 on release, the scroll position rule and the help page's path.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "jet/jet.h"
#include "jet/jet_res.h"
#include "jet/settings.h"

namespace {

// The device calls the settings make, in order, and the grab answer to give.
std::vector<std::string> gCalls;
int32_t gGrabAnswer = GI_NO_ERROR;

int32_t RecBeep(GiHandle, const char *pattern) {
  gCalls.push_back(std::string("beep ") + pattern);
  return 0;
}
int32_t RecGrab(GiHandle, int32_t exclusive) {
  gCalls.push_back("grab " + std::to_string(exclusive));
  return gGrabAnswer;
}
int32_t RecRelease(GiHandle) {
  gCalls.push_back("release");
  return 0;
}
int32_t RecRezero(GiHandle) {
  gCalls.push_back("rezero");
  return 0;
}

const JetDeviceOps kRecordingOps = {
    .beep = RecBeep, .grab = RecGrab, .release = RecRelease, .rezero = RecRezero};

using Calls = std::vector<std::string>;

class JetSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(JetInit(&jet, 800, nullptr), JET_OK);
    gCalls.clear();
    gGrabAnswer = GI_NO_ERROR;
  }
  void TearDown() override { JetFree(&jet); }

  Calls Command(int32_t id) {
    gCalls.clear();
    EXPECT_TRUE(JetSettingsCommand(&jet, id, &kRecordingOps)) << id;
    return gCalls;
  }
  Calls Button(int32_t pressed, int32_t released = -1) {
    gCalls.clear();
    JetButtons(&jet, released, pressed, &kRecordingOps);
    return gCalls;
  }
  Calls Scroll(int32_t code, int32_t thumb = 0) {
    gCalls.clear();
    JetSettingsScroll(&jet, code, thumb, &kRecordingOps);
    return gCalls;
  }

  Jet jet;
};

TEST_F(JetSettings, TogglesBeepOnlyWhenTheyComeOn) {
  struct Case {
    int32_t id, button;
    bool JetState::*flag;
  } cases[] = {
      {IDC_JET_SINGLE_AXIS, 3, &JetState::singleAxis},
      {IDC_JET_KEEP_IN_VIEW, 4, &JetState::keepInView},
      {IDC_JET_SNAP_TO_GRID, 7, &JetState::snapToGrid},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.id);
    const bool start = jet.state.*c.flag;
    EXPECT_EQ(Command(c.id), start ? Calls{} : Calls{"beep CcC"});
    EXPECT_EQ(jet.state.*c.flag, !start);
    EXPECT_EQ(Command(c.id), start ? Calls{"beep CcC"} : Calls{});
    EXPECT_EQ(Button(c.button), start ? Calls{} : Calls{"beep cC"});
    EXPECT_EQ(Button(c.button), start ? Calls{"beep cC"} : Calls{});
    EXPECT_EQ(jet.state.*c.flag, start);
  }
}

TEST_F(JetSettings, TranslationAndRotationAreNeverBothOff) {
  // By dialog and by button: clearing the one left on turns the other back on.
  struct Case {
    bool byButton;
    int32_t translation, rotation;
    const char *beep;
  } cases[] = {{false, IDC_JET_TRANSLATION, IDC_JET_ROTATION, "beep CcC"}, {true, 1, 2, "beep cC"}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.byButton ? "buttons" : "dialog");
    jet.state.translationOn = jet.state.rotationOn = true;
    auto act = [&](int32_t what) { return c.byButton ? Button(what) : Command(what); };
    EXPECT_EQ(act(c.rotation), Calls{});
    EXPECT_FALSE(jet.state.rotationOn);
    EXPECT_EQ(act(c.translation), Calls{}) << "rotation comes back on without a beep";
    EXPECT_FALSE(jet.state.translationOn);
    EXPECT_TRUE(jet.state.rotationOn);
    EXPECT_EQ(act(c.rotation), Calls{});
    EXPECT_FALSE(jet.state.rotationOn);
    EXPECT_TRUE(jet.state.translationOn);
    EXPECT_EQ(act(c.rotation), Calls{c.beep});
    EXPECT_TRUE(jet.state.rotationOn && jet.state.translationOn);
  }
}

TEST_F(JetSettings, SensitivityStaysBetweenASixteenthAndSixteen) {
  // Down to 0.0625 in four steps, a fifth is ignored without a beep; the
  // same upwards to 16. Buttons 5 and 6 step the same way.
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(Scroll(i % 2 ? JET_SCROLL_PAGE_LEFT : JET_SCROLL_LINE_LEFT), Calls{"beep CcC"});
  EXPECT_EQ(jet.state.sensitivity, 0.0625f);
  EXPECT_EQ(SensitivityToScrollPos(jet.state.sensitivity, JET_SCROLL_STEPS), 0);
  EXPECT_EQ(Scroll(JET_SCROLL_LINE_LEFT), Calls{});
  EXPECT_EQ(Button(5), Calls{});
  EXPECT_EQ(jet.state.sensitivity, 0.0625f);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Button(6), Calls{"beep cC"});
  EXPECT_EQ(jet.state.sensitivity, 16.0f);
  EXPECT_EQ(SensitivityToScrollPos(jet.state.sensitivity, JET_SCROLL_STEPS), 8);
  EXPECT_EQ(Scroll(JET_SCROLL_PAGE_RIGHT), Calls{});
  EXPECT_EQ(Button(6), Calls{});
  EXPECT_EQ(Button(5), Calls{"beep cC"});
  EXPECT_EQ(jet.state.sensitivity, 8.0f);
}

TEST_F(JetSettings, ThumbMovesBySeveralSteps) {
  struct Case {
    float from;
    int32_t thumb;
    float to;
    bool beeps;
  } cases[] = {
      {1.0f, 7, 8.0f, true},
      {1.0f, 0, 0.0625f, true},
      {16.0f, 4, 1.0f, true},
      {0.25f, 2, 0.25f, false},
  };
  for (const Case &c : cases) {
    jet.state.sensitivity = c.from;
    EXPECT_EQ(Scroll(JET_SCROLL_THUMB_POSITION, c.thumb), c.beeps ? Calls{"beep CcC"} : Calls{});
    EXPECT_EQ(jet.state.sensitivity, c.to) << c.from << " to position " << c.thumb;
  }
  // Dragging (thumb track) and the other codes change nothing.
  jet.state.sensitivity = 1.0f;
  for (int32_t code : {5, 6, 7, 8}) EXPECT_EQ(Scroll(code, 8), Calls{});
  EXPECT_EQ(jet.state.sensitivity, 1.0f);
}

TEST(JetScrollPos, PowersOfTwoAndTheValuesBetween) {
  struct Case {
    float v;
    int32_t pos;
  } cases[] = {{0.0625f, 0}, {0.125f, 1}, {0.5f, 3},  {1.0f, 4},   {2.0f, 5},  {16.0f, 8},
               {0.7f, 3},    {1.5f, 5},   {0.01f, 0}, {100.0f, 8}, {0.26f, 2}, {3.0f, 6}};
  for (const Case &c : cases) EXPECT_EQ(SensitivityToScrollPos(c.v, 9), c.pos) << c.v;
}

TEST_F(JetSettings, GrabModesReleaseFirstAndFailToNoGrab) {
  struct Step {
    int32_t id;
    int32_t answer;
    Calls calls;
    int32_t mode;
  } steps[] = {
      {IDC_JET_NO_GRAB, 0, {}, JET_NO_GRAB},
      {IDC_JET_EXCLUSIVE_GRAB, 0, {"grab 1", "beep CcC"}, JET_EXCLUSIVE_GRAB},
      {IDC_JET_EXCLUSIVE_GRAB, 0, {}, JET_EXCLUSIVE_GRAB},
      {IDC_JET_DEFAULT_GRAB, 0, {"release", "grab 0", "beep CcC"}, JET_DEFAULT_GRAB},
      {IDC_JET_EXCLUSIVE_GRAB, GI_FAILED, {"release", "grab 1"}, JET_NO_GRAB},
      {IDC_JET_DEFAULT_GRAB, 0, {"grab 0", "beep CcC"}, JET_DEFAULT_GRAB},
      {IDC_JET_NO_GRAB, 0, {"release", "beep CcC"}, JET_NO_GRAB},
      {IDC_JET_DEFAULT_GRAB, GI_FAILED, {"grab 0"}, JET_NO_GRAB},
  };
  for (const Step &s : steps) {
    SCOPED_TRACE(s.id);
    gGrabAnswer = s.answer;
    EXPECT_EQ(Command(s.id), s.calls);
    EXPECT_EQ(jet.state.grabMode, s.mode);
  }
}

TEST_F(JetSettings, RestoreDefaultsKeepsViewGrabAndDoubleBuffer) {
  jet.state.grabMode = JET_DEFAULT_GRAB;
  jet.state.doubleBuffer = false;
  jet.state.translationOn = false;
  jet.state.singleAxis = true, jet.state.keepInView = false, jet.state.snapToGrid = false;
  jet.state.sensitivity = 4.0f;
  jet.state.objectMode = false, jet.state.axesMode = true, jet.state.edgeSelected = true;
  jet.view.view[12] = 55.0f;
  EXPECT_EQ(Command(IDC_JET_DEFAULTS), Calls{"beep CcC"});
  const JetState &s = jet.state;
  EXPECT_TRUE(s.translationOn && s.rotationOn && !s.singleAxis && s.keepInView && s.snapToGrid);
  EXPECT_EQ(s.sensitivity, 1.0f);
  EXPECT_TRUE(s.objectMode && !s.axesMode && !s.pointerMode && !s.edgeSelected && s.redrawNeeded);
  EXPECT_EQ(s.grabMode, JET_DEFAULT_GRAB);
  EXPECT_FALSE(s.doubleBuffer);
  EXPECT_EQ(jet.view.view[12], 55.0f);
}

TEST_F(JetSettings, ResetViewByDialogAndByButton31OnRelease) {
  struct Case {
    bool byButton;
    const char *beep;
  } cases[] = {{false, "beep CcC"}, {true, "beep cC"}};
  for (const Case &c : cases) {
    jet.view.view[12] = 55.0f;
    jet.view.pointer[13] = 9.0f;
    jet.state.pointerMode = true, jet.state.objectMode = false, jet.state.edgeSelected = true;
    jet.state.redrawNeeded = false;
    if (c.byButton) {
      EXPECT_EQ(Button(31), Calls{}) << "no reset on the press";
      EXPECT_EQ(jet.view.view[12], 55.0f);
      EXPECT_EQ(Button(-1, 31), Calls{c.beep});
    } else {
      EXPECT_EQ(Command(IDC_JET_RESET_VIEW), Calls{c.beep});
    }
    EXPECT_EQ(jet.view.view[12], 0.0f);
    EXPECT_EQ(jet.view.pointer[13], 0.0f);
    EXPECT_TRUE(jet.state.objectMode && !jet.state.pointerMode && !jet.state.edgeSelected);
    EXPECT_TRUE(jet.state.redrawNeeded);
  }
}

TEST_F(JetSettings, RezeroBeepsFirstAndOtherButtonsDoNothing) {
  EXPECT_EQ(Command(IDC_JET_REZERO), (Calls{"beep CcC", "rezero"}));
  EXPECT_EQ(Button(8), (Calls{"beep cC", "rezero"}));
  const JetState before = jet.state;
  for (int32_t b : {0, 9, 30, 31}) EXPECT_EQ(Button(b), Calls{}) << b;
  EXPECT_EQ(std::memcmp(&before, &jet.state, sizeof before), 0);
  EXPECT_FALSE(JetSettingsCommand(&jet, IDC_JET_QUIT, &kRecordingOps));
  EXPECT_FALSE(JetSettingsCommand(&jet, IDC_JET_HELP, &kRecordingOps));
}

TEST(JetHelp, PageBesideTheProgram) {
  struct Case {
    const char *program;
    int32_t size;
    const char *path;
  } cases[] = {
      {"C:\\Program Files\\Halvorin\\jet.exe", 256, "C:\\Program Files\\Halvorin\\jet.html"},
      {"Z:\\a\\b.c\\jet.exe", 256, "Z:\\a\\b.c\\jet.html"},
      {"jet.exe", 256, "jet.html"},
      {"C:\\jet.exe", 12, "C:\\jet.html"},
      {"C:\\jet.exe", 11, nullptr},
  };
  for (const Case &c : cases) {
    char out[256];
    const int32_t n = JetHelpPath(out, c.size, c.program);
    if (c.path == nullptr) {
      EXPECT_EQ(n, -1) << c.program;
      continue;
    }
    EXPECT_EQ(std::string(out), c.path);
    EXPECT_EQ(n, static_cast<int32_t>(std::string(c.path).size()));
  }
}

}  // namespace
