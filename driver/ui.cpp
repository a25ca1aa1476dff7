/* ui.cpp — the motion filter: menu button, the 2200's rezero button, bit 0,
 * translation/rotation switches, single-axis filter, the per-axis map,
 * inversion and dead zone, and sensitivity times each axis's scale, each
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

/* Scaled values stay inside int32 whatever the factor. */
static int32_t Scale(int32_t v, double factor) {
  double x = (double)v * factor;
  if (x >= 2147483647.0) return INT32_MAX;
  if (x <= -2147483648.0) return INT32_MIN;
  return (int32_t)x;
}

/* Map, inversion and dead zone, per outgoing axis. With the defaults every
 * value stays as it is. */
static void ApplyAxes(const UdDevice *dev, int32_t *const axes[6]) {
  int32_t in[6];
  for (int i = 0; i < 6; i++) in[i] = *axes[i];
  for (int i = 0; i < 6; i++) {
    const UdAxis *a = &dev->axes[i];
    int32_t src = a->source >= 0 && a->source < 6 ? a->source : i;
    int32_t v = in[src];
    if (a->invert) v = v == INT32_MIN ? INT32_MAX : -v;
    int64_t mag = v < 0 ? -(int64_t)v : (int64_t)v;
    if (mag <= (int64_t)a->deadZone) v = 0;
    *axes[i] = v;
  }
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
    ApplyAxes(dev, axes);
  }
  if (uiMode & GI_UI_SENSITIVITY) {
    /* An axis's scale multiplies the global sensitivity: one rounding. */
    for (int i = 0; i < 6; i++)
      *axes[i] = Scale(*axes[i], (double)dev->sensitivity * (double)dev->axes[i].scale);
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
