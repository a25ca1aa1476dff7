/* jetquery.h — the jet demo answers questions about its state, so that a
 * test or a tool in another process can check what the screen cannot show
 * exactly (the view matrix, the modes): SendMessage(window,
 * RegisterWindowMessage(JET_QUERY_MESSAGE), item, 0) returns the value. */
#ifndef GYX_JET_JETQUERY_H
#define GYX_JET_JETQUERY_H

#include <stdint.h>

#include "jet/jet.h"

#define JET_QUERY_MESSAGE "Jet Demo Query"

/* Items. Matrix elements and the sensitivity come back as the bits of their
 * float; flags as 0 or 1. */
enum {
  JETQ_VIEW = 0,     /* + 0..15: view[i] */
  JETQ_POINTER = 16, /* + 0..15: pointer[i] */
  JETQ_TRANSLATION_ON = 32,
  JETQ_ROTATION_ON,
  JETQ_SINGLE_AXIS,
  JETQ_KEEP_IN_VIEW,
  JETQ_SNAP_TO_GRID,
  JETQ_SENSITIVITY,
  JETQ_GRAB_MODE,
  JETQ_SHIFT_DOWN,
  JETQ_OBJECT_MODE,
  JETQ_AXES_MODE,
  JETQ_POINTER_MODE,
  JETQ_EDGE_SELECTED,
  JETQ_DOUBLE_BUFFER,
  JETQ_FRAMES,      /* scenes drawn so far */
  JETQ_DEVICE_OPEN, /* 1 while a device is open */
  JETQ_SIZE,        /* s, the drawing's side in pixels */
  JETQ_COUNT
};

/* The item's value; -1 for an unknown item. */
int64_t JetQuery(const Jet *jet, int32_t item);

#endif
