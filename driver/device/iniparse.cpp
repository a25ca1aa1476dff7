/* iniparse.cpp — IniParse: "gyrantx.ini" and the per-port application files
 * into device records, with every default and the packing of configured
 * ports into the first records. Called by UdLoadDevices. */
#include "iniparse.h"

#include <stdio.h>
#include <string.h>

#include "iniaxes.h"
#include "inikeys.h"
#include "udextern.h"
#include "udsystem.h"

enum { INI_BUF_SIZE = 256 };

static const char *const kPorts[] = {"COM1:", "COM2:", "COM3:", "COM4:"};
enum { NUM_PORTS = (int)(sizeof kPorts / sizeof kPorts[0]) };

static const char *const kLabelKeys[UD_NUM_LABELS] = {"button1", "button2",    "button3",    "button4",
                                                      "button5", "button6",    "button7",    "button8",
                                                      "button9", "leftbutton", "rightbutton"};

static void LabelDefault(int i, char *out, size_t size) {
  if (i < 9)
    snprintf(out, size, "Button %d", i + 1);
  else
    snprintf(out, size, "%s", i == 9 ? "Left" : "Right");
}

/* A record under the cursor that no configured port has filled. */
static void MarkEmpty(UdDevice *dev) {
  dev->type = -1;
  dev->variant = 0;
  dev->portName[0] = '\0';
  dev->appFile[0] = '\0';
  dev->appName[0] = '\0';
  memset(dev->buttonNames, 0, sizeof dev->buttonNames);
  dev->menuButton = INI_DEFAULT_MENU_BUTTON;
  IniAxesDefaults(dev->axes);
  memset(dev->keys, 0, sizeof dev->keys);
}

/* Application name and labels from the port's application file. An empty
 * "appfile" names no file: the defaults apply without asking for one. */
static void ReadAppFile(const UdSystem *sys, UdDevice *dev) {
  char buf[INI_BUF_SIZE];
  const char *file = dev->appFile;
  int readable = file[0] != '\0';

  if (readable)
    sys->profileString("Gyrantrix", "appName", INI_DEFAULT_APPNAME, buf, sizeof buf, file);
  else
    UdCopyText(buf, sizeof buf, INI_DEFAULT_APPNAME);
  UdCopyText(dev->appName, sizeof dev->appName, buf);

  for (int i = 0; i < UD_NUM_LABELS; i++) {
    char def[UD_LABEL_SIZE];
    LabelDefault(i, def, sizeof def);
    if (readable)
      sys->profileString("Gyrantrix", kLabelKeys[i], def, buf, sizeof buf, file);
    else
      UdCopyText(buf, sizeof buf, def);
    UdCopyText(dev->buttonNames[i], UD_LABEL_SIZE, buf);
  }
}

int32_t IniParse(UdDevice *devs, int32_t count, const char *file) {
  const UdSystem *sys = UdCurrentSystem();
  if (devs == NULL || count < 0 || file == NULL || sys == NULL) return UD_FAIL(UD_BAD_ARGUMENT);

  char buf[INI_BUF_SIZE];
  sys->profileString("gyrantrix", "homedir", INI_DEFAULT_HOME, buf, sizeof buf, file);
  for (int32_t i = 0; i < count; i++) UdCopyText(devs[i].homeDirectory, UD_TEXT_SIZE, buf);
  sys->profileString("gyrantrix", "version", INI_DEFAULT_VERSION, buf, sizeof buf, file);
  for (int32_t i = 0; i < count; i++) UdCopyText(devs[i].version, UD_TEXT_SIZE, buf);

  int32_t cursor = 0;
  for (int32_t p = 0; p < NUM_PORTS && p < count; p++) {
    UdDevice *dev = &devs[cursor];
    const char *port = kPorts[p];
    char section[INI_BUF_SIZE];
    if (sys->profileSection(port, section, sizeof section, file) <= 0) {
      MarkEmpty(dev); /* the cursor stays: the next configured port fills this record */
      continue;
    }
    UdCopyText(dev->portName, sizeof dev->portName, port);

    sys->profileString(port, "devicetype", "", buf, sizeof buf, file);
    const UdModel *model = UdModelByName(buf);
    if (model == NULL) return UD_FAIL(UD_NO_DEVICE);
    dev->type = model->type;
    dev->variant = model->variant;

    sys->profileString(port, "appfile", "", dev->appFile, sizeof dev->appFile, file);
    dev->menuButton = sys->profileInt(port, "menuButton", INI_DEFAULT_MENU_BUTTON, file);
    /* A bad axis or key value is refused alone: the device still starts. */
    IniReadAxes(sys, port, file, dev->axes);
    IniReadKeys(sys, port, file, dev->keys);
    ReadAppFile(sys, dev);
    cursor++;
  }
  for (int32_t i = cursor; i < count; i++) MarkEmpty(&devs[i]);
  return cursor;
}
