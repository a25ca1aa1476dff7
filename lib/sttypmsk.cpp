/* sttypmsk.cpp — GiSetTypeMask: a device-type mask from a list of type and
 * class numbers ended by 0. */
#include <stdarg.h>
#include <string.h>

#include "gistate.h"

int32_t GiSetTypeMask(GiTypeMask *mask, ...) {
  if (!mask) GI_RETURN(GI_BAD_VALUE);
  memset(mask->bits, 0, sizeof mask->bits);
  va_list ap;
  va_start(ap, mask);
  int32_t code = GI_NO_ERROR;
  int32_t value = va_arg(ap, int32_t);
  if (value == 0) code = GI_BAD_VALUE;
  for (; value != 0 && code == GI_NO_ERROR; value = va_arg(ap, int32_t)) {
    if (value == GI_ALL_TYPES) {
      memset(mask->bits, 0xFF, sizeof mask->bits);
    } else if (value >= 1 && value <= 63) {
      mask->bits[value / 8] |= (uint8_t)(1u << (value % 8));
    } else {
      code = GI_BAD_VALUE; /* the bits set so far stay */
    }
  }
  va_end(ap);
  GI_RETURN(code);
}
