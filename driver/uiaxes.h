/* uiaxes.h — the Axes dialog's behaviour, without the window: what its rows
 * show for a device's per-axis settings, and reading them back with the same
 * checks as "gyrantx.ini". The Win32 side (uiaxes_win.cpp) owns the dialog
 * and acts on it only through the view table below. */
#ifndef GYX_UIAXES_H
#define GYX_UIAXES_H

#include <stddef.h>
#include <stdint.h>

#include "device/uddev.h"
#include "gyxsrv_res.h"

/* The dialog as the logic sees it. Every entry is filled; ctx is passed
 * back unchanged. */
typedef struct UiAxesView {
  void (*setText)(void *ctx, int32_t id, const char *text);
  /* The control's text, cut to size - 1 characters. */
  void (*getText)(void *ctx, int32_t id, char *buf, size_t size);
  void (*setCheck)(void *ctx, int32_t id, int32_t checked);
  int32_t (*getCheck)(void *ctx, int32_t id);
  /* The "From" lists hold the six axis names in order: index 0 tx … 5 rz. */
  void (*setChoice)(void *ctx, int32_t id, int32_t index);
  /* The chosen index, -1 for none. */
  int32_t (*getChoice)(void *ctx, int32_t id);
} UiAxesView;

/* The dialog's title line for dev: its port and model ("COM1: Quorvanel 2200"). */
void UiAxesTitle(const UdDevice *dev, char *out, size_t size);

/* Fills every row from axes. */
void UiAxesShow(const UiAxesView *v, void *ctx, const UdDevice *dev);

/* Reads every row into out: 0, or UD_BAD_ARGUMENT (logged) with *badId the
 * first control whose value is refused; out is then unchanged. */
int32_t UiAxesRead(const UiAxesView *v, void *ctx, UdAxis out[UD_NUM_AXES], int32_t *badId);

#endif
