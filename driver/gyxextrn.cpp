/* gyxextrn.cpp — the driver's process-wide state (see gyxextrn.h). */
#include "gyxextrn.h"

int gDvrQuit = 0;
