/* udcomwin_win.cpp — a device's COM port on Win32: open with the model's
 * line settings, overlapped reads without waiting, paced writes, the wake-up
 * the main loop waits on, and close with DTR and RTS dropped. Reached through
 * UdWin32System and, for the main loop, UdComReadEvent/UdComArm. */
#include <windows.h>

#include <new>
#include <stddef.h>
#include <string.h>

#include "udcomwin.h"
#include "udpace.h"
#include "udsystem.h"

/* One OVERLAPPED per kind of operation, so that no two operations are ever
 * outstanding on one structure: the comm-event wait and a read share the
 * read event (the one handle the main loop waits on for this device), a
 * write has its own event and never wakes the loop.
 *
 * Reads come in two kinds, each with its own time-outs (set only when the
 * kind changes). Between packets a read takes whatever is waiting
 * (ReadIntervalTimeout MAXDWORD, the others 0): Windows completes it at
 * once, with no bytes when none are waiting, and the comm-event wait is the
 * wake-up; Wine leaves it pending until bytes arrive. Once a packet has
 * begun, a read asks for the bytes the model says the packet still needs at
 * least, with a total time-out of 2 ms a byte plus 20 ms: both systems
 * complete it when they are all there, so a packet wakes the loop about
 * twice instead of once per byte, and a packet cut short costs at most the
 * time-out. A sized read that times out empty goes back to the first kind,
 * so a silent device never wakes the loop.
 *
 * Wine completes a pending read through the server once per byte that
 * arrives (a signal and two server calls each), however many bytes it asks
 * for. So when a packet still wants more than a few bytes, the port first
 * sleeps through the line time of all but the last of them (udpace.h): no
 * read is pending meanwhile, the main loop waits until UdComDueIn says, and
 * only then starts the sized read, which finds most bytes already there and
 * ends with the last one. A pending read keeps writing into
 * the buffer it was given, so that buffer lives here, in the device record,
 * and its bytes are handed out by the next UdComWinRead. */
struct ComPort {
  int32_t open;
  HANDLE port;
  HANDLE readEvent;  /* auto reset: the main loop's wait takes each completion's signal */
  HANDLE writeEvent; /* manual reset: write completions */
  OVERLAPPED waitOv;
  DWORD waitMask;
  int32_t waitPending;
  OVERLAPPED readOv;
  int32_t readPending;
  int32_t readStart; /* undelivered bytes: readBuf[readStart .. readStart+readHave) */
  int32_t readHave;
  int32_t sized;     /* time-outs in force: 1 sized reads, 0 whatever is waiting */
  int32_t sizedIdle; /* the last sized read timed out with nothing */
  int32_t armed;     /* the main loop starts the reads from now on (UdComArm) */
  int64_t dueUs;     /* a sleep through a packet's bytes ends then (NowUs); 0 none */
  uint8_t readBuf[256];
  OVERLAPPED writeOv;
  int32_t writePending;
  uint8_t writeBuf[256]; /* a pending write reads from here, not from the caller */
  DCB saved;             /* the settings found at open, restored at close */
};
static_assert(sizeof(ComPort) <= UD_COM_STATE_SIZE, "port state must fit the device record");
static_assert(alignof(ComPort) <= 8, "device record storage is 8-byte aligned");

enum {
  SIZED_MS_PER_BYTE = 2, /* 9600 baud takes about 1.04 ms a byte */
  SIZED_MS_CONSTANT = 20,
  WRITE_WAIT_MS = 2000, /* longest wait for the previous write: 256 bytes take ~270 ms */
  DRAIN_WAIT_MS = 1000  /* longest wait for cancelled operations at close */
};

/* A clock fine enough for byte times (the tick count moves in 16 ms steps). */
static int64_t NowUs(void) {
  static LARGE_INTEGER freq;
  if (freq.QuadPart == 0) QueryPerformanceFrequency(&freq);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (int64_t)(now.QuadPart / freq.QuadPart * 1000000 +
                   now.QuadPart % freq.QuadPart * 1000000 / freq.QuadPart);
}

/* The port state is created in place by UdComWinOpen; zero bytes (a record
 * never opened, or closed) read as "not open". */
static ComPort *PortOf(UdDevice *dev) {
  return std::launder(reinterpret_cast<ComPort *>(dev->comState));
}

static void ClearPort(UdDevice *dev) {
  memset(dev->comState, 0, sizeof dev->comState);
  new (dev->comState) ComPort();
}

/* ---- Open and close ------------------------------------------------------ */

int32_t UdComWinOpen(UdDevice *dev) {
  if (dev == NULL || dev->model == NULL) return UD_FAIL(UD_PORT_ERROR);
  if (PortOf(dev)->open) return UD_FAIL(UD_PORT_ERROR);
  ClearPort(dev);
  ComPort *cp = PortOf(dev);
  const UdModel *m = dev->model;

  HANDLE port = CreateFileA(dev->portName, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED | FILE_FLAG_NO_BUFFERING, NULL);
  if (port == NULL || port == INVALID_HANDLE_VALUE) return UD_FAIL(UD_PORT_ERROR);

  HANDLE readEvent = NULL, writeEvent = NULL;
  int line = 0;
  DCB dcb;
  memset(&dcb, 0, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  COMMTIMEOUTS timeouts = {MAXDWORD, 0, 0, 0, 0};
  if (!GetCommState(port, &dcb)) {
    line = __LINE__;
    goto fail;
  }
  cp->saved = dcb;
  dcb.BaudRate = (DWORD)m->baudRate;
  dcb.ByteSize = (BYTE)m->dataBits;
  dcb.StopBits = m->stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  dcb.Parity = m->parity == 2   ? MARKPARITY
               : m->parity == 3 ? ODDPARITY
               : m->parity == 4 ? EVENPARITY
                                : NOPARITY;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fDtrControl = m->dtrControl == 1 ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  dcb.fRtsControl = m->rtsControl == 1 ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
  if (!SetCommState(port, &dcb)) {
    line = __LINE__;
    goto fail;
  }
  EscapeCommFunction(port, SETRTS); /* results ignored: the DCB already asked for it */
  EscapeCommFunction(port, SETDTR);
  if (!SetCommTimeouts(port, &timeouts)) {
    line = __LINE__;
    goto fail;
  }
  readEvent = CreateEventA(NULL, FALSE, FALSE, NULL);
  writeEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
  if (readEvent == NULL || writeEvent == NULL) {
    line = __LINE__;
    goto fail;
  }
  SetCommMask(port, EV_RXCHAR);

  cp->port = port;
  cp->readEvent = readEvent;
  cp->writeEvent = writeEvent;
  cp->waitOv.hEvent = readEvent;
  cp->readOv.hEvent = readEvent;
  cp->writeOv.hEvent = writeEvent;
  cp->open = 1;
  return 0;

fail:
  /* Nothing of a failed open stays behind: the port is free for the next try. */
  if (readEvent != NULL) CloseHandle(readEvent);
  if (writeEvent != NULL) CloseHandle(writeEvent);
  CloseHandle(port);
  ClearPort(dev);
  return UdFail(__FILE__, line, UD_PORT_ERROR);
}

/* Waits until every operation still outstanding has completed (they were
 * cancelled), so that none of them writes into the state after it is gone. */
static void DrainPending(ComPort *cp) {
  OVERLAPPED *ops[3] = {cp->waitPending ? &cp->waitOv : NULL, cp->readPending ? &cp->readOv : NULL,
                        cp->writePending ? &cp->writeOv : NULL};
  for (int i = 0; i < 3; i++) {
    if (ops[i] == NULL) continue;
    DWORD start = GetTickCount();
    while (!HasOverlappedIoCompleted(ops[i]) && GetTickCount() - start < DRAIN_WAIT_MS) Sleep(1);
    DWORD n;
    GetOverlappedResult(cp->port, ops[i], &n, FALSE);
  }
  cp->waitPending = cp->readPending = cp->writePending = 0;
}

int32_t UdComWinClose(UdDevice *dev) {
  if (dev == NULL || !PortOf(dev)->open) return UD_FAIL(UD_PORT_ERROR);
  ComPort *cp = PortOf(dev);
  PurgeComm(cp->port, PURGE_TXABORT);
  PurgeComm(cp->port, PURGE_RXABORT);
  PurgeComm(cp->port, PURGE_TXCLEAR);
  PurgeComm(cp->port, PURGE_RXCLEAR);
  CancelIo(cp->port); /* the comm-event wait too; one thread issues everything */
  DrainPending(cp);

  DCB dcb = cp->saved;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  BOOL restored = SetCommState(cp->port, &dcb);
  EscapeCommFunction(cp->port, CLRDTR); /* the lines drop even if the settings were refused */
  EscapeCommFunction(cp->port, CLRRTS);
  BOOL closed = CloseHandle(cp->port);
  CloseHandle(cp->readEvent);
  CloseHandle(cp->writeEvent);
  ClearPort(dev);
  if (!restored || !closed) return UD_FAIL(UD_PORT_ERROR);
  return 0;
}

/* ---- Reading ------------------------------------------------------------- */

/* Takes the result of a completed comm-event wait. */
static void CollectWait(ComPort *cp) {
  if (!cp->waitPending || !HasOverlappedIoCompleted(&cp->waitOv)) return;
  DWORD n;
  GetOverlappedResult(cp->port, &cp->waitOv, &n, FALSE);
  cp->waitPending = 0;
}

/* A sized read that brings nothing means the packet under way stopped
 * short: the next read waits for any byte, until bytes come again. */
static void NoteReadResult(ComPort *cp) {
  if (cp->readHave > 0)
    cp->sizedIdle = 0;
  else if (cp->sized)
    cp->sizedIdle = 1;
}

/* Takes the result of a pending read: 1 completed (its bytes are in
 * readBuf), 0 still pending, -1 failed. */
static int CollectRead(ComPort *cp) {
  if (!cp->readPending) return 1;
  if (!HasOverlappedIoCompleted(&cp->readOv)) return 0;
  DWORD got = 0;
  BOOL ok = GetOverlappedResult(cp->port, &cp->readOv, &got, FALSE);
  cp->readPending = 0;
  /* A sized read that ran out of time is a short read, not a failure (Wine
   * reports it so when nothing came). */
  DWORD err = ok ? 0 : GetLastError();
  if (!ok && err != ERROR_TIMEOUT && err != ERROR_SEM_TIMEOUT) return UD_FAIL(-1);
  cp->readStart = 0;
  cp->readHave = ok ? (int32_t)got : 0;
  NoteReadResult(cp);
  return 1;
}

/* Bytes waiting in the port's input queue (0 when it cannot say). Wine
 * answers this in the calling process, without a server call. */
static int32_t Queued(ComPort *cp) {
  DWORD errors = 0;
  COMSTAT stat;
  if (!ClearCommError(cp->port, &errors, &stat)) return 0;
  return stat.cbInQue > 0x7FFFFFFF ? 0x7FFFFFFF : (int32_t)stat.cbInQue;
}

/* Puts the time-outs of the wanted kind of read in force: 0, or -1. */
static int UseReadKind(ComPort *cp, int32_t sized) {
  if (cp->sized == sized) return 0;
  COMMTIMEOUTS t = {MAXDWORD, 0, 0, 0, 0};
  if (sized) t = {0, SIZED_MS_PER_BYTE, SIZED_MS_CONSTANT, 0, 0};
  if (!SetCommTimeouts(cp->port, &t)) return UD_FAIL(-1);
  cp->sized = sized;
  return 0;
}

/* Starts a read of up to want bytes into readBuf: 1 completed at once (its
 * bytes, possibly none, are in readBuf), 0 left pending, -1 failed. */
static int StartRead(ComPort *cp, int32_t want) {
  if (want > (int32_t)sizeof cp->readBuf) want = (int32_t)sizeof cp->readBuf;
  DWORD got = 0;
  if (ReadFile(cp->port, cp->readBuf, (DWORD)want, &got, &cp->readOv)) {
    cp->readStart = 0;
    cp->readHave = (int32_t)got;
    NoteReadResult(cp);
    /* A read that completes at once still signals the event; with no wait
     * outstanding that signal means nothing and would only wake the loop. */
    if (!cp->waitPending) ResetEvent(cp->readEvent);
    return 1;
  }
  if (GetLastError() == ERROR_IO_PENDING) {
    cp->readPending = 1;
    return 0;
  }
  return UD_FAIL(-1);
}

static int32_t TakeBuffered(ComPort *cp, uint8_t *buf, int32_t max) {
  int32_t n = cp->readHave < max ? cp->readHave : max;
  memcpy(buf, cp->readBuf + cp->readStart, (size_t)n);
  cp->readStart += n;
  cp->readHave -= n;
  return n;
}

int32_t UdComWinRead(UdDevice *dev, uint8_t *buf, int32_t max) {
  if (dev == NULL || buf == NULL || max < 0 || !PortOf(dev)->open) return UD_FAIL(-1);
  ComPort *cp = PortOf(dev);
  CollectWait(cp);
  int collected = CollectRead(cp);
  if (collected == 0) return 0; /* still pending: its bytes come with a later call */
  int32_t n = TakeBuffered(cp, buf, max);
  if (n < max && cp->readHave == 0 && !cp->armed) {
    int started = StartRead(cp, max - n);
    if (started == 1) n += TakeBuffered(cp, buf + n, max - n);
    if (started < 0 && n == 0) return -1;
  }
  if (collected < 0 && n == 0) return -1;
  return n;
}

void *UdComReadEvent(UdDevice *dev) {
  if (dev == NULL || !PortOf(dev)->open) return NULL;
  return PortOf(dev)->readEvent;
}

int32_t UdComDueIn(UdDevice *dev) {
  if (dev == NULL || !PortOf(dev)->open || PortOf(dev)->dueUs == 0) return -1;
  int64_t left = PortOf(dev)->dueUs - NowUs();
  return left <= 0 ? 0 : (int32_t)((left + 999) / 1000);
}

int32_t UdComArm(UdDevice *dev) {
  if (dev == NULL || !PortOf(dev)->open) {
    UD_FAIL(UD_BAD_ARGUMENT);
    return 0;
  }
  ComPort *cp = PortOf(dev);
  if (cp->readHave > 0) return 1;
  /* A completion found here, not by the loop's wait, leaves its signal
   * behind: take it, or the loop wakes once more for nothing. */
  if (cp->readPending) {
    if (!HasOverlappedIoCompleted(&cp->readOv)) return 0;
    ResetEvent(cp->readEvent);
    return 1;
  }
  if (cp->waitPending) {
    if (!HasOverlappedIoCompleted(&cp->waitOv)) return 0;
    ResetEvent(cp->readEvent);
    CollectWait(cp);
    return 1;
  }
  int32_t slept = 0;
  if (cp->dueUs != 0) {
    if (NowUs() < cp->dueUs) return 0;
    cp->dueUs = 0;
    slept = 1;
  }
  cp->armed = 1;
  int32_t want = cp->sizedIdle ? 0 : UdBytesWanted(dev);
  int32_t queued = Queued(cp);
  if (!slept && want > queued) {
    int32_t sleepUs = UdPaceMicros(dev->model, want - queued);
    if (sleepUs > 0) {
      cp->dueUs = NowUs() + sleepUs;
      return 0;
    }
  }
  /* Between the packets of a busy device the sized kind stays in force (each
   * change of the time-outs costs Wine two server calls): the next packet's
   * first byte is a sized read too. One that times out empty marks the device
   * idle, and it waits in the first kind. Whatever is queued is read at once. */
  if (want == 0 && cp->sized && !cp->sizedIdle) want = 1;
  if (want > 0 && queued > want) want = queued;
  /* When the time-outs cannot be changed, the kind in force stays. */
  if (UseReadKind(cp, want > 0) != 0) want = cp->sized ? (want > 0 ? want : 1) : 0;
  int started = StartRead(cp, want > 0 ? want : (int32_t)sizeof cp->readBuf);
  if (started == 0) return 0;                                   /* pending read: it wakes the loop */
  if (started == 1 && cp->readHave == 0 && cp->sized) return 1; /* timed out at once: try again */
  if (started == 1 && cp->readHave > 0) return 1;
  /* Nothing waiting and the read did not stay pending: wait for the next byte. */
  if (WaitCommEvent(cp->port, &cp->waitMask, &cp->waitOv)) return 1;
  if (GetLastError() == ERROR_IO_PENDING) {
    cp->waitPending = 1;
    return 0;
  }
  return UD_FAIL(-1); /* the port refuses: the caller decides whether it is gone */
}

/* ---- Writing ------------------------------------------------------------- */

/* Lets the previous write finish before writeOv and writeBuf are reused. */
static int FinishWrite(ComPort *cp) {
  if (!cp->writePending) return 0;
  DWORD n;
  if (WaitForSingleObject(cp->writeEvent, WRITE_WAIT_MS) != WAIT_OBJECT_0 ||
      !HasOverlappedIoCompleted(&cp->writeOv)) {
    CancelIoEx(cp->port, &cp->writeOv);
    DWORD start = GetTickCount();
    while (!HasOverlappedIoCompleted(&cp->writeOv) && GetTickCount() - start < DRAIN_WAIT_MS) Sleep(1);
  }
  BOOL ok = GetOverlappedResult(cp->port, &cp->writeOv, &n, FALSE);
  cp->writePending = 0;
  return ok ? 0 : -1;
}

int32_t UdComWinWrite(UdDevice *dev, const uint8_t *bytes, int32_t count) {
  if (dev == NULL || bytes == NULL || count < 1 || !PortOf(dev)->open) return UD_FAIL(-1);
  ComPort *cp = PortOf(dev);
  for (int32_t sent = 0; sent < count;) {
    FinishWrite(cp); /* a failure there concerned bytes already reported as written */
    int32_t chunk = count - sent;
    if (chunk > (int32_t)sizeof cp->writeBuf) chunk = (int32_t)sizeof cp->writeBuf;
    memcpy(cp->writeBuf, bytes + sent, (size_t)chunk);
    DWORD done = 0;
    if (WriteFile(cp->port, cp->writeBuf, (DWORD)chunk, &done, &cp->writeOv)) {
      if ((int32_t)done != chunk) return UD_FAIL(-1);
    } else if (GetLastError() == ERROR_IO_PENDING) {
      /* About the time 9600 baud needs for these bytes; the write finishes
       * in the background and the next write waits for it. */
      cp->writePending = 1;
      Sleep((DWORD)chunk);
    } else {
      return UD_FAIL(-1);
    }
    sent += chunk;
  }
  return count;
}
