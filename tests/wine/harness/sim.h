// sim.h: the controller simulator (tools/gyxsim) as a Win32 test sees it:
// start one on a COM port, send it commands over its control connection and
// read the one-line replies, stop it. tools/gyxsim/README.md lists the
// commands; the tests run inside scripts/wineenv.sh, which maps COMn to
// $GYX_RUN_DIR/comN, the link the simulator points at its pty.
#ifndef GYX_HARNESS_SIM_H
#define GYX_HARNESS_SIM_H

#include <winsock2.h>

#include <string>

#include "gyxlinux.h"

enum GyxSimResult {
  GYXSIM_OK = 0,             // the reply began with "ok"
  GYXSIM_ERR_REPLY = -1,     // the simulator answered "err ..." (the reply says why)
  GYXSIM_ERR_ARGUMENT = -2,  // bad port number, model or arguments
  GYXSIM_ERR_START = -3,     // the simulator did not start or wrote no control port
  GYXSIM_ERR_CONNECT = -4,   // the control connection could not be made
  GYXSIM_ERR_IO = -5,        // the connection failed or closed
  GYXSIM_ERR_TIMEOUT = -6,   // no reply within the reply time-out
};

enum { GYXSIM_INPUT_MAX = 40000, GYXSIM_PATH_MAX = 400 };

// One running simulator. Not copyable (it owns a process and a socket); the
// destructor stops a simulator that still runs, so a failed test leaves none.
struct GyxSim {
  GyxSim() = default;
  ~GyxSim();
  GyxSim(const GyxSim &) = delete;
  GyxSim &operator=(const GyxSim &) = delete;

  int com = 0;                           // 1..4, 0 when not started
  SOCKET sock = INVALID_SOCKET;          // control connection
  unsigned long replyTimeoutMs = 30000;  // longer than any wait command's own time-out
  char dir[GYXSIM_PATH_MAX] = {};        // Linux path: port file and log
  char link[GYXSIM_PATH_MAX] = {};       // Linux path: $GYX_RUN_DIR/comN
  char in[GYXSIM_INPUT_MAX] = {};        // bytes received, not yet taken as a reply
  int inCount = 0;
  GyxLinuxProcess proc;
};

// Starts a simulator for "COM<com>:" playing model ("2200", "3200") and
// connects to it. extraArgs are further gyxsim options, blank-separated;
// double quotes group an argument with blanks (e.g. --firmware "Hv..."),
// null or "" for none. Returns once the simulator accepts commands and the
// port's link points at its pty. GYXSIM_OK or a negative GyxSimResult.
int GyxSimStart(GyxSim *sim, int com, const char *model, const char *extraArgs);

// Sends one command line and waits for its reply (without the line end).
// GYXSIM_OK when the reply begins with "ok", GYXSIM_ERR_REPLY for "err",
// another negative code when no reply came; reply (may be null) receives
// the reply text, cut to replySize-1 characters, or "" when none came.
int GyxSimSend(GyxSim *sim, const char *line, char *reply, int replySize);
// The same with printf formatting of the line.
int GyxSimSendf(GyxSim *sim, char *reply, int replySize, const char *fmt, ...);
// The reply as a string ("" when none came), for EXPECT_EQ and messages.
std::string GyxSimAsk(GyxSim *sim, const char *line);

// Asks the simulator to quit, waits for it to end (up to timeoutMs) and
// closes the connection; stops it by force when it does not quit.
// GYXSIM_OK, or GYXSIM_ERR_TIMEOUT when it had to be forced. Stopping a
// simulator that was never started is GYXSIM_OK.
int GyxSimStop(GyxSim *sim, unsigned long timeoutMs = 10000);

// Linux path of the simulator's log and its text so far (for failure messages).
std::string GyxSimLogPath(const GyxSim *sim);
std::string GyxSimLog(const GyxSim *sim);

// Linux path of the gyxsim program of the native build tree beside this one.
std::string GyxSimProgram();

#endif
