// The simulated controller's engine under a made-up clock, for the simulator's
// tests: bytes in from the driver, bytes out on the line, commands started and
// polled the way the program's main loop does.
#ifndef GYX_TESTS_SIMFIXTURE_H
#define GYX_TESTS_SIMFIXTURE_H

#include <gtest/gtest.h>

#include <string>

#include "tools/gyxsim/simengine.h"

class SimEngineFixture : public ::testing::Test {
 protected:
  void Start(const SimModel *m, const SimHooks *hooks = nullptr) {
    SimEngineInit(&e_, m, hooks);
    SimSessionInit(&s_);
  }

  // Bytes the driver sends to the device.
  void Feed(const std::string &bytes) {
    SimEngineReceive(&e_, (const uint8_t *)bytes.data(), (int)bytes.size(), nowUs_);
  }

  // Everything queued for the line, taken off it.
  std::string Drain() {
    std::string out;
    uint8_t b;
    while (SimTxNext(&e_, &b)) {
      out.push_back((char)b);
      SimTxAdvance(&e_);
    }
    return out;
  }

  // Starts a command; returns its reply or "(pending)".
  std::string Run(const char *line) {
    char reply[SIM_REPLY_MAX];
    return SimSessionStart(&e_, &s_, line, nowUs_, reply, sizeof reply) ? reply : "(pending)";
  }

  std::string Poll() {
    char reply[SIM_REPLY_MAX];
    return SimSessionPoll(&e_, &s_, nowUs_, reply, sizeof reply) ? reply : "(pending)";
  }

  void Advance(int ms) {
    nowUs_ += (int64_t)ms * 1000;
    SimEngineTick(&e_, nowUs_);
  }

  SimEngine e_;
  SimSession s_;
  int64_t nowUs_ = 1000000;
};

#endif
