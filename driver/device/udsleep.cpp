/* udsleep.cpp — UdSleep, the plain sleep the protocols pace their commands
 * and the identification with. Goes through the installed system so that
 * tests can run the protocols on a virtual clock. */
#include <chrono>
#include <thread>

#include "udsystem.h"

int32_t UdSleep(int32_t milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  const UdSystem *sys = UdCurrentSystem();
  if (sys != NULL)
    sys->sleep(milliseconds);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return 0;
}
