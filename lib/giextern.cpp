/* giextern.cpp — process globals of the input library shared by every call. */
#include "gyrantrix.h"

int32_t GiLastError = 0;
