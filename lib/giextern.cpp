/* giextern.cpp — process globals of the input library shared by every call. */
#include "gistate.h"

int32_t GiLastError = 0;

int32_t gGiDeviceCount = -1;
GiHandle gGiHandles = nullptr;
int32_t gGiDriverLoss = GI_LOSS_NONE;
int32_t gGiWeighting = 1;
