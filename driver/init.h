/* init.h — the driver's start-up and shut-down steps for the device table:
 * build it, open every device, arm a device's input wake-up, close them all.
 * Called by the driver's main program (gyxdrv_main_win.cpp). */
#ifndef GYX_INIT_H
#define GYX_INIT_H

/* Installs the Win32 services of the device layer, loads the model table and
 * the configuration, and registers one window message per configured device
 * ("GyrantrixMessage" and the two-digit index), stored in the record.
 * 0, or -1 with every table released again. */
int InitBuildDeviceTable(void);

/* Opens every configured device in table order; waitHandles[i] gets device
 * i's read event. 0, or the UD_… result of the first failure with its index
 * in *failedIndex (the devices opened before it are closed again). */
int InitOpenDevices(void **waitHandles, int *failedIndex);

/* Arms device i's input wake-up: 1 when input is already waiting (process
 * it, then arm again), 0 when the wake-up is left pending on its read event,
 * -1 when the port refused (a device that is not open gives 0). */
int InitArmDevice(int i);

/* Closes every open device in table order; DTR and RTS drop. */
void InitCloseDevices(void);

#endif
