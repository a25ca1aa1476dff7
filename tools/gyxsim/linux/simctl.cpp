// Control listener, connections and line framing of the simulator's command
// sources. Called by gyxsim_main's event loop.
#include "simctl.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

int SimCtlListen(int port, int *bound) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    fprintf(stderr, "gyxsim: socket: %s\n", strerror(errno));
    return -1;
  }
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  struct sockaddr_in a;
  memset(&a, 0, sizeof a);
  a.sin_family = AF_INET;
  a.sin_port = htons((uint16_t)port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(fd, (struct sockaddr *)&a, sizeof a) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, (struct sockaddr *)&a, &len) != 0) {
    fprintf(stderr, "gyxsim: cannot listen on 127.0.0.1:%d: %s\n", port, strerror(errno));
    close(fd);
    return -1;
  }
  *bound = ntohs(a.sin_port);
  return fd;
}

int SimCtlWritePortFile(const char *path, int port) {
  char tmp[600];
  snprintf(tmp, sizeof tmp, "%s.%ld.tmp", path, (long)getpid());
  FILE *f = fopen(tmp, "w");
  if (!f) {
    fprintf(stderr, "gyxsim: cannot write %s: %s\n", tmp, strerror(errno));
    return SIM_ERR_IO;
  }
  int ok = fprintf(f, "%d\n", port) > 0;
  ok = fclose(f) == 0 && ok;
  if (!ok || rename(tmp, path) != 0) {
    fprintf(stderr, "gyxsim: cannot write %s: %s\n", path, strerror(errno));
    unlink(tmp);
    return SIM_ERR_IO;
  }
  return SIM_OK;
}

int SimCtlAccept(int listener, SimSource *sources, int *nextId) {
  int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) return -1;
  for (int i = 0; i < SIM_SOURCE_MAX; i++) {
    SimSource *s = &sources[i];
    if (s->kind != SIM_SOURCE_FREE) continue;
    memset(s, 0, sizeof *s);
    s->kind = SIM_SOURCE_CONTROL;
    s->inFd = s->outFd = fd;
    s->id = (*nextId)++;
    int one = 1;  // replies are single short lines: send each at once
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return i;
  }
  const char busy[] = "err too many connections\n";
  (void)!write(fd, busy, sizeof busy - 1);
  close(fd);
  return -1;
}

void SimCtlRead(SimSource *s) {
  if (s->inFd < 0 || s->closed) return;
  int room = SIM_SOURCE_INPUT - s->inputCount;
  if (room == 0) return;  // a line is waiting for its session; read on later
  ssize_t n = read(s->inFd, s->input + s->inputCount, (size_t)room);
  if (n > 0)
    s->inputCount += (int)n;
  else if (n == 0 || (errno != EAGAIN && errno != EINTR))
    s->closed = 1;
}

int SimCtlTakeLine(SimSource *s, char *line, int size) {
  char *nl = (char *)memchr(s->input, '\n', (size_t)s->inputCount);
  int len;
  int used;
  if (nl) {
    len = (int)(nl - s->input);
    used = len + 1;
  } else if (s->inputCount == SIM_SOURCE_INPUT || (s->closed && s->inputCount > 0)) {
    len = used = s->inputCount;  // no line end will come, or none fits
  } else {
    return 0;
  }
  int copy = len < size - 1 ? len : size - 1;
  memcpy(line, s->input, (size_t)copy);
  line[copy] = 0;
  if (copy > 0 && line[copy - 1] == '\r') line[copy - 1] = 0;
  memmove(s->input, s->input + used, (size_t)(s->inputCount - used));
  s->inputCount -= used;
  s->scriptLine++;
  return 1;
}

void SimCtlReply(SimSource *s, const char *reply) {
  if (s->outFd < 0) return;
  size_t len = strlen(reply);
  char buf[SIM_REPLY_MAX + 1];
  memcpy(buf, reply, len);
  buf[len++] = '\n';
  size_t done = 0;
  while (done < len) {
    ssize_t n = s->kind == SIM_SOURCE_CONTROL ? send(s->outFd, buf + done, len - done, MSG_NOSIGNAL)
                                              : write(s->outFd, buf + done, len - done);
    if (n > 0) {
      done += (size_t)n;
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      struct pollfd p = {s->outFd, POLLOUT, 0};
      if (poll(&p, 1, 2000) > 0) continue;
    }
    s->closed = 1;  // the reader has gone or stopped reading
    return;
  }
}

void SimCtlClose(SimSource *s) {
  if (s->kind == SIM_SOURCE_CONTROL && s->inFd >= 0) close(s->inFd);
  memset(s, 0, sizeof *s);
  s->inFd = s->outFd = -1;
}
