/* Modem lines for ptys: a pty has no DTR/RTS/CTS/DSR/CD, so Wine's serial
 * code fails on it. Preloaded into Wine processes, this answers the four
 * modem-line ioctls for pty slaves and publishes DTR/RTS for the simulator. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

/* Linux numbers /dev/pts/N as major 136 + N / 256, minor N % 256. */
#define PTS_MAJOR_FIRST 136
#define PTS_MAJOR_LAST 143
#define MAX_PTYS 64

typedef int (*ioctl_fn)(int, unsigned long, ...);

struct pty_lines {
  int pts;   /* N of /dev/pts/N, -1 = free slot */
  int lines; /* TIOCM_DTR | TIOCM_RTS as last set */
};

static pthread_once_t once = PTHREAD_ONCE_INIT;
static ioctl_fn real_ioctl;
static char modem_dir[512];
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
static struct pty_lines ptys[MAX_PTYS];

static void setup(void) {
  const char *dir = getenv("GYX_MODEM_DIR");
  real_ioctl = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
  snprintf(modem_dir, sizeof modem_dir, "%s", dir && dir[0] ? dir : "/tmp/gyx-modem");
  for (int i = 0; i < MAX_PTYS; i++) ptys[i].pts = -1;
}

/* The pty number behind fd, or -1 when fd is not a pty slave. */
static int pts_number(int fd) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return -1;
  unsigned int maj = major(st.st_rdev);
  if (maj < PTS_MAJOR_FIRST || maj > PTS_MAJOR_LAST) return -1;
  return (int)((maj - PTS_MAJOR_FIRST) * 256 + minor(st.st_rdev));
}

/* Slot of a pty; a pty seen for the first time starts with DTR and RTS up,
 * as a real tty raises them when opened. Called with the lock held. */
static struct pty_lines *slot_of(int pts) {
  struct pty_lines *free_slot = NULL;
  for (int i = 0; i < MAX_PTYS; i++) {
    if (ptys[i].pts == pts) return &ptys[i];
    if (ptys[i].pts < 0 && !free_slot) free_slot = &ptys[i];
  }
  if (!free_slot) free_slot = &ptys[(unsigned)pts % MAX_PTYS]; /* forget an old pty */
  free_slot->pts = pts;
  free_slot->lines = TIOCM_DTR | TIOCM_RTS;
  return free_slot;
}

/* Writes "dtr=D rts=R pid=P\n" to <dir>/ptsN through a temporary file and a
 * rename, so a reader never sees half a state. The pid lets the reader tell
 * a state left behind by a process that has gone. Called with the lock held;
 * failures are silent because the serial call itself has succeeded. */
static void publish(const struct pty_lines *p) {
  char path[600], tmp[640], text[64];
  int saved = errno;
  snprintf(path, sizeof path, "%s/pts%d", modem_dir, p->pts);
  snprintf(tmp, sizeof tmp, "%s/.pts%d.%ld.tmp", modem_dir, p->pts, (long)getpid());
  int n = snprintf(text, sizeof text, "dtr=%d rts=%d pid=%ld\n", (p->lines & TIOCM_DTR) ? 1 : 0,
                   (p->lines & TIOCM_RTS) ? 1 : 0, (long)getpid());
  mkdir(modem_dir, 0777);
  int fd = open(tmp, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd >= 0) {
    int ok = write(fd, text, (size_t)n) == n;
    close(fd);
    if (!ok || rename(tmp, path) != 0) unlink(tmp);
  }
  errno = saved;
}

static int modem_call(int pts, unsigned long request, int *arg) {
  pthread_mutex_lock(&lock);
  struct pty_lines *p = slot_of(pts);
  switch (request) {
    case TIOCMGET:
      /* The far end is always there: CTS, DSR and CD up, no ring. */
      *arg = p->lines | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
      break;
    case TIOCMSET:
      p->lines = *arg & (TIOCM_DTR | TIOCM_RTS);
      break;
    case TIOCMBIS:
      p->lines |= *arg & (TIOCM_DTR | TIOCM_RTS);
      break;
    case TIOCMBIC:
      p->lines &= ~(*arg & (TIOCM_DTR | TIOCM_RTS));
      break;
  }
  if (request != TIOCMGET) publish(p); /* also when unchanged: it refreshes the owner's pid */
  pthread_mutex_unlock(&lock);
  return 0;
}

__attribute__((visibility("default"))) int ioctl(int fd, unsigned long request, ...) {
  va_list ap;
  va_start(ap, request);
  void *arg = va_arg(ap, void *);
  va_end(ap);

  pthread_once(&once, setup);
  if (!real_ioctl) {
    errno = ENOSYS;
    return -1;
  }
  int rc = real_ioctl(fd, request, arg);
  if (rc != -1) return rc;
  int err = errno;
  int modem = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
  if (!modem || (err != ENOTTY && err != EINVAL) || !arg) return rc;
  int pts = pts_number(fd);
  if (pts < 0) {
    errno = err;
    return rc;
  }
  return modem_call(pts, request, (int *)arg);
}
