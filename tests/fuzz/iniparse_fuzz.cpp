// iniparse_fuzz.cpp — the configuration reader (IniParse) over arbitrary
// "gyrantx.ini" text and an arbitrary application file, read with the rules
// of the Win32 profile functions (iniprofile.h). Checks what the driver
// relies on afterwards: a result between UD_NO_DEVICE and the record count,
// configured records first with a known model, every text field
// NUL-terminated inside its width.
//
// Input: the configuration text, a NUL byte, the application file's text.
// Every "appfile" value names that one application file.
#include <stdint.h>
#include <string.h>

#include "driver/device/iniparse.h"
#include "driver/device/uddev.h"
#include "driver/device/udextern.h"
#include "fuzzkit.h"
#include "iniprofile.h"

namespace {

IniProfile gConfig, gAppFile;

const IniProfile &FileOf(const char *file) {
  return UdTextEqualNoCase(file, UD_CONFIG_FILE) ? gConfig : gAppFile;
}

int32_t ProfileString(const char *section, const char *key, const char *def, char *buf, int32_t size,
                      const char *file) {
  return FileOf(file).String(section, key, def, buf, size);
}
int32_t ProfileSection(const char *section, char *buf, int32_t size, const char *file) {
  return FileOf(file).SectionText(section, buf, size);
}
int32_t ProfileInt(const char *section, const char *key, int32_t def, const char *file) {
  return FileOf(file).Int(section, key, def);
}

bool Terminated(const char *field, size_t width) {
  return memchr(field, '\0', width) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  static UdSystem sys = fuzzkit::QuietSystem();
  sys.profileString = ProfileString;
  sys.profileSection = ProfileSection;
  sys.profileInt = ProfileInt;
  UdUseSystem(&sys);
  FUZZ_CHECK(UdLoadModels() == 0);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const char *text = (const char *)data;
  const char *nul = (const char *)memchr(text, '\0', size);
  const size_t configSize = nul ? (size_t)(nul - text) : size;
  gConfig.Load(text, configSize);
  gAppFile.Load(nul ? nul + 1 : text + size, nul ? size - configSize - 1 : 0);

  // Records as UdLoadDevices hands them over: garbage where the parser is
  // meant to write, so a field it forgets to terminate shows.
  UdDevice devs[UD_MAX_DEVICES];
  memset(devs, 0x7F, sizeof devs);
  for (int32_t i = 0; i < UD_MAX_DEVICES; i++) devs[i].index = i;
  const int32_t count = IniParse(devs, UD_MAX_DEVICES, UD_CONFIG_FILE);
  if (count < 0) {
    FUZZ_CHECK(count == UD_NO_DEVICE);
    return 0;
  }
  FUZZ_CHECK(count <= UD_MAX_DEVICES);
  int lastPort = 0;
  for (int32_t i = 0; i < UD_MAX_DEVICES; i++) {
    const UdDevice &d = devs[i];
    FUZZ_CHECK(Terminated(d.homeDirectory, sizeof d.homeDirectory));
    FUZZ_CHECK(Terminated(d.version, sizeof d.version));
    FUZZ_CHECK(Terminated(d.portName, sizeof d.portName));
    if (i >= count) {
      FUZZ_CHECK(d.type == -1);
      continue;
    }
    // Configured ports fill the records in port order, each once.
    int port = 0;
    for (int p = 1; p <= 4 && port == 0; p++) {
      const char name[] = {'C', 'O', 'M', (char)('0' + p), ':', '\0'};
      if (strcmp(d.portName, name) == 0) port = p;
    }
    FUZZ_CHECK(port > lastPort);
    lastPort = port;
    FUZZ_CHECK(UdFindModel(d.type, d.variant) != nullptr);
    FUZZ_CHECK(Terminated(d.appFile, sizeof d.appFile));
    FUZZ_CHECK(Terminated(d.appName, sizeof d.appName));
    for (const auto &label : d.buttonNames) FUZZ_CHECK(Terminated(label, sizeof label));
  }
  return 0;
}
