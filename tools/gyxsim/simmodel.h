// The one interface behind which every simulated controller model lives: what
// it answers, how it encodes its reports and which commands it expects. Each
// model family has its own simmodel_*.cpp with a const table at its bottom;
// the engine and the command parser reach models only through this record.
#pragma once
#include "simbase.h"

// Motion report as the device measures it: the period in the device's own
// units and the six axes (tx, ty, tz, rx, ry, rz), before any driver scaling.
struct SimMotion {
  int32_t period;
  int32_t axis[6];
};

// A button the command language can name, and the bit it sets in the device's
// own (raw) button field.
struct SimButtonName {
  const char *name;
  uint32_t rawBit;
};

// One command the driver sends, as bytes on the wire.
struct SimWire {
  const uint8_t *bytes;
  int count;
};

struct SimModel {
  const char *key;       // command-line name: "2200"
  const char *name;      // model name as the driver's configuration spells it
  const char *firmware;  // default identification reply text, without its terminator
  const SimButtonName *buttons;
  int buttonCount;
  uint32_t buttonIdle;       // bits the device always sets in its button field
  int32_t ticksPerMs;        // device period units per millisecond
  const SimWire *initSteps;  // commands of the driver's initialisation, in order
  int initStepCount;         // 0: the model is not initialised (identified, it is ready)
  int checksummed;           // 1: commands carry a checksum, and garbled ones are counted
  // Every entry is filled; the encoders return SIM_OK or SIM_ERR_ARGUMENT /
  // SIM_ERR_FULL and append the packet's wire bytes to out.
  int (*isProbe)(const uint8_t *command, int count);  // 1 or 0
  // A received command (CR included) as plain text (CR kept): SIM_OK, or
  // SIM_ERR_SYNTAX when its encoding or checksum is wrong.
  int (*decodeCommand)(const uint8_t *command, int count, SimBytes *text);
  int (*encodeReply)(const uint8_t *text, int count, SimBytes *out);  // identification reply
  int (*encodeButtons)(uint32_t raw, SimBytes *out);
  int (*encodeMotion)(const SimMotion *motion, SimBytes *out);
  int (*encodeMessage)(const uint8_t *text, int count, SimBytes *out);  // device message
};

// Model by key ("2200", "3200", "stick", "lumeqaro") or by name, without regard to case; null
// when there is none.
const SimModel *SimFindModel(const char *keyOrName);
// The known models, for listings; index 0 .. SimModelCount()-1.
int SimModelCount(void);
const SimModel *SimModelAt(int index);

// Defined by each model family's file.
extern const SimModel SimModelQv2200;
extern const SimModel SimModelQv3200;
extern const SimModel SimModelStick;
extern const SimModel SimModelLumeqaro;
