/* uddev.h — the device layer's one public header: result codes, the model
 * table, the device record and the per-model operations, and every Ud… entry
 * point. The driver's start-up, request service and settings window use only
 * what is declared here; protocol bytes stay inside the model files. */
#ifndef GYX_UDDEV_H
#define GYX_UDDEV_H

#include <stdint.h>

#include "lib/gyrantrix.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. 0 is success; every failure is negative. */
enum {
  UD_OK = 0,               /* success; from parse: no event available yet */
  UD_IO_ERROR = -1,        /* serial read or write failed */
  UD_PORT_ERROR = -3,      /* the port cannot be opened, configured or closed */
  UD_NO_DEVICE = -4,       /* no device, or one of another model, answered; or the type has no protocol */
  UD_BAD_ARGUMENT = -6,    /* null device or argument, device not open, or a command cannot be sent */
  UD_UNSUPPORTED = -10,    /* the model lacks the operation */
  UD_PACKET_EVENT = -11,   /* parsers only: a packet was consumed and produced an event */
  UD_PACKET_SKIPPED = -13, /* parsers only: a packet was consumed without an event */
  UD_EVENT_READY = -14     /* from parse: the event record has been filled */
};

enum {
  UD_MAX_DEVICES = 4, /* one record per port, COM1: to COM4: */
  UD_TEXT_SIZE = 128, /* fixed text fields, NUL-terminated */
  UD_IDENT_SIZE = 136,
  UD_APPFILE_SIZE = 256,
  UD_LABEL_SIZE = 32,
  UD_NUM_LABELS = 11,       /* button1..button9, leftbutton, rightbutton */
  UD_RX_SIZE = 1024,        /* receive buffer: bytes of packets not yet complete */
  UD_COM_STATE_SIZE = 1024, /* room for the serial layer's private port state */
  UD_PERIOD_MS = 50         /* period reported by getPeriod and given to made-up zero events */
};

typedef struct UdDevice UdDevice;
typedef struct UdOps UdOps;

/* Per-axis settings of a device, indexed by the outgoing axis in the order
 * tx, ty, tz, rx, ry, rz. The defaults (scale 1, no inversion, dead zone 0,
 * each axis fed by itself) leave events exactly as they were. */
enum { UD_NUM_AXES = 6 };
typedef struct UdAxis {
  float scale;      /* multiplies the global sensitivity, 0 to 16 */
  int32_t invert;   /* 1: the value changes sign */
  int32_t deadZone; /* values whose magnitude is at or below it become 0 */
  int32_t source;   /* incoming axis (0 tx … 5 rz) that feeds this one */
} UdAxis;

/* A key combination a button becomes while no library client is in front:
 * a virtual-key code (0: the button has none) and the modifiers held with it. */
enum { UD_MOD_CTRL = 1, UD_MOD_SHIFT = 2, UD_MOD_ALT = 4, UD_MOD_WIN = 8 };
typedef struct UdKey {
  uint8_t vk;
  uint8_t mods;
} UdKey;

/* A model's identification: the probe bytes it answers, the prefix its reply
 * starts with, and how many bytes of reply (prefix included) go into ident. */
typedef struct UdProbe {
  const uint8_t *probe;
  int32_t probeLength;
  const char *prefix;
  int32_t replyLength; /* at most UD_IDENT_SIZE - 1 */
  int32_t strip7;      /* 1: bit 7 of every received byte is removed */
} UdProbe;

/* One button of the cooked layout: the device's raw bit and the common bit
 * it becomes. Raw bits without an entry are dropped. */
typedef struct UdButtonBit {
  int8_t raw;
  int8_t common;
} UdButtonBit;

enum { UD_MAX_BUTTON_BITS = 16 };

/* One row of the model table: everything the driver knows about a model.
 * The rows live in udtable.cpp, the one place that names models; code
 * elsewhere reads the facts from the device's row. */
typedef struct UdModel {
  int32_t type;        /* model type code (GI_TYPE_...), stored in device records */
  int32_t variant;     /* 0 in every row; type and variant together select the row */
  int32_t deviceClass; /* class code (GI_CLASS_...); type masks may select a class */
  int32_t numButtons;
  int32_t numDegrees;
  int32_t canBeep;         /* 1 when the model has a beeper */
  char name[UD_TEXT_SIZE]; /* also the "devicetype" value that selects the model */
  int32_t baudRate;
  int32_t dataBits;
  int32_t parity;     /* 2 mark, 3 odd, 4 even, anything else none */
  int32_t stopBits;   /* 2 two stop bits, anything else one */
  int32_t dtrControl; /* 1 DTR raised while the port is open, else low */
  int32_t rtsControl; /* 1 RTS raised while the port is open, else low */

  const UdOps *ops; /* the model's protocol; installed when a device opens */
  UdProbe ident;    /* how the device is identified */
  /* Digits the firmware reports after "2." (the ball models share one probe
   * and tell themselves apart by it); null: any reply with the prefix. */
  const char *firmwareDigits;
  UdButtonBit buttonMap[UD_MAX_BUTTON_BITS]; /* cooked button layout */
  int32_t buttonMapCount;
  /* 1: the button that arrives as common bit 0 rezeros the device; on every
   * other model that bit is only removed before delivery. */
  int32_t rezeroButton;
} UdModel;

struct DvrHandle; /* the request service's record of an open handle */

/* Operations of one model. Each model file fills one const table with every
 * entry (an operation the model lacks answers UD_UNSUPPORTED); a device holds
 * a pointer to its model's table while it is open. */
struct UdOps {
  /* Identify the device on its port and set it up: UD_OK, UD_PORT_ERROR, or
   * UD_NO_DEVICE (port closed again). */
  int32_t (*open)(UdDevice *dev);
  /* Release the port: UD_OK, or UD_BAD_ARGUMENT when closing failed. */
  int32_t (*close)(UdDevice *dev);
  /* Append count new bytes and consume complete packets until one yields an
   * event: UD_EVENT_READY (ev filled) or UD_OK (no complete packet left). */
  int32_t (*parse)(UdDevice *dev, const uint8_t *bytes, int32_t count, GiEvent *ev);
  /* Sound the beeper with a pattern text: UD_OK, or UD_BAD_ARGUMENT when the
   * command cannot be sent. */
  int32_t (*beep)(UdDevice *dev, const char *pattern);
  int32_t (*reset)(UdDevice *dev);
  /* Take the present position as the rest position. */
  int32_t (*rezero)(UdDevice *dev);
  /* Raw bytes to the device. */
  int32_t (*write)(UdDevice *dev, const uint8_t *bytes, int32_t count);
  /* Milliseconds one motion report covers. */
  int32_t (*getPeriod)(UdDevice *dev, int32_t *period);
  int32_t (*getDataMode)(UdDevice *dev, int32_t *mode);
  int32_t (*setDataMode)(UdDevice *dev, int32_t mode);
  /* Bytes that must still arrive before the packet under way can be
   * complete (at least 1), or 0 when the model knows no such count (no
   * packet under way, or one of no fixed length) and any byte may come
   * next. Lets the serial layer size its reads so that it is woken once per
   * packet, not once per byte; never more than the shortest packet could
   * need. */
  int32_t (*bytesWanted)(const UdDevice *dev);
};

/* One configured controller. Records live in a static table of four for the
 * whole run, so everything in them (the port state included) stays valid
 * while the operating system still holds a pending read on it. */
struct UdDevice {
  char homeDirectory[UD_TEXT_SIZE]; /* "homedir" of the configuration */
  char version[UD_TEXT_SIZE];       /* "version" of the configuration */
  int32_t type;                     /* model type, -1 for an empty record */
  int32_t variant;
  char portName[UD_TEXT_SIZE]; /* "COM1:" … "COM4:" */
  int32_t index;               /* position in the table: the device ID */

  /* Client bookkeeping: owned by the request service, only zeroed here. */
  struct DvrHandle *handles; /* open handles, newest first */
  struct DvrHandle *grabSlot;
  struct DvrHandle *backgroundSlot;
  struct DvrHandle *focus;
  int32_t motionActive;
  uint32_t message; /* registered window message of this device */

  const UdModel *model;      /* matching model row, null for an empty record */
  char ident[UD_IDENT_SIZE]; /* identification reply, "" until opened */
  int32_t dataMode;          /* 1 cooked, anything else raw */

  /* Parser state. rxBuffer holds the bytes of packets not yet complete,
   * oldest first. rxScanned: bytes at the front known to hold no packet end
   * (a CR for the Quorvanel, a packet's first byte for the bit-7 framing).
   * rxSkip: bytes still to drop as they arrive (a packet whose trailing byte
   * has not come yet). rxDiscard: 1 while the rest of an over-long run is
   * dropped up to its end. rxTail: bit-7 framing only, the bytes kept of the
   * newest packet, still open. rxDropped counts every byte thrown away, for
   * diagnosis. */
  uint8_t rxBuffer[UD_RX_SIZE];
  int32_t rxCount;
  int32_t rxScanned;
  int32_t rxSkip;
  int32_t rxDiscard;
  int32_t rxTail;
  uint32_t rxDropped;

  const UdOps *ops;     /* the model's operations while open, else null */
  uint32_t lastButtons; /* button mask of the last button event */

  /* The serial layer's port state (handles, overlapped structures, the buffer
   * a pending read completes into, saved settings). Its layout belongs to the
   * serial layer alone, which keeps operating-system types out of this
   * header; the protocol code never looks inside. */
  alignas(8) unsigned char comState[UD_COM_STATE_SIZE];

  /* Motion settings, changed by the settings window, read by the filter. */
  int32_t translation; /* 1: translation axes delivered */
  int32_t rotation;    /* 1: rotation axes delivered */
  int32_t singleAxis;  /* 1: only the dominant axis delivered */
  float sensitivity;   /* scale factor */

  /* Per-port labels from the configuration. */
  char appFile[UD_APPFILE_SIZE];
  char appName[UD_TEXT_SIZE];
  char buttonNames[UD_NUM_LABELS][UD_LABEL_SIZE];
  int32_t menuButton; /* bit number of the button that toggles the settings window */

  /* Per-axis settings and button keys from the configuration; the axes
   * are changed by the settings window's Axes dialog as well. */
  UdAxis axes[UD_NUM_AXES];
  UdKey keys[32];    /* indexed by common button bit */
  uint32_t keysDown; /* buttons whose key went down and has not come up yet */
};

/* ---- Model table (udtable) ----------------------------------------------- */

/* Makes the private model table (four rows) from the constant one: 0, or -1
 * when no memory could be had. A second call keeps the table it has. */
int32_t UdLoadModels(void);
/* Releases the model table (row count -1); device records lose their model. */
void UdFreeModels(void);
/* Rows in the model table, -1 while it is not loaded. */
int32_t UdModelCount(void);
/* Row i of the loaded table, null outside it. */
const UdModel *UdModelAt(int32_t i);
/* The loaded row with this type and variant, or null. */
const UdModel *UdFindModel(int32_t type, int32_t variant);
/* The row of the constant table with this type and variant, or null (type
 * 4, for one, names no model). Needs no loaded table. */
const UdModel *UdKnownModel(int32_t type, int32_t variant);
/* The row of the constant table whose name equals name without regard to
 * case (whole string), or null. Needs no loaded table. */
const UdModel *UdModelByName(const char *name);

/* ---- Device table (udtable) ---------------------------------------------- */

/* Loads "gyrantx.ini" into the four records and counts the configured ones:
 * 0 (count 0 means nothing is configured), or -1 when the configuration names
 * an unknown model or cannot be parsed (the table stays unavailable). */
int32_t UdLoadDevices(void);
/* Empties every record and makes the table unavailable (count -1). */
void UdClearDevices(void);
/* Configured devices, or -1 while no configuration is loaded. */
int32_t UdDeviceCount(void);
/* Configured record i (0 <= i < UdDeviceCount()), or null. */
UdDevice *UdDeviceAt(int32_t i);
/* The first configured record whose index equals index (any when index is -1)
 * and, when typeMask (8 bytes, bit n = byte n/8, bit n%8) is not null, whose
 * model type or model class has its bit set; null when none matches. */
UdDevice *UdFindDevice(int32_t index, const uint8_t *typeMask);

/* ---- Entry points (uddev) -------------------------------------------------- */
/* Each returns UD_BAD_ARGUMENT for a null device, a device that is not open
 * or a null required pointer; otherwise what the model's operation returns. */

/* Chooses the protocol by type, identifies and sets up the device, and
 * installs its operations: 0, UD_NO_DEVICE (also for a type without a
 * protocol, without touching the port), UD_PORT_ERROR, or UD_BAD_ARGUMENT
 * (null, or already open). */
int32_t UdOpenDevice(UdDevice *dev);
/* Identification attempts of the opens that follow: n (1..7), or 0 (any
 * value out of range) for the seven of the start-up. */
void UdSetIdentAttempts(int32_t n);
/* Closes the port and takes the operations away: every later entry call on
 * the device answers UD_BAD_ARGUMENT without touching the released port. */
int32_t UdCloseDevice(UdDevice *dev);
/* 1 while the device is open, else 0. */
int32_t UdDeviceIsOpen(const UdDevice *dev);
/* The parse operation; bytes may be null only when count is 0. */
int32_t UdParseInput(UdDevice *dev, const uint8_t *bytes, int32_t count, GiEvent *ev);
int32_t UdBeep(UdDevice *dev, const char *pattern);
int32_t UdResetDevice(UdDevice *dev);
int32_t UdRezero(UdDevice *dev);
int32_t UdWriteDevice(UdDevice *dev, const uint8_t *bytes, int32_t count);
int32_t UdGetPeriod(UdDevice *dev, int32_t *period);
int32_t UdGetDataMode(UdDevice *dev, int32_t *mode);
int32_t UdSetDataMode(UdDevice *dev, int32_t mode);
/* The bytesWanted operation: 0 as well for a device that is not open. */
int32_t UdBytesWanted(const UdDevice *dev);

/* Press and release detection for a button event whose current mask is set:
 * last = the device's lastButtons, pressed = current & ~last,
 * released = last & ~current; then lastButtons = current. 0 or UD_BAD_ARGUMENT. */
int32_t UdButtonDelta(UdDevice *dev, GiEvent *ev);

/* The cooked button mask of raw device bits by the model's layout. */
uint32_t UdRemapButtons(const UdModel *model, uint32_t raw);

/* Empties the receive buffer and the parser's state around it (the
 * dropped-byte count stays). */
void UdResetReceive(UdDevice *dev);

/* Plain sleep of the calling thread (udsleep); returns 0. */
int32_t UdSleep(int32_t milliseconds);

#ifdef __cplusplus
}
#endif

#endif
