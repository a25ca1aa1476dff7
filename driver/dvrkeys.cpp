/* dvrkeys.cpp — buttons as keystrokes (see dvrkeys.h). */
#include "dvrkeys.h"

#include "device/inikeys.h"

int DvrKeysWanted(const UdDevice *dev, const DvrHandle *focus, uint32_t frontProcess, int settingsInFront) {
  if (!dev || settingsInFront) return 0;
  if (!focus) return 1;
  if (focus == dev->grabSlot) return 0;
  /* The focus is the front process's own handle, or the background slot
   * when the front process holds none; a background holder that is itself
   * in front keeps its buttons. */
  return frontProcess == 0 || focus->process != frontProcess;
}

static const struct {
  uint8_t mod;
  uint16_t vk;
} kModifierKeys[4] = {{UD_MOD_CTRL, INI_VK_CONTROL},
                      {UD_MOD_SHIFT, INI_VK_SHIFT},
                      {UD_MOD_ALT, INI_VK_MENU},
                      {UD_MOD_WIN, INI_VK_LWIN}};

int32_t DvrKeyInputs(const UdKey *key, int up, DvrKeyInput out[DVR_KEY_INPUTS]) {
  if (!key || key->vk == 0 || !out) return 0;
  int32_t n = 0;
  if (up) out[n++] = {key->vk, 1};
  for (int i = 0; i < 4; i++) {
    int m = up ? 3 - i : i;
    if (key->mods & kModifierKeys[m].mod) out[n++] = {kModifierKeys[m].vk, (uint16_t)(up ? 1 : 0)};
  }
  if (!up) out[n++] = {key->vk, 0};
  return n;
}

static void Send(const UdKey *key, int up) {
  DvrKeyInput in[DVR_KEY_INPUTS];
  int32_t n = DvrKeyInputs(key, up, in);
  if (n > 0) DvrPlatSendKeys(in, n); /* a shortfall is logged there */
}

int DvrKeysTake(UdDevice *dev, GiEvent *ev, int wanted) {
  if (!dev || !ev || (ev->type != GI_BUTTON_EVENT && ev->type != GI_COMBO_EVENT)) return 1;
  uint32_t taken = 0;
  for (int bit = 0; bit < 32; bit++) {
    uint32_t m = 1u << bit;
    const UdKey *key = &dev->keys[bit];
    if ((ev->released & m) && (dev->keysDown & m)) {
      Send(key, 1);
      dev->keysDown &= ~m;
      taken |= m;
    }
    if ((ev->pressed & m) && wanted && key->vk != 0) {
      Send(key, 0);
      dev->keysDown |= m;
      taken |= m;
    }
    /* A button whose key is down stays out of the button words until it
     * comes up, so an application never sees half of it. */
    if (dev->keysDown & m) taken |= m;
  }
  if (taken == 0) return 1;
  ev->last &= ~taken;
  ev->current &= ~taken;
  ev->pressed &= ~taken;
  ev->released &= ~taken;
  if (ev->pressed == 0 && ev->released == 0) {
    if (ev->type == GI_BUTTON_EVENT) return 0;
    ev->type = GI_MOTION_EVENT;
  }
  return 1;
}
