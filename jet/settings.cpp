// The settings of the jet demo as the dialog and the controller's buttons
// change them: toggles with their interlock, grab modes, sensitivity steps,
// the view reset and the defaults, each with its beep. Called by the dialog
// procedure and the button handler, which refresh the dialog afterwards.
#include "jet/settings.h"

#include <cstring>

#include "jet/jet_res.h"
#include "jet/process.h"

namespace {

void Beep(const Jet *jet, const JetDeviceOps *ops, const char *pattern) {
  ops->beep(jet->state.device, pattern);  // requested even without a device; its result does not matter
}

void ObjectModeOnly(JetState &s) {
  s.objectMode = true;
  s.axesMode = false;
  s.pointerMode = false;
}

// Flips a switch and beeps when it comes on.
void Toggle(Jet *jet, bool *flag, const JetDeviceOps *ops, const char *pattern) {
  *flag = !*flag;
  if (*flag) Beep(jet, ops, pattern);
}

// Translation and rotation are never both off: turning one off turns the
// other back on.
void ToggleMotionKind(Jet *jet, bool translation, const JetDeviceOps *ops, const char *pattern) {
  JetState &s = jet->state;
  Toggle(jet, translation ? &s.translationOn : &s.rotationOn, ops, pattern);
  if (!s.translationOn && !s.rotationOn) (translation ? s.rotationOn : s.translationOn) = true;
}

void Halve(Jet *jet, const JetDeviceOps *ops, const char *pattern) {
  const float next = jet->state.sensitivity * 0.5f;
  if (next > JET_SENSITIVITY_MIN * 0.5f) {
    jet->state.sensitivity = next;
    Beep(jet, ops, pattern);
  }
}

void Double(Jet *jet, const JetDeviceOps *ops, const char *pattern) {
  const float next = jet->state.sensitivity * 2.0f;
  if (next < JET_SENSITIVITY_MAX * 2.0f) {
    jet->state.sensitivity = next;
    Beep(jet, ops, pattern);
  }
}

// Exclusive (1) or default (2) grab. A grab the driver refuses leaves none.
void Grab(Jet *jet, int32_t mode, const JetDeviceOps *ops) {
  JetState &s = jet->state;
  if (s.grabMode == mode) return;
  if (s.grabMode != JET_NO_GRAB) ops->release(s.device);
  if (ops->grab(s.device, mode == JET_EXCLUSIVE_GRAB ? 1 : 0) == GI_NO_ERROR) {
    s.grabMode = mode;
    Beep(jet, ops, JET_DIALOG_BEEP);
  } else {
    s.grabMode = JET_NO_GRAB;
  }
}

}  // namespace

void JetResetViewAndModes(Jet *jet, const char *pattern, const JetDeviceOps *ops) {
  ResetView(jet);
  Beep(jet, ops, pattern);
  jet->state.edgeSelected = false;
  ObjectModeOnly(jet->state);
  jet->state.redrawNeeded = true;
}

bool JetSettingsCommand(Jet *jet, int32_t id, const JetDeviceOps *ops) {
  JetState &s = jet->state;
  switch (id) {
    case IDC_JET_TRANSLATION:
      ToggleMotionKind(jet, true, ops, JET_DIALOG_BEEP);
      return true;
    case IDC_JET_ROTATION:
      ToggleMotionKind(jet, false, ops, JET_DIALOG_BEEP);
      return true;
    case IDC_JET_SINGLE_AXIS:
      Toggle(jet, &s.singleAxis, ops, JET_DIALOG_BEEP);
      return true;
    case IDC_JET_KEEP_IN_VIEW:
      Toggle(jet, &s.keepInView, ops, JET_DIALOG_BEEP);
      return true;
    case IDC_JET_SNAP_TO_GRID:
      Toggle(jet, &s.snapToGrid, ops, JET_DIALOG_BEEP);
      return true;
    case IDC_JET_NO_GRAB:
      if (s.grabMode != JET_NO_GRAB) {
        ops->release(s.device);
        s.grabMode = JET_NO_GRAB;
        Beep(jet, ops, JET_DIALOG_BEEP);
      }
      return true;
    case IDC_JET_EXCLUSIVE_GRAB:
      Grab(jet, JET_EXCLUSIVE_GRAB, ops);
      return true;
    case IDC_JET_DEFAULT_GRAB:
      Grab(jet, JET_DEFAULT_GRAB, ops);
      return true;
    case IDC_JET_RESET_VIEW:
      JetResetViewAndModes(jet, JET_DIALOG_BEEP, ops);
      return true;
    case IDC_JET_DEFAULTS:
      // The view, the grab and double buffering stay as they are.
      Beep(jet, ops, JET_DIALOG_BEEP);
      s.edgeSelected = false;
      ObjectModeOnly(s);
      s.translationOn = true;
      s.rotationOn = true;
      s.singleAxis = false;
      s.keepInView = true;
      s.snapToGrid = true;
      s.sensitivity = 1.0f;
      s.redrawNeeded = true;
      return true;
    case IDC_JET_REZERO:
      Beep(jet, ops, JET_DIALOG_BEEP);
      ops->rezero(s.device);
      return true;
    default:
      return false;
  }
}

void JetSettingsScroll(Jet *jet, int32_t code, int32_t thumb, const JetDeviceOps *ops) {
  float &sensitivity = jet->state.sensitivity;
  switch (code) {
    case JET_SCROLL_LINE_LEFT:
    case JET_SCROLL_PAGE_LEFT:
      Halve(jet, ops, JET_DIALOG_BEEP);
      break;
    case JET_SCROLL_LINE_RIGHT:
    case JET_SCROLL_PAGE_RIGHT:
      Double(jet, ops, JET_DIALOG_BEEP);
      break;
    case JET_SCROLL_THUMB_POSITION: {
      const int32_t d = SensitivityToScrollPos(sensitivity, JET_SCROLL_STEPS) - thumb;
      if (d == 0) break;
      for (int32_t i = 0; i < (d < 0 ? -d : d); ++i)
        sensitivity = d < 0 ? sensitivity * 2.0f : sensitivity / 2.0f;
      Beep(jet, ops, JET_DIALOG_BEEP);
      break;
    }
    default:
      break;
  }
}

bool JetButtons(Jet *jet, int32_t released, int32_t pressed, const JetDeviceOps *ops) {
  JetState &s = jet->state;
  bool refresh = false;
  if (released == JET_RESET_BUTTON) {
    JetResetViewAndModes(jet, JET_BUTTON_BEEP, ops);
    refresh = true;
  }
  if (pressed == -1) return refresh;
  switch (pressed) {
    case 1:
      ToggleMotionKind(jet, true, ops, JET_BUTTON_BEEP);
      break;
    case 2:
      ToggleMotionKind(jet, false, ops, JET_BUTTON_BEEP);
      break;
    case 3:
      Toggle(jet, &s.singleAxis, ops, JET_BUTTON_BEEP);
      break;
    case 4:
      Toggle(jet, &s.keepInView, ops, JET_BUTTON_BEEP);
      break;
    case 5:
      Halve(jet, ops, JET_BUTTON_BEEP);
      break;
    case 6:
      Double(jet, ops, JET_BUTTON_BEEP);
      break;
    case 7:
      Toggle(jet, &s.snapToGrid, ops, JET_BUTTON_BEEP);
      break;
    case 8:
      Beep(jet, ops, JET_BUTTON_BEEP);
      ops->rezero(s.device);
      break;
    default:
      break;
  }
  return true;
}

int32_t SensitivityToScrollPos(float sensitivity, int32_t steps) {
  int32_t pos = steps / 2;
  double test = 1.0;
  if (sensitivity < 1.0f) {
    while (test > sensitivity && pos > 0) {
      test *= 0.5;
      --pos;
    }
  } else {
    while (test < sensitivity && pos < steps - 1) {
      test *= 2.0;
      ++pos;
    }
  }
  return pos;
}

int32_t JetHelpPath(char *out, int32_t size, const char *programPath) {
  static const char kPage[] = "jet.html";
  const char *slash = programPath != nullptr ? std::strrchr(programPath, '\\') : nullptr;
  const size_t keep = slash != nullptr ? static_cast<size_t>(slash - programPath) + 1 : 0;
  const size_t length = keep + sizeof kPage - 1;
  if (out == nullptr || size <= 0 || length + 1 > static_cast<size_t>(size)) return -1;
  std::memcpy(out, programPath, keep);
  std::memcpy(out + keep, kPage, sizeof kPage);
  return static_cast<int32_t>(length);
}
