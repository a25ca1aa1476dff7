/* reqcodes.h — request codes of the channel, shared by the library that sends
 * them and the driver that serves them. Arguments and replies are
 * little-endian 32-bit words unless a code says otherwise. */
#ifndef GYX_REQCODES_H
#define GYX_REQCODES_H

enum {
  REQ_TRANSPORT_INFO = 2, /* -> max request size, ring size */
  REQ_VERSION = 3,        /* major, minor -> 0 when spoken, else -1 */
  REQ_SHUTDOWN = 4,       /* force -> 0 accepted, -1 refused */
  REQ_GET_NUM_DEVICES = 101,
  REQ_GET_DEVICE_PORT = 103,
  REQ_GET_DRIVER_INFO = 104,
  REQ_UNSUPPORTED_105 = 105,
  REQ_UNSUPPORTED_106 = 106,
  REQ_UNSUPPORTED_107 = 107,
  REQ_GET_DATA_MODE = 108,
  REQ_IGNORED_109 = 109,
  REQ_IGNORED_110 = 110,
  REQ_IGNORED_111 = 111,
  REQ_SET_DATA_MODE = 112,
  REQ_OPEN = 113,
  REQ_CLOSE = 114,
  REQ_WRITE = 115,
  REQ_CONVERSE = 116,
  REQ_BEEP = 118,
  REQ_REZERO = 119,
  REQ_GRAB = 120,
  REQ_RELEASE = 121,
  REQ_GET_DEVICE_INFO = 122,
  REQ_GET_UI_MODE = 123,
  REQ_SET_UI_MODE = 124,
  REQ_RESET_QUEUE = 201
};

/* Protocol version this library speaks. */
#define REQ_PROTOCOL_MAJOR 1
#define REQ_PROTOCOL_MINOR 0

#endif
