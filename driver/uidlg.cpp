/* uidlg.cpp — the settings window's behaviour (see uidlg.h): per-device
 * settings shown and stored, the label cache, the UI-mode groups, the
 * bring-up and put-away rules, the commands and the sensitivity scale.
 * Called by ui_win.cpp for every message of the window and every focus change. */
#include "uidlg.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "dvrhandle.h"

const int32_t kUiButtonControls[UI_NUM_BUTTON_CONTROLS] = {IDC_BUTTON1, IDC_BUTTON2, IDC_BUTTON3, IDC_BUTTON4,
                                                           IDC_BUTTON5, IDC_BUTTON6, IDC_BUTTON7, IDC_BUTTON8,
                                                           IDC_BUTTON9, IDC_LEFT,    IDC_RIGHT};

/* Controls switched by each UI-mode bit (bit 5 switches none). */
static const int32_t kFilterControls[] = {IDC_TRANSLATION, IDC_ROTATION, IDC_SINGLE_AXIS};
static const int32_t kResetControls[] = {IDC_DEFAULTS, IDC_REZERO};
static const int32_t kSensitivityControls[] = {IDC_SENSITIVITY};

/* Common button bits of the numbered buttons 1..8, the ninth, left and right. */
enum { BIT_BUTTON9 = 31, BIT_LEFT = 30, BIT_RIGHT = 31 };

float UiPositionScale(int32_t pos) {
  if (pos < UI_SCROLL_MIN) pos = UI_SCROLL_MIN;
  if (pos > UI_SCROLL_MAX) pos = UI_SCROLL_MAX;
  return ldexpf(1.0f, pos - UI_SCROLL_MIDDLE);
}

int32_t UiScalePosition(float scale) {
  int32_t pos = UI_SCROLL_MIDDLE;
  float v = 1.0f;
  if (scale < 1.0f) {
    do {
      v /= 2.0f;
      pos--;
    } while (pos > UI_SCROLL_MIN && v > scale);
  } else if (scale > 1.0f) {
    do {
      v *= 2.0f;
      pos++;
    } while (pos < UI_SCROLL_MAX && v < scale);
  }
  return pos;
}

int32_t UiHelpPath(const char *modulePath, char *out, size_t size) {
  static const char kPage[] = "gyxsrv.html";
  if (!out || size == 0) return -1;
  out[0] = '\0';
  if (!modulePath) return -1;
  const char *slash = strrchr(modulePath, '\\');
  size_t dir = slash ? (size_t)(slash - modulePath) + 1 : 0; /* keeps the backslash */
  if (dir + sizeof kPage > size) return -1;
  memcpy(out, modulePath, dir);
  memcpy(out + dir, kPage, sizeof kPage);
  return 0;
}

void UiRezeroDevice(UdDevice *dev) {
  UdBeep(dev, "cC");
  UdRezero(dev);
}

static UdDevice *Current(const UiDlg *d) {
  return d->device >= 0 ? UdDeviceAt(d->device) : NULL;
}

static void SetDefaults(UdDevice *dev) {
  dev->translation = 1;
  dev->rotation = 1;
  dev->singleAxis = 0;
  dev->sensitivity = 1.0f;
}

static int32_t Redraws(const UiDlg *d) {
  return (d->uiMode & GI_UI_SENSITIVITY) != 0;
}

static void ShowScale(UiDlg *d, float scale) {
  d->view->setScrollPos(d->ctx, IDC_SENSITIVITY, UiScalePosition(scale), Redraws(d));
}

static void ShowChecks(UiDlg *d, const UdDevice *dev) {
  d->view->setCheck(d->ctx, IDC_TRANSLATION, dev->translation);
  d->view->setCheck(d->ctx, IDC_ROTATION, dev->rotation);
  d->view->setCheck(d->ctx, IDC_SINGLE_AXIS, dev->singleAxis);
}

static void BringUp(UiDlg *d) {
  d->view->bringUp(d->ctx, d->stayOnTop);
}

static void PutAway(UiDlg *d) {
  d->view->putAway(d->ctx);
}

void UiDlgInit(UiDlg *d, const UiView *view, void *ctx) {
  memset(d, 0, sizeof *d);
  d->view = view;
  d->ctx = ctx;
  for (int32_t i = 0; i < UdDeviceCount(); i++) SetDefaults(UdDeviceAt(i));
  for (int32_t i = 0; i < UI_NUM_BUTTON_CONTROLS; i++) d->labels[i].id = kUiButtonControls[i];
  view->setScrollRange(ctx, IDC_SENSITIVITY, UI_SCROLL_MIN, UI_SCROLL_MAX);
  d->stayOnTop = 0;
  d->panelShown = 0;
  d->device = -1;
  d->pending = -1;
  d->panelHidden = 1;
  d->uiMode = 0;
  view->setCheck(ctx, IDC_STAY_ON_TOP, 0);
  UiDlgShowDevice(d, 0);
  UiDlgNoteHandle(d, NULL);
  UiDlgApplyMode(d, (uint32_t)GI_UI_ALL);
  PutAway(d);
}

void UiDlgFollowDevice(UiDlg *d, int32_t index) {
  if (index < 0 || index >= UdDeviceCount()) return;
  if (d->panelShown) {
    UiDlgShowDevice(d, index);
    return;
  }
  d->pending = index == d->device ? -1 : index;
}

void UiDlgCatchUp(UiDlg *d) {
  if (d->pending >= 0) UiDlgShowDevice(d, d->pending);
}

void UiDlgShowDevice(UiDlg *d, int32_t index) {
  if (index < 0 || index >= UdDeviceCount()) return;
  d->pending = -1;
  if (index == d->device) return;
  UdDevice *old = Current(d);
  if (old) {
    old->translation = d->view->getCheck(d->ctx, IDC_TRANSLATION);
    old->rotation = d->view->getCheck(d->ctx, IDC_ROTATION);
    old->singleAxis = d->view->getCheck(d->ctx, IDC_SINGLE_AXIS);
    old->sensitivity = UiPositionScale(d->view->getScrollPos(d->ctx, IDC_SENSITIVITY));
  }
  d->device = index;
  UdDevice *dev = UdDeviceAt(index);
  char line[2 * UD_TEXT_SIZE + 2];
  snprintf(line, sizeof line, "%s %s", dev->portName, dev->model ? dev->model->name : "");
  d->view->setText(d->ctx, IDC_DEVICE, line);
  ShowChecks(d, dev);
  ShowScale(d, dev->sensitivity);
  d->view->setText(d->ctx, IDC_APPLICATION, dev->appName);
  /* Relabelling flickers: only labels that differ from what is shown. */
  for (int32_t i = 0; i < UI_NUM_BUTTON_CONTROLS; i++) {
    UiLabel *l = &d->labels[i];
    if (strncmp(l->text, dev->buttonNames[i], UD_LABEL_SIZE) == 0) continue;
    memcpy(l->text, dev->buttonNames[i], UD_LABEL_SIZE);
    l->text[UD_LABEL_SIZE - 1] = '\0';
    d->view->setText(d->ctx, l->id, l->text);
  }
}

void UiDlgNoteHandle(UiDlg *d, const struct DvrHandle *h) {
  d->handle = h;
}

static void EnableGroup(UiDlg *d, const int32_t *ids, size_t n, int32_t on) {
  for (size_t i = 0; i < n; i++) d->view->enable(d->ctx, ids[i], on);
}

void UiDlgApplyMode(UiDlg *d, uint32_t mode) {
  if (mode == d->uiMode) return;
  UiDlgCatchUp(d);
  d->uiMode = mode;
  EnableGroup(d, kFilterControls, 3, (mode & GI_UI_FILTERS) != 0);
  EnableGroup(d, kUiButtonControls, UI_NUM_BUTTON_CONTROLS, (mode & GI_UI_FUNCTIONS) != 0);
  EnableGroup(d, kResetControls, 2, (mode & GI_UI_RESETS) != 0);
  EnableGroup(d, kSensitivityControls, 1, (mode & GI_UI_SENSITIVITY) != 0);
  if (mode != 0) {
    if (!d->handle) {
      d->panelHidden = 1;
    } else if (!d->panelShown && !d->panelHidden) {
      d->panelShown = 1;
      BringUp(d);
    }
  } else if (d->panelShown) {
    /* panelHidden stays clear: the next application that wants the window
     * gets it back. */
    PutAway(d);
    d->panelShown = 0;
  }
}

void UiDlgToggle(UiDlg *d) {
  UiDlgCatchUp(d);
  if (!d->panelShown) {
    d->panelShown = 1;
    d->panelHidden = 0;
    BringUp(d);
  } else {
    d->panelShown = 0;
    d->panelHidden = 1;
    PutAway(d);
  }
}

void UiDlgRestored(UiDlg *d) {
  UiDlgCatchUp(d);
  d->panelShown = 1;
  d->panelHidden = 0;
  d->view->setTopmost(d->ctx, d->stayOnTop);
}

void UiDlgMinimizing(UiDlg *d) {
  d->panelShown = 0;
  d->panelHidden = 1;
  d->view->sendToBottom(d->ctx);
}

void UiDlgSendButton(UiDlg *d, int32_t bit) {
  UdDevice *dev = Current(d);
  if (!dev || bit < 0 || bit > 31) return;
  struct DvrHandle *h = d->view->findFocus(d->ctx, d->device);
  if (!h || !(h->eventMask & (1u << (GI_BUTTON_EVENT - 1)))) return;
  uint32_t mask = 1u << bit;
  GiEvent ev;
  memset(&ev, 0, sizeof ev);
  ev.type = GI_BUTTON_EVENT;
  ev.current = dev->lastButtons | mask;
  UdButtonDelta(dev, &ev);
  d->view->deliver(d->ctx, h, &ev);
  memset(&ev, 0, sizeof ev);
  ev.type = GI_BUTTON_EVENT;
  ev.current = dev->lastButtons & ~mask;
  UdButtonDelta(dev, &ev);
  d->view->deliver(d->ctx, h, &ev);
}

/* Translation and rotation: at least one of them stays on. The one switched
 * back on by the interlock gets no beep. */
static void SwitchAxes(UiDlg *d, UdDevice *dev, int32_t *flag, int32_t id, int32_t *other, int32_t otherId) {
  *flag = !*flag;
  if (*flag) UdBeep(dev, "cC");
  d->view->setCheck(d->ctx, id, *flag);
  if (!*flag && !*other) {
    *other = 1;
    d->view->setCheck(d->ctx, otherId, 1);
  }
}

/* "Left" and "Right": the one that is the menu button toggles the window,
 * the other is sent as a button. */
static void LeftOrRight(UiDlg *d, const UdDevice *dev, int32_t isLeft) {
  int32_t toggles = isLeft ? BIT_LEFT : BIT_RIGHT;
  int32_t sends = isLeft ? BIT_RIGHT : BIT_LEFT;
  if (dev->menuButton == toggles) {
    UiDlgToggle(d);
  } else if (dev->menuButton == sends) {
    UiDlgSendButton(d, isLeft ? BIT_LEFT : BIT_RIGHT);
  }
}

/* Commands that work on the device shown. */
static void DeviceCommand(UiDlg *d, UdDevice *dev, int32_t id) {
  switch (id) {
    case IDC_TRANSLATION:
      SwitchAxes(d, dev, &dev->translation, IDC_TRANSLATION, &dev->rotation, IDC_ROTATION);
      break;
    case IDC_ROTATION:
      SwitchAxes(d, dev, &dev->rotation, IDC_ROTATION, &dev->translation, IDC_TRANSLATION);
      break;
    case IDC_SINGLE_AXIS:
      dev->singleAxis = !dev->singleAxis;
      if (dev->singleAxis) UdBeep(dev, "cC");
      d->view->setCheck(d->ctx, IDC_SINGLE_AXIS, dev->singleAxis);
      break;
    case IDC_DEFAULTS:
      SetDefaults(dev);
      ShowChecks(d, dev);
      d->view->setScrollPos(d->ctx, IDC_SENSITIVITY, UI_SCROLL_MIDDLE, Redraws(d));
      break;
    case IDC_REZERO:
      UiRezeroDevice(dev);
      break;
    case IDC_LEFT:
    case IDC_RIGHT:
      LeftOrRight(d, dev, id == IDC_LEFT);
      break;
  }
}

int32_t UiDlgCommand(UiDlg *d, int32_t id) {
  switch (id) {
    case IDC_HIDE:
      d->panelShown = 0;
      d->panelHidden = 1;
      PutAway(d);
      return 1;
    case IDC_HELP_PAGE:
      d->view->openHelp(d->ctx);
      return 1;
    case IDC_STAY_ON_TOP:
      d->stayOnTop = d->view->getCheck(d->ctx, IDC_STAY_ON_TOP) != 0;
      d->view->setTopmost(d->ctx, d->stayOnTop);
      return 1;
    case IDC_BUTTON1:
    case IDC_BUTTON2:
    case IDC_BUTTON3:
    case IDC_BUTTON4:
      UiDlgSendButton(d, 1 + (id - IDC_BUTTON1));
      return 1;
    case IDC_BUTTON5:
      UiDlgSendButton(d, 5);
      return 1;
    case IDC_BUTTON6:
    case IDC_BUTTON7:
    case IDC_BUTTON8:
      UiDlgSendButton(d, 6 + (id - IDC_BUTTON6));
      return 1;
    case IDC_BUTTON9:
      UiDlgSendButton(d, BIT_BUTTON9);
      return 1;
    case IDC_TRANSLATION:
    case IDC_ROTATION:
    case IDC_SINGLE_AXIS:
    case IDC_DEFAULTS:
    case IDC_REZERO:
    case IDC_LEFT:
    case IDC_RIGHT: {
      UdDevice *dev = Current(d);
      if (dev) DeviceCommand(d, dev, id);
      return 1;
    }
    default:
      return 0;
  }
}

void UiDlgScroll(UiDlg *d, int32_t code, int32_t pos) {
  UdDevice *dev = Current(d);
  if (!dev) return;
  float s = dev->sensitivity;
  switch (code) {
    case UI_SB_LINELEFT:
    case UI_SB_PAGELEFT:
      if (s / 2.0f > 0.03125f) s /= 2.0f;
      break;
    case UI_SB_LINERIGHT:
    case UI_SB_PAGERIGHT:
      if (s * 2.0f < 32.0f) s *= 2.0f;
      break;
    case UI_SB_THUMBPOSITION: {
      if (pos < UI_SCROLL_MIN) pos = UI_SCROLL_MIN;
      if (pos > UI_SCROLL_MAX) pos = UI_SCROLL_MAX;
      int32_t c = UiScalePosition(s);
      s = ldexpf(s, pos - c);
      break;
    }
    default:
      return;
  }
  dev->sensitivity = s;
  ShowScale(d, s);
}
