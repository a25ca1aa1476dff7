/* settings.h — what the settings dialog's controls and the controller's
 * buttons do to the demo's settings and modes, with their beeps and device
 * commands; the sensitivity scroll position; the help page's path. Portable:
 * the dialog procedure and the button handler call these and then refresh
 * the dialog's controls. */
#ifndef GYX_JET_SETTINGS_H
#define GYX_JET_SETTINGS_H

#include <stdint.h>

#include "jet/jet.h"

/* Beep patterns: a change made in the dialog, and one made with a button. */
#define JET_DIALOG_BEEP "CcC"
#define JET_BUTTON_BEEP "cC"

/* The sensitivity's limits and the scroll bar's positions. */
#define JET_SENSITIVITY_MIN 0.0625f
#define JET_SENSITIVITY_MAX 16.0f
enum { JET_SCROLL_STEPS = 9 };

/* Scroll codes of the sensitivity bar (the values of Win32's SB_ codes). */
enum {
  JET_SCROLL_LINE_LEFT = 0,
  JET_SCROLL_LINE_RIGHT = 1,
  JET_SCROLL_PAGE_LEFT = 2,
  JET_SCROLL_PAGE_RIGHT = 3,
  JET_SCROLL_THUMB_POSITION = 4
};

/* The controller button that resets the view, on its release. */
enum { JET_RESET_BUTTON = 31 };

/* A command of the settings dialog by control id (jet_res.h), except Quit
 * and Help, which the shell carries out. Returns false for any other id. */
bool JetSettingsCommand(Jet *jet, int32_t id, const JetDeviceOps *ops);

/* A scroll of the sensitivity bar; thumb is the position of a thumb code. */
void JetSettingsScroll(Jet *jet, int32_t code, int32_t thumb, const JetDeviceOps *ops);

/* A controller button event, as the lowest released and the lowest pressed
 * button (-1: none). Returns true when the dialog must show new settings. */
bool JetButtons(Jet *jet, int32_t released, int32_t pressed, const JetDeviceOps *ops);

/* Reset View: the view's start values, object mode, no edge; beeps pattern. */
void JetResetViewAndModes(Jet *jet, const char *pattern, const JetDeviceOps *ops);

/* Position 0..steps-1 of a sensitivity on the scroll bar: steps / 2 for 1.0,
 * one step per halving or doubling; a value between two powers of two takes
 * the step of the power nearer to 1.0. */
int32_t SensitivityToScrollPos(float sensitivity, int32_t steps);

/* The help page beside the program: programPath with everything from its
 * last backslash replaced by "\jet.html" (just "jet.html" without one).
 * Returns the length, or -1 when it does not fit in size. */
int32_t JetHelpPath(char *out, int32_t size, const char *programPath);

#endif
