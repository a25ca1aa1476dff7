// sim_win.cpp: starts the controller simulator from a Win32 test through the
// harness's Linux process wrapper and talks to it over winsock. Used by every
// test that needs a controller on a COM port.
#include "sim.h"

#include <ws2tcpip.h>

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "gyxfile.h"
#include "gyxpath.h"
#include "gyxwait.h"

namespace {

int Startup() {
  static int done = 0;
  if (!done) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return GYXSIM_ERR_CONNECT;
    done = 1;
  }
  return GYXSIM_OK;
}

// Blank-separated words; double quotes group a word with blanks.
std::vector<std::string> SplitArgs(const char *text) {
  std::vector<std::string> out;
  if (!text) return out;
  const char *p = text;
  while (*p) {
    while (*p == ' ' || *p == '\t') p++;
    if (!*p) break;
    std::string word;
    bool quoted = false;
    for (; *p && (quoted || (*p != ' ' && *p != '\t')); p++) {
      if (*p == '"')
        quoted = !quoted;
      else
        word.push_back(*p);
    }
    out.push_back(word);
  }
  return out;
}

int Connect(GyxSim *sim, int port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return GYXSIM_ERR_CONNECT;
  sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_port = htons((u_short)port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(s, (sockaddr *)&a, sizeof a) != 0) {
    closesocket(s);
    return GYXSIM_ERR_CONNECT;
  }
  BOOL one = TRUE;  // commands are single short lines: send each at once
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char *)&one, sizeof one);
  sim->sock = s;
  sim->inCount = 0;
  return GYXSIM_OK;
}

void CloseConnection(GyxSim *sim) {
  if (sim->sock != INVALID_SOCKET) closesocket(sim->sock);
  sim->sock = INVALID_SOCKET;
  sim->inCount = 0;
}

// Waits up to timeoutMs for the socket to become readable: 1, 0 on time-out,
// -1 on failure.
int WaitReadable(SOCKET s, unsigned long timeoutMs) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval tv;
  tv.tv_sec = (long)(timeoutMs / 1000);
  tv.tv_usec = (long)(timeoutMs % 1000) * 1000;
  int n = select(0, &set, nullptr, nullptr, &tv);
  return n < 0 ? -1 : n;
}

// One line from the connection, without its line end.
int ReadLine(GyxSim *sim, std::string *line) {
  const unsigned long long deadline = GyxNowMs() + sim->replyTimeoutMs;
  for (;;) {
    char *nl = (char *)memchr(sim->in, '\n', (size_t)sim->inCount);
    if (nl) {
      line->assign(sim->in, (size_t)(nl - sim->in));
      int used = (int)(nl - sim->in) + 1;
      memmove(sim->in, sim->in + used, (size_t)(sim->inCount - used));
      sim->inCount -= used;
      return GYXSIM_OK;
    }
    if (sim->inCount == GYXSIM_INPUT_MAX) return GYXSIM_ERR_IO;  // longer than any reply the simulator writes
    unsigned long long now = GyxNowMs();
    if (now >= deadline) return GYXSIM_ERR_TIMEOUT;
    int ready = WaitReadable(sim->sock, (unsigned long)(deadline - now));
    if (ready < 0) return GYXSIM_ERR_IO;
    if (ready == 0) continue;
    int n = recv(sim->sock, sim->in + sim->inCount, GYXSIM_INPUT_MAX - sim->inCount, 0);
    if (n <= 0) return GYXSIM_ERR_IO;
    sim->inCount += n;
  }
}

int SendAll(SOCKET s, const std::string &text) {
  size_t done = 0;
  while (done < text.size()) {
    int n = send(s, text.data() + done, (int)(text.size() - done), 0);
    if (n <= 0) return GYXSIM_ERR_IO;
    done += (size_t)n;
  }
  return GYXSIM_OK;
}

// Reads the port number the simulator wrote once it listens.
bool ReadPort(const std::string &path, int *port) {
  std::string text;
  if (!GyxReadFile(path, &text) || text.empty()) return false;
  *port = atoi(text.c_str());
  return *port > 0;
}

}  // namespace

GyxSim::~GyxSim() {
  if (com) GyxSimStop(this, 3000);
}

std::string GyxSimProgram() {
  // GYX_BINARY_DIR is this (win64) tree; the native tree is its sibling.
  std::string bin = GYX_BINARY_DIR;
  size_t slash = bin.find_last_of('/');
  return bin.substr(0, slash) + "/native/tools/gyxsim/gyxsim";
}

std::string GyxSimLogPath(const GyxSim *sim) {
  return sim->dir[0] ? std::string(sim->dir) + "/gyxsim.log" : std::string();
}

std::string GyxSimLog(const GyxSim *sim) {
  std::string text;
  if (sim->dir[0]) GyxReadFile(GyxSimLogPath(sim), &text);
  return text + sim->proc.Output();
}

int GyxSimStart(GyxSim *sim, int com, const char *model, const char *extraArgs) {
  if (sim->com) GyxSimStop(sim);
  if (com < 1 || com > 4 || !model || !model[0]) return GYXSIM_ERR_ARGUMENT;
  if (Startup() != GYXSIM_OK) return GYXSIM_ERR_CONNECT;
  const std::string run = GyxRunDir();
  if (run.empty()) return GYXSIM_ERR_START;  // COMn is mapped only inside scripts/wineenv.sh
  const std::string dir = GyxMakeUniqueDir(run + "/sim", ("com" + std::to_string(com)).c_str());
  if (dir.empty() || dir.size() >= GYXSIM_PATH_MAX) return GYXSIM_ERR_START;
  snprintf(sim->dir, sizeof sim->dir, "%s", dir.c_str());
  snprintf(sim->link, sizeof sim->link, "%s/com%d", run.c_str(), com);
  const std::string portFile = dir + "/control.port";

  std::vector<std::string> argv = {GyxSimProgram(),   "--model", model,         "--link", sim->link,
                                   "--control",       "0",       "--port-file", portFile, "--log",
                                   GyxSimLogPath(sim)};
  const long self = GyxLinuxPidOfSelf();
  if (self > 0) {
    argv.push_back("--parent-pid");
    argv.push_back(std::to_string(self));
  }
  for (const std::string &a : SplitArgs(extraArgs)) argv.push_back(a);
  if (!sim->proc.Start(argv)) return GYXSIM_ERR_START;
  sim->com = com;

  int port = 0;
  if (!GyxWaitFor([&] { return ReadPort(portFile, &port) || !sim->proc.Running(); }, 10000) || port == 0) {
    GyxSimStop(sim, 2000);
    return GYXSIM_ERR_START;
  }
  int rc = Connect(sim, port);
  if (rc != GYXSIM_OK) GyxSimStop(sim, 2000);
  return rc;
}

int GyxSimSend(GyxSim *sim, const char *line, char *reply, int replySize) {
  if (reply && replySize > 0) reply[0] = 0;
  if (!line || strchr(line, '\n')) return GYXSIM_ERR_ARGUMENT;
  if (sim->sock == INVALID_SOCKET) return GYXSIM_ERR_IO;
  int rc = SendAll(sim->sock, std::string(line) + "\n");
  std::string answer;
  if (rc == GYXSIM_OK) rc = ReadLine(sim, &answer);
  if (rc != GYXSIM_OK) return rc;
  if (reply && replySize > 0) snprintf(reply, (size_t)replySize, "%s", answer.c_str());
  return answer.compare(0, 2, "ok") == 0 ? GYXSIM_OK : GYXSIM_ERR_REPLY;
}

int GyxSimSendf(GyxSim *sim, char *reply, int replySize, const char *fmt, ...) {
  char line[4096];
  va_list ap;
  va_start(ap, fmt);
  int n = vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  if (n < 0 || n >= (int)sizeof line) return GYXSIM_ERR_ARGUMENT;
  return GyxSimSend(sim, line, reply, replySize);
}

std::string GyxSimAsk(GyxSim *sim, const char *line) {
  std::vector<char> reply(GYXSIM_INPUT_MAX);
  GyxSimSend(sim, line, reply.data(), (int)reply.size());
  return reply.data();
}

int GyxSimStop(GyxSim *sim, unsigned long timeoutMs) {
  if (!sim->com) return GYXSIM_OK;
  int rc = GYXSIM_OK;
  bool quit = false;
  if (sim->sock != INVALID_SOCKET) {
    unsigned long saved = sim->replyTimeoutMs;
    sim->replyTimeoutMs = timeoutMs;
    quit = GyxSimSend(sim, "quit", nullptr, 0) == GYXSIM_OK;
    sim->replyTimeoutMs = saved;
  }
  CloseConnection(sim);
  if (!quit || !sim->proc.Wait(timeoutMs)) {
    sim->proc.Stop(timeoutMs);
    rc = GYXSIM_ERR_TIMEOUT;
  }
  sim->com = 0;
  return rc;
}
