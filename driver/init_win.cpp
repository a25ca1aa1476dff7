/* init_win.cpp — building the device table (model table, configuration, one
 * registered window message per device), opening and closing the devices,
 * and arming their input wake-ups. Called by the driver's main program. */
#include <windows.h>

#include <stdio.h>

#include "device/udcomwin.h"
#include "device/uddev.h"
#include "device/udsystem.h"
#include "init.h"

int InitBuildDeviceTable(void) {
  UdUseSystem(UdWin32System());
  if (UdLoadModels() != 0) return -1;
  if (UdLoadDevices() != 0) {
    UdFreeModels();
    return -1;
  }
  int count = UdDeviceCount();
  for (int i = 0; i < count; i++) {
    UdDevice *dev = UdDeviceAt(i);
    char name[32];
    snprintf(name, sizeof name, "%s%02d", "GyrantrixMessage", dev->index);
    dev->message = RegisterWindowMessageA(name);
    if (dev->message == 0) {
      UD_FAIL(-1);
      UdFreeModels();
      UdClearDevices();
      return -1;
    }
  }
  return 0;
}

int InitOpenDevices(void **waitHandles, int *failedIndex) {
  int count = UdDeviceCount();
  for (int i = 0; i < count; i++) {
    UdDevice *dev = UdDeviceAt(i);
    int result = UdOpenDevice(dev);
    if (result != 0) {
      /* The process ends after this: leave no port of ours with DTR up. */
      for (int j = i - 1; j >= 0; j--) UdCloseDevice(UdDeviceAt(j));
      if (failedIndex) *failedIndex = i;
      return result;
    }
    if (waitHandles) waitHandles[i] = UdComReadEvent(dev);
  }
  return 0;
}

int InitArmDevice(int i) {
  return UdComArm(UdDeviceAt(i));
}

void InitCloseDevices(void) {
  int count = UdDeviceCount();
  for (int i = 0; i < count; i++) {
    UdDevice *dev = UdDeviceAt(i);
    if (UdDeviceIsOpen(dev)) UdCloseDevice(dev);
  }
}
