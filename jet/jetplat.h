/* jetplat.h — the jet demo's Win32 layer: the program (JetMain), its windows,
 * the settings dialog, the device list, and GDI drawing with its pens and
 * off-screen bitmap. Only *_win.cpp files include it; the demo's logic is in
 * the portable files it calls (jet.h, process.h, settings.h, draw.h). */
#ifndef GYX_JET_JETPLAT_H
#define GYX_JET_JETPLAT_H

#include <windows.h>

#include "jet/jet.h"

/* The windows of this process; null while they do not exist. */
struct JetWindows {
  HINSTANCE instance;
  HWND main;     /* "Jet Demo" */
  HWND settings; /* "Jet Gyrantrix Settings", modeless */
};
extern JetWindows gJetWindows;

/* The whole program; returns its exit code (0 after the message loop, 1
 * when the device could not be connected). */
int JetMain(HINSTANCE instance);

/* Registers the "Jet Demo" window class (idempotent) and makes the main
 * window at (0, 0), size x size, hidden. */
HWND JetCreateMainWindow(HINSTANCE instance, int size);

/* The settings dialog's controls from gJet's settings. */
void RefreshSettingsDialog();
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/* The device list dialog (two or more devices): the device ID chosen, the
 * first device's when it is dismissed without OK. */
int32_t ChooseDevice(HWND owner);

/* A message box owned by the main window: the system's caption, OK only. */
void ShowError(const char *text);

/* GDI: the five pens (made at start, deleted when the main window closes),
 * and the paint of the main window (the off-screen bitmap is made at the
 * first paint and kept until JetFreeOffscreen). */
bool JetCreatePens();
void JetDeletePens();
void JetPaint(HWND window, Jet *jet);
void JetFreeOffscreen();

#endif
