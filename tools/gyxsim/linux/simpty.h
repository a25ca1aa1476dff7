// The simulator's end of the virtual null-modem cable: a pty pair whose
// slave a symlink (the COM port's mapping) points at, and the modem lines
// that the modem-line shim publishes for that slave. Used by gyxsim_main.
#pragma once
#include "simengine.h"

struct SimPty {
  int master;           // the simulator reads and writes here
  int slave;            // held open so the pty lives between the driver's opens
  char name[64];        // "/dev/pts/7"
  char linesFile[600];  // the shim's state file for this pty
  char link[512];       // symlink pointing at name, empty when none
};

// Opens a pty pair in raw mode at the given speed (the driver's side sees
// it as the port's speed until it sets its own). SIM_OK or SIM_ERR_IO.
int SimPtyOpen(SimPty *p, int baud, const char *modemDir);
// Points path at the slave, atomically (temporary link and rename).
int SimPtyLink(SimPty *p, const char *path);
// Removes the link if it still points at this pty, closes both ends.
void SimPtyClose(SimPty *p);
// Current modem lines (see SimLines) and the slave's speed.
void SimPtyLines(const SimPty *p, SimLines *out);

// 1 when process pid has ended, is a zombie, or cannot be seen at all.
int SimProcessGone(int pid);
// Discards bytes sent to the slave that nobody has read.
void SimPtyFlushInput(const SimPty *p);
// Waits up to timeoutMs until the port's holder has read everything sent
// (or has closed the port): closing the pty discards unread input, which a
// device that is switched off does not do to bytes it has already sent.
void SimPtyDrain(const SimPty *p, int timeoutMs);
