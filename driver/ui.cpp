/* ui.cpp — the motion filter: menu button, the 2200's rezero button, bit 0,
 * translation/rotation switches, single-axis filter and sensitivity, each
 * gated by the focus application's UI mode. Called for every decoded event. */
#include "ui.h"

#include "slim/gyx_slim.h"

static void RemoveBits(GiEvent *ev, uint32_t bits) {
  ev->last &= ~bits;
  ev->current &= ~bits;
  ev->pressed &= ~bits;
  ev->released &= ~bits;
}

/* 0 when the event is dropped. */
static int FilterButtons(UdDevice *dev, GiEvent *ev, int32_t uiMode) {
  if (uiMode & GI_UI_DIALOG_POPUP) {
    uint32_t menu = 1u << ((uint32_t)dev->menuButton % 32u);
    if (ev->pressed & menu) UiToggleSettings();
    RemoveBits(ev, menu);
  }
  if ((ev->pressed & 1u) && dev->model && dev->model->rezeroButton) UiRezero(dev);
  RemoveBits(ev, 1u);
  if (ev->pressed == 0 && ev->released == 0) {
    if (ev->type == GI_BUTTON_EVENT) return 0;
    ev->type = GI_MOTION_EVENT;
  }
  return 1;
}

/* Scaled values stay inside int32 whatever the sensitivity. */
static int32_t Scale(int32_t v, float sensitivity) {
  double x = (double)v * (double)sensitivity;
  if (x >= 2147483647.0) return INT32_MAX;
  if (x <= -2147483648.0) return INT32_MIN;
  return (int32_t)x;
}

static void FilterMotion(const UdDevice *dev, GiEvent *ev, int32_t uiMode) {
  int32_t *axes[6] = {&ev->tx, &ev->ty, &ev->tz, &ev->rx, &ev->ry, &ev->rz};
  if (uiMode & GI_UI_FILTERS) {
    if (!dev->translation) ev->tx = ev->ty = ev->tz = 0;
    if (!dev->rotation) ev->rx = ev->ry = ev->rz = 0;
    if (dev->singleAxis == 1) {
      float v[6];
      for (int i = 0; i < 6; i++) v[i] = (float)*axes[i];
      GYX_HighValueFilter(v, 6);
      for (int i = 0; i < 6; i++) *axes[i] = (int32_t)v[i];
    }
  }
  if (uiMode & GI_UI_SENSITIVITY) {
    for (int i = 0; i < 6; i++) *axes[i] = Scale(*axes[i], dev->sensitivity);
  }
}

int32_t UdMotionFilter(UdDevice *dev, GiEvent *ev, int32_t uiMode) {
  if (!dev || !ev) return UD_BAD_ARGUMENT;
  if (ev->type == GI_BUTTON_EVENT || ev->type == GI_COMBO_EVENT) {
    if (!FilterButtons(dev, ev, uiMode)) return UD_OK;
  }
  if (ev->type == GI_MOTION_EVENT || ev->type == GI_COMBO_EVENT) FilterMotion(dev, ev, uiMode);
  return UD_EVENT_READY;
}
