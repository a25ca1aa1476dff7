/* udtable.cpp — the model table and the device table: loading them from the
 * constant rows and the configuration, clearing them, and finding devices by
 * index and type mask. Called by the driver's start-up and request service. */
#include <stdlib.h>
#include <string.h>

#include "iniaxes.h"
#include "iniparse.h"
#include "udmodel.h"
#include "udextern.h"
#include "udsystem.h"

/* Identification probes. The Quorvanel Stick's is "hv" in that model's
 * command encoding (bit 7 and checksum); the Lumeqaro's is plain text. */
static const uint8_t kQuorvanelProbe[] = {'h', 'v', 0x0D};
static const uint8_t kStickProbe[] = {0x68, 0xF6, 0x9E, 0x0D};
static const uint8_t kLumeqaroProbe[] = {'?', 0x0D};

/* Every port runs at 9600 baud, 8 data bits, no parity, one stop bit, DTR
 * and RTS raised. */
#define UD_SERIAL_9600_8N1 \
  .baudRate = 9600, .dataBits = 8, .parity = 0, .stopBits = 1, .dtrControl = 1, .rtsControl = 1

/* The supported models: the one place that says what each model is. The
 * loaded table is a private copy of these rows. */
static const UdModel kModelRows[] = {
    {
        .type = GI_TYPE_QUORVANEL_2200,
        .variant = 0,
        .deviceClass = GI_CLASS_QUORVANEL_BALL,
        .numButtons = 9,
        .numDegrees = 6,
        .canBeep = 1,
        .name = "Quorvanel 2200",
        UD_SERIAL_9600_8N1,
        .ops = &udQuorvanelOps,
        .ident = {.probe = kQuorvanelProbe,
                  .probeLength = sizeof kQuorvanelProbe,
                  .prefix = "HvFirmware version 2.",
                  .replyLength = 46,
                  .strip7 = 0},
        .firmwareDigits = "0124578",
        /* buttons 1-4, 5-7, the rezero button, and the ninth as the right button */
        .buttonMap = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {8, 5}, {9, 6}, {10, 7}, {11, 0}, {12, 31}},
        .buttonMapCount = 9,
        .rezeroButton = 1,
    },
    {
        .type = GI_TYPE_QUORVANEL_3200,
        .variant = 0,
        .deviceClass = GI_CLASS_QUORVANEL_BALL,
        .numButtons = 2,
        .numDegrees = 6,
        .canBeep = 1,
        .name = "Quorvanel 3200",
        UD_SERIAL_9600_8N1,
        .ops = &udQuorvanelOps,
        .ident = {.probe = kQuorvanelProbe,
                  .probeLength = sizeof kQuorvanelProbe,
                  .prefix = "HvFirmware version 2.",
                  .replyLength = 46,
                  .strip7 = 0},
        .firmwareDigits = "369",
        .buttonMap = {{13, 0}, {5, 30}, {4, 31}}, /* left 30, right 31 */
        .buttonMapCount = 3,
        .rezeroButton = 0,
    },
    {
        .type = GI_TYPE_QUORVANEL_STICK,
        .variant = 0,
        .deviceClass = GI_CLASS_QUORVANEL_STICK,
        .numButtons = 2,
        .numDegrees = 6,
        .canBeep = 1,
        .name = "Quorvanel Stick",
        UD_SERIAL_9600_8N1,
        .ops = &udStickOps,
        .ident = {.probe = kStickProbe,
                  .probeLength = sizeof kStickProbe,
                  .prefix = "HvV3",
                  .replyLength = 17,
                  .strip7 = 1},
        .firmwareDigits = NULL,
        .buttonMap = {{1, 30}, {0, 31}, {6, 0}}, /* left 30, right 31 */
        .buttonMapCount = 3,
        .rezeroButton = 0,
    },
    {
        .type = GI_TYPE_LUMEQARO_700,
        .variant = 0,
        .deviceClass = GI_CLASS_LUMEQARO,
        .numButtons = 6,
        .numDegrees = 6,
        .canBeep = 0,
        .name = "Lumeqaro 700",
        UD_SERIAL_9600_8N1,
        .ops = &udLumeqaroOps,
        .ident = {.probe = kLumeqaroProbe,
                  .probeLength = sizeof kLumeqaroProbe,
                  .prefix = "!1 Quorvanel (R) V4.",
                  .replyLength = 52,
                  .strip7 = 1},
        .firmwareDigits = NULL,
        .buttonMap = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 0}}, /* buttons 1-6 */
        .buttonMapCount = 7,
        .rezeroButton = 0,
    },
};
enum { NUM_MODEL_ROWS = (int)(sizeof kModelRows / sizeof kModelRows[0]) };

void UdCopyText(char *dst, int32_t size, const char *src) {
  if (dst == NULL || size < 1) return;
  if (src == NULL) src = "";
  size_t n = strnlen(src, (size_t)size - 1);
  memcpy(dst, src, n);
  dst[n] = '\0';
}

static int AsciiLower(int c) {
  return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c;
}

int32_t UdTextEqualNoCase(const char *a, const char *b) {
  if (a == NULL || b == NULL) return 0;
  for (;; a++, b++) {
    if (AsciiLower((unsigned char)*a) != AsciiLower((unsigned char)*b)) return 0;
    if (*a == '\0') return 1;
  }
}

int32_t UdLoadModels(void) {
  if (gUdModels != NULL) return 0;
  UdModel *rows = (UdModel *)malloc(sizeof kModelRows);
  if (rows == NULL) return UD_FAIL(-1);
  memcpy(rows, kModelRows, sizeof kModelRows);
  gUdModels = rows;
  gUdModelCount = NUM_MODEL_ROWS;
  return 0;
}

void UdFreeModels(void) {
  for (int i = 0; i < UD_MAX_DEVICES; i++) gUdDevices[i].model = NULL;
  free(gUdModels);
  gUdModels = NULL;
  gUdModelCount = -1;
}

int32_t UdModelCount(void) {
  return gUdModelCount;
}

const UdModel *UdModelAt(int32_t i) {
  if (gUdModels == NULL || i < 0 || i >= gUdModelCount) return NULL;
  return &gUdModels[i];
}

const UdModel *UdFindModel(int32_t type, int32_t variant) {
  for (int32_t i = 0; gUdModels != NULL && i < gUdModelCount; i++)
    if (gUdModels[i].type == type && gUdModels[i].variant == variant) return &gUdModels[i];
  return NULL;
}

const UdModel *UdKnownModel(int32_t type, int32_t variant) {
  for (int i = 0; i < NUM_MODEL_ROWS; i++)
    if (kModelRows[i].type == type && kModelRows[i].variant == variant) return &kModelRows[i];
  return NULL;
}

const UdModel *UdModelByName(const char *name) {
  for (int i = 0; i < NUM_MODEL_ROWS; i++)
    if (UdTextEqualNoCase(kModelRows[i].name, name)) return &kModelRows[i];
  return NULL;
}

/* Everything of a record that the configuration or an open fills, back to
 * "no device". The client bookkeeping and the port state are left alone:
 * they belong to the request service and the serial layer. */
static void ResetRecord(UdDevice *dev, int32_t index) {
  dev->type = -1;
  dev->variant = 0;
  dev->index = index;
  dev->portName[0] = '\0';
  dev->model = NULL;
  dev->ident[0] = '\0';
  dev->dataMode = 0;
  UdResetReceive(dev);
  dev->rxDropped = 0;
  dev->lastButtons = 0;
  dev->translation = 1;
  dev->rotation = 1;
  dev->singleAxis = 0;
  dev->sensitivity = 1.0f;
  dev->appFile[0] = '\0';
  dev->appName[0] = '\0';
  memset(dev->buttonNames, 0, sizeof dev->buttonNames);
  dev->menuButton = 30;
  IniAxesDefaults(dev->axes);
  memset(dev->keys, 0, sizeof dev->keys);
  dev->keysDown = 0;
}

int32_t UdLoadDevices(void) {
  for (int32_t i = 0; i < UD_MAX_DEVICES; i++) ResetRecord(&gUdDevices[i], i);
  int32_t parsed = IniParse(gUdDevices, UD_MAX_DEVICES, UD_CONFIG_FILE);
  if (parsed < 0) {
    gUdDeviceCount = -1;
    return -1; /* IniParse logged why */
  }
  int32_t count = 0;
  for (int32_t i = 0; i < UD_MAX_DEVICES; i++) {
    UdDevice *dev = &gUdDevices[i];
    const UdModel *model = dev->type == -1 ? NULL : UdFindModel(dev->type, dev->variant);
    if (model != NULL) {
      dev->model = model;
      dev->dataMode = 1;
      count++;
    } else {
      dev->type = -1;
      dev->variant = 0;
      dev->model = NULL;
    }
  }
  gUdDeviceCount = count;
  return 0;
}

void UdClearDevices(void) {
  for (int i = 0; i < UD_MAX_DEVICES; i++) {
    gUdDevices[i].type = -1;
    gUdDevices[i].variant = 0;
    gUdDevices[i].model = NULL;
  }
  gUdDeviceCount = -1;
}

int32_t UdDeviceCount(void) {
  return gUdDeviceCount;
}

UdDevice *UdDeviceAt(int32_t i) {
  if (i < 0 || i >= gUdDeviceCount) return NULL;
  return &gUdDevices[i];
}

static int MaskHasBit(const uint8_t *mask, int32_t bit) {
  if (bit < 0 || bit > 63) return 0;
  return (mask[bit / 8] >> (bit % 8)) & 1;
}

UdDevice *UdFindDevice(int32_t index, const uint8_t *typeMask) {
  for (int32_t i = 0; i < gUdDeviceCount; i++) {
    UdDevice *dev = &gUdDevices[i];
    if (dev->model == NULL) continue;
    if (index != -1 && dev->index != index) continue;
    if (typeMask != NULL && !MaskHasBit(typeMask, dev->model->type) &&
        !MaskHasBit(typeMask, dev->model->deviceClass))
      continue;
    return dev;
  }
  return NULL;
}
