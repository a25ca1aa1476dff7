/* uiaxes.cpp — the Axes dialog's rows (see uiaxes.h). */
#include "uiaxes.h"

#include <stdio.h>
#include <string.h>

#include "device/iniaxes.h"

void UiAxesTitle(const UdDevice *dev, char *out, size_t size) {
  if (!out || size == 0) return;
  snprintf(out, size, "%s %s", dev ? dev->portName : "", dev && dev->model ? dev->model->name : "");
}

void UiAxesShow(const UiAxesView *v, void *ctx, const UdDevice *dev) {
  char text[UD_TEXT_SIZE * 2];
  UiAxesTitle(dev, text, sizeof text);
  v->setText(ctx, IDC_AXES_DEVICE, text);
  for (int32_t a = 0; a < UD_NUM_AXES; a++) {
    const UdAxis *ax = &dev->axes[a];
    IniFormatScale(ax->scale, text, sizeof text);
    v->setText(ctx, IDC_AXIS_SCALE + a, text);
    v->setCheck(ctx, IDC_AXIS_INVERT + a, ax->invert ? 1 : 0);
    snprintf(text, sizeof text, "%d", (int)ax->deadZone);
    v->setText(ctx, IDC_AXIS_DEAD_ZONE + a, text);
    v->setChoice(ctx, IDC_AXIS_FROM + a, ax->source >= 0 && ax->source < UD_NUM_AXES ? ax->source : a);
  }
}

int32_t UiAxesRead(const UiAxesView *v, void *ctx, UdAxis out[UD_NUM_AXES], int32_t *badId) {
  UdAxis read[UD_NUM_AXES];
  for (int32_t a = 0; a < UD_NUM_AXES; a++) {
    char text[INI_AXIS_TEXT];
    int32_t bad = 0;
    v->getText(ctx, IDC_AXIS_SCALE + a, text, sizeof text);
    if (IniAxisScale(text, &read[a].scale) != 0) bad = IDC_AXIS_SCALE + a;
    v->getText(ctx, IDC_AXIS_DEAD_ZONE + a, text, sizeof text);
    if (!bad && IniAxisDeadZone(text, &read[a].deadZone) != 0) bad = IDC_AXIS_DEAD_ZONE + a;
    read[a].invert = v->getCheck(ctx, IDC_AXIS_INVERT + a) ? 1 : 0;
    read[a].source = v->getChoice(ctx, IDC_AXIS_FROM + a);
    if (!bad && (read[a].source < 0 || read[a].source >= UD_NUM_AXES)) bad = IDC_AXIS_FROM + a;
    if (bad) {
      if (badId) *badId = bad;
      return GiLogError(__FILE__, __LINE__, UD_BAD_ARGUMENT);
    }
  }
  memcpy(out, read, sizeof read);
  return 0;
}
