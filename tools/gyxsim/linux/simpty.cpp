// Pty pair, COM-port symlink and modem-line state for the simulator.
// Called by gyxsim_main at start-up, on every packet and at exit.
#include "simpty.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

static speed_t SpeedCode(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    default:
      return B9600;
  }
}

static int SpeedValue(speed_t code) {
  switch (code) {
    case B1200:
      return 1200;
    case B2400:
      return 2400;
    case B4800:
      return 4800;
    case B9600:
      return 9600;
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    case B57600:
      return 57600;
    case B115200:
      return 115200;
    default:
      return 0;
  }
}

int SimPtyOpen(SimPty *p, int baud, const char *modemDir) {
  memset(p, 0, sizeof *p);
  p->slave = -1;
  p->master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (p->master < 0) {
    fprintf(stderr, "gyxsim: posix_openpt: %s\n", strerror(errno));
    return SIM_ERR_IO;
  }
  const char *name = ptsname(p->master);
  if (grantpt(p->master) != 0 || unlockpt(p->master) != 0 || !name) {
    fprintf(stderr, "gyxsim: cannot unlock the pty: %s\n", strerror(errno));
    close(p->master);
    return SIM_ERR_IO;
  }
  snprintf(p->name, sizeof p->name, "%s", name);
  p->slave = open(p->name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (p->slave < 0) {
    fprintf(stderr, "gyxsim: open %s: %s\n", p->name, strerror(errno));
    close(p->master);
    return SIM_ERR_IO;
  }
  // Raw both ways: no echo, no CR/LF translation, no XON/XOFF handling;
  // the driver's side changes only what its port settings say.
  struct termios t;
  tcgetattr(p->slave, &t);
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  cfsetispeed(&t, SpeedCode(baud));
  cfsetospeed(&t, SpeedCode(baud));
  tcsetattr(p->slave, TCSANOW, &t);

  // "/dev/pts/7" -> "pts7", as the shim names it. A file left by an
  // earlier pty of the same number says nothing about this one.
  const char *num = strrchr(p->name, '/');
  snprintf(p->linesFile, sizeof p->linesFile, "%s/pts%s", modemDir, num ? num + 1 : p->name);
  mkdir(modemDir, 0777);
  unlink(p->linesFile);
  return SIM_OK;
}

int SimPtyLink(SimPty *p, const char *path) {
  char tmp[600];
  snprintf(tmp, sizeof tmp, "%s.%ld.tmp", path, (long)getpid());
  unlink(tmp);
  if (symlink(p->name, tmp) != 0 || rename(tmp, path) != 0) {
    fprintf(stderr, "gyxsim: cannot point %s at %s: %s\n", path, p->name, strerror(errno));
    unlink(tmp);
    return SIM_ERR_IO;
  }
  snprintf(p->link, sizeof p->link, "%s", path);
  return SIM_OK;
}

void SimPtyClose(SimPty *p) {
  if (p->link[0]) {
    char target[128];
    ssize_t n = readlink(p->link, target, sizeof target - 1);
    if (n > 0) {
      target[n] = 0;
      if (strcmp(target, p->name) == 0)  // another simulator may own it by now
        unlink(p->link);
    }
    p->link[0] = 0;
  }
  if (p->slave >= 0) close(p->slave);
  if (p->master >= 0) close(p->master);
  p->slave = p->master = -1;
}

int SimProcessGone(int pid) {
  if (kill(pid, 0) != 0 && errno == ESRCH) return 1;
  char path[64], stat[256];
  snprintf(path, sizeof path, "/proc/%d/stat", pid);
  FILE *f = fopen(path, "r");
  if (!f) return 1;
  size_t n = fread(stat, 1, sizeof stat - 1, f);
  fclose(f);
  stat[n] = 0;
  const char *paren = strrchr(stat, ')');  // the name may hold spaces
  return paren && paren[1] == ' ' && paren[2] == 'Z';
}

void SimPtyLines(const SimPty *p, SimLines *out) {
  memset(out, 0, sizeof *out);
  struct termios t;
  if (p->slave >= 0 && tcgetattr(p->slave, &t) == 0) out->baud = SpeedValue(cfgetospeed(&t));
  FILE *f = fopen(p->linesFile, "r");
  if (!f) return;
  int dtr = 0, rts = 0, pid = 0;
  int n = fscanf(f, "dtr=%d rts=%d pid=%d", &dtr, &rts, &pid);
  fclose(f);
  if (n < 2) return;
  out->dtr = dtr ? 1 : 0;
  out->rts = rts ? 1 : 0;
  out->owner = pid > 0 ? pid : 0;
  if (pid > 0 && SimProcessGone(pid)) {
    out->dtr = out->rts = 0;
    out->owner = -1;
  }
}

void SimPtyFlushInput(const SimPty *p) {
  if (p->slave >= 0) tcflush(p->slave, TCIFLUSH);
}

void SimPtyDrain(const SimPty *p, int timeoutMs) {
  // The kernel moves written bytes to the slave's input asynchronously, so
  // an empty input once may only mean the last bytes are still on their
  // way: it counts as drained when it stays empty for 10 ms.
  int emptyFor = 0;
  for (int waited = 0; p->slave >= 0 && waited < timeoutMs; waited += 2) {
    int unread = 0;
    if (ioctl(p->slave, FIONREAD, &unread) != 0) return;
    if (unread == 0) {
      if (emptyFor >= 10) return;
      emptyFor += 2;
      usleep(2000);
      continue;
    }
    emptyFor = 0;
    SimLines l;
    SimPtyLines(p, &l);
    if (l.owner < 0 || (l.owner > 0 && !l.dtr)) return;  // the port is closed: nobody will read
    usleep(2000);
  }
}
