/* evtmode.cpp — the user-interface-mode word of layout B (see evtmode.h). */
#include "evtmode.h"

#include "evtview_res.h"
#include "lib/gyrantrix.h"

const int kEvModeBoxes[EV_MODE_BOX_COUNT] = {IDC_ALL_CONTROLS, IDC_NO_CONTROLS, IDC_FILTERS,
                                             IDC_FUNCTIONS,    IDC_RESETS,      IDC_SENSITIVITY,
                                             IDC_DIALOG_POPUP};

/* The bit of a function box, or 0. */
static uint32_t BitOf(int id) {
  switch (id) {
    case IDC_FILTERS:
      return GI_UI_FILTERS;
    case IDC_FUNCTIONS:
      return GI_UI_FUNCTIONS;
    case IDC_RESETS:
      return GI_UI_RESETS;
    case IDC_SENSITIVITY:
      return GI_UI_SENSITIVITY;
    case IDC_DIALOG_POPUP:
      return GI_UI_DIALOG_POPUP;
  }
  return 0;
}

int32_t EvModeAfterClick(int32_t mode, int id, int checked) {
  if (id == IDC_ALL_CONTROLS) return GI_UI_ALL;
  if (id == IDC_NO_CONTROLS) return 0;
  uint32_t bit = BitOf(id), word = (uint32_t)mode;
  if (!bit) return mode;
  word = checked ? (word | bit) : (word & ~bit);
  return (int32_t)word;
}

int EvModeBoxChecked(int32_t mode, int id) {
  if (id == IDC_ALL_CONTROLS) return mode == GI_UI_ALL;
  if (id == IDC_NO_CONTROLS) return mode == 0;
  return ((uint32_t)mode & BitOf(id)) != 0;
}
