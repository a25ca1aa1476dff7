/* evtview_main_win.cpp — entry of the event test utility: the layout from
 * the command line, the library, the main dialog, and the library's end. */
#include <windows.h>

#include <stdlib.h>

#include "evtargs.h"
#include "evtplat.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  static EvState st; /* large (handle slots, texts): not on the stack */
  EvStateInit(&st, EvChooseLayout(__argc, (const char *const *)__argv));
  EvLoadStrings(&st.strings, instance);
  if (GiInitialize() != GI_NO_ERROR) {
    EvErrorBox(&st, IDS_NO_INIT);
    return 1;
  }
  int rc = EvRunMainDialog(&st, instance);
  GiTerminate();
  return rc == 0 ? 0 : 1;
}
