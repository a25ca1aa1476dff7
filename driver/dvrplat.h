/* dvrplat.h — the few window-system services the driver's portable core
 * needs: the foreground window, the process owning a window, whether a window
 * still exists, unpredictable bits for handle values, and keystrokes. Win32 behind it in
 * dvrplat_win.cpp; the native tests put a scripted desktop in its place. */
#ifndef GYX_DVRPLAT_H
#define GYX_DVRPLAT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The window in front, or NULL (Windows reports none for a moment while the
 * foreground changes). */
void *DvrPlatForegroundWindow(void);

/* The id of the process whose thread owns window; 0 for NULL or a window
 * that no longer exists. */
uint32_t DvrPlatWindowProcess(void *window);

/* 1 while window exists, 0 for NULL or a destroyed window. */
int DvrPlatWindowAlive(void *window);

/* 32 bits nobody outside the driver can predict (from the system's
 * cryptographic generator). */
uint32_t DvrPlatRandom32(void);

/* One key going down or up, by virtual-key code. */
typedef struct DvrKeyInput {
  uint16_t vk;
  uint16_t up; /* 1: the key comes up */
} DvrKeyInput;

/* Puts count keystrokes into the system's input stream, in order, as one
 * uninterrupted run (the window in front receives them): the number put in,
 * which falls short when something blocked the input. */
int32_t DvrPlatSendKeys(const DvrKeyInput *keys, int32_t count);

#ifdef __cplusplus
}
#endif

#endif
