/* echo_main_win.cpp — gyxbench_echo COMn [--wake MODE]: the bare
 * Win32 baseline of the latency loop. It opens the port as the driver does
 * (overlapped, 9600 8N1, reads that return at once), waits for input, reads
 * what came, and for every CR (the end of a packet) writes one byte back.
 * The simulator's latency rounds time it exactly as they time the driver
 * and a library client.
 *   --wake event  (default) WaitCommEvent(EV_RXCHAR), then ReadFile
 *   --wake read   an overlapped ReadFile, which Wine leaves pending until
 *                 bytes arrive: the wake-up the driver uses under Wine
 *   --wake rxflag WaitCommEvent(EV_RXFLAG) with CR as the event character,
 *                 then ReadFile: Windows's wake-up on a packet's end
 *   --wake interval  ReadFile of 256 bytes with ReadIntervalTimeout 5 ms
 *                 (--gap-ms N) and no total time-out: Windows ends it at a
 *                 gap in the input
 *   --wake sized  the driver's reads: any byte between packets, then the
 *                 rest of a 16-byte packet with a total time-out
 * The last three are how one wake-up per packet could be had; what each
 * system does with them is what they are here to show.
 * Prints "ready", then "echoes=N wakes=W bytes=B" when standard input ends
 * (wakes: completed waits and reads that brought bytes or an event). */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench/benchio.h"

/* Waits for an overlapped operation or for the end of standard input:
 * 1 completed (n filled), 0 stopped, -1 failed. */
static int Finish(HANDLE port, OVERLAPPED *ov, DWORD *n) {
  HANDLE waits[2] = {ov->hEvent, (HANDLE)BenchStopEvent()};
  for (;;) {
    DWORD r = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (r != WAIT_OBJECT_0) {
      CancelIo(port);
      return 0;
    }
    if (GetOverlappedResult(port, ov, n, FALSE)) return 1;
    if (GetLastError() != ERROR_IO_INCOMPLETE) return -1;
    /* Wine has been seen to signal a comm-event wait's event before the wait
     * completed (error 996 here, once in many runs): wait for the completion
     * itself. Reset first, then look, so that a completion in between is not
     * lost. */
    ResetEvent(ov->hEvent);
    if (HasOverlappedIoCompleted(ov)) SetEvent(ov->hEvent);
  }
}

int main(int argc, char **argv) {
  char name[32];
  snprintf(name, sizeof name, "\\\\.\\%s", argc > 1 ? argv[1] : "COM1");
  if (BenchWatchStdin() != 0) return 1;
  HANDLE port =
      CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, NULL);
  if (port == INVALID_HANDLE_VALUE) {
    fprintf(stderr, "gyxbench_echo: cannot open %s (error %lu)\n", name, GetLastError());
    return 1;
  }
  DCB dcb;
  ZeroMemory(&dcb, sizeof dcb);
  dcb.DCBlength = sizeof dcb;
  GetCommState(port, &dcb);
  dcb.BaudRate = 9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  const char *wake = BenchArg(argc, argv, "--wake", "event");
  const int byFlag = strcmp(wake, "rxflag") == 0;
  const int byInterval = strcmp(wake, "interval") == 0;
  const int bySize = strcmp(wake, "sized") == 0;
  dcb.EvtChar = '\r';
  COMMTIMEOUTS timeouts = {MAXDWORD, 0, 0, 0, 0};
  COMMTIMEOUTS interval = {(DWORD)atoi(BenchArg(argc, argv, "--gap-ms", "5")), 0, 0, 0, 0};
  COMMTIMEOUTS sized = {0, 2, 20, 0, 0};
  if (byInterval) timeouts = interval;
  if (!SetCommState(port, &dcb) || !SetCommTimeouts(port, &timeouts) ||
      !SetCommMask(port, byFlag ? EV_RXFLAG : EV_RXCHAR)) {
    fprintf(stderr, "gyxbench_echo: cannot set up %s (error %lu)\n", name, GetLastError());
    return 1;
  }
  OVERLAPPED waitOv, readOv, writeOv;
  ZeroMemory(&waitOv, sizeof waitOv);
  ZeroMemory(&readOv, sizeof readOv);
  ZeroMemory(&writeOv, sizeof writeOv);
  waitOv.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
  readOv.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
  writeOv.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
  BenchSay("ready");

  const int byEvent = byFlag || strcmp(wake, "event") == 0;
  long echoes = 0, wakes = 0, bytes = 0;
  DWORD inPacket = 0; /* sized: bytes of the packet under way */
  int sizedInForce = 0;
  int ok = 1;
  while (ok == 1 && !BenchStopped()) {
    DWORD mask = 0, n = 0;
    ResetEvent(waitOv.hEvent);
    if (byEvent) {
      if (!WaitCommEvent(port, &mask, &waitOv)) {
        if (GetLastError() != ERROR_IO_PENDING) break;
        ok = Finish(port, &waitOv, &n);
        if (ok != 1) break;
      }
      wakes++;
    }
    DWORD want = sizeof(uint8_t[256]);
    if (bySize) {
      int useSized = inPacket > 0 && inPacket < 16;
      if (useSized != sizedInForce && !SetCommTimeouts(port, useSized ? &sized : &timeouts)) break;
      sizedInForce = useSized;
      if (useSized) want = 16 - inPacket;
    }
    uint8_t buf[256];
    ResetEvent(readOv.hEvent);
    ok = 1;
    if (!ReadFile(port, buf, want, &n, &readOv)) {
      if (GetLastError() != ERROR_IO_PENDING) break;
      ok = Finish(port, &readOv, &n);
      /* A sized read that ran out of time is a short read. */
      if (ok < 0 && (GetLastError() == ERROR_TIMEOUT || GetLastError() == ERROR_SEM_TIMEOUT)) ok = 1, n = 0;
    }
    if (ok == 1 && n > 0 && !byEvent) wakes++;
    if (ok == 1 && n == 0 && bySize) inPacket = 0; /* cut short: wait for any byte again */
    bytes += (long)n;
    for (DWORD i = 0; ok == 1 && i < n; i++) {
      inPacket = buf[i] == '\r' ? 0 : inPacket + 1;
      if (buf[i] != '\r') continue;
      DWORD wrote = 0;
      ResetEvent(writeOv.hEvent);
      if (!WriteFile(port, "e", 1, &wrote, &writeOv)) {
        if (GetLastError() != ERROR_IO_PENDING) {
          ok = -1;
          break;
        }
        ok = Finish(port, &writeOv, &wrote);
      }
      echoes++;
    }
  }
  if (ok < 0) fprintf(stderr, "gyxbench_echo: I/O failed (error %lu)\n", GetLastError());
  BenchSay("echoes=%ld wakes=%ld bytes=%ld", echoes, wakes, bytes);
  CloseHandle(port);
  return ok < 0 ? 1 : 0;
}
