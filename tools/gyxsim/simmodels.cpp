// The simulator's list of models. A new model family adds its records to the
// table below; nothing else in the simulator names a model.
#include "simmodel.h"

#include <ctype.h>

static int SameText(const char *a, const char *b) {
  for (; *a && *b; a++, b++)
    if (tolower((unsigned char)*a) != tolower((unsigned char)*b)) return 0;
  return *a == *b;
}

static const SimModel *const kModels[] = {
    &SimModelQv2200,
    &SimModelQv3200,
    &SimModelStick,
    &SimModelLumeqaro,
};

int SimModelCount(void) {
  return (int)(sizeof kModels / sizeof kModels[0]);
}

const SimModel *SimModelAt(int index) {
  return index >= 0 && index < SimModelCount() ? kModels[index] : nullptr;
}

const SimModel *SimFindModel(const char *keyOrName) {
  if (!keyOrName) return nullptr;
  for (const SimModel *m : kModels)
    if (SameText(m->key, keyOrName) || SameText(m->name, keyOrName)) return m;
  return nullptr;
}
