// GiGetEvent and its company over an in-memory driver (fakeapp.h): records
// in real rings, notices in a fake message queue, a fake millisecond clock.
#include <gtest/gtest.h>

#include "fakeapp.h"
#include "lib/appgi.h"
#include "lib/evmath.h"

namespace {

class LibEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
    h = OpenOne(0x1234);
    ASSERT_NE(h, nullptr);
    dev = fake::LastOpened();
  }
  void TearDown() override {
    GiTerminate();
    if (gGiDriverLoss != GI_LOSS_NONE) GiTerminate();
    EXPECT_EQ(fake::S().timerDepth, 0);  // every timeBeginPeriod was paired
    fake::Reset();
  }
  GiHandle OpenOne(uint32_t window) {
    GiOpenData od{window, 0};
    return GiOpen("Test", 0, nullptr, GI_EVENT_MODE, &od);
  }
  // The application's loop: the next message handed to the library.
  int32_t Next(GiEvent *ev, int32_t options = 0) {
    GiGetEventData d;
    if (!fake::NextMessage(&d)) return -100;
    return GiGetEvent(h, options, &d, ev);
  }
  GiHandle h = nullptr;
  fake::Opened *dev = nullptr;
  GiEvent ev{};
};

TEST_F(LibEvents, QueuedMotionIsFoldedIntoOneWeightedEvent) {
  fake::Put(dev, fake::Motion(100, 20));
  fake::Put(dev, fake::Motion(200, 30));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(GiLastError, GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  // 160 over 25 ms; the first delivery then covers those 25 ms: 25 * 160 / 50.
  EXPECT_EQ(ev.tx, 80);
  EXPECT_EQ(ev.period, 25);
  EXPECT_TRUE(fake::S().messages.empty());  // both notices consumed
  EXPECT_EQ(fake::S().timerDepth, 1);
  EXPECT_TRUE(fake::S().logged.empty());
}

TEST_F(LibEvents, FixedPeriodModeNormalisesTo50ms) {
  fake::Put(dev, fake::Motion(100, 20));
  fake::Put(dev, fake::Motion(200, 30));
  ASSERT_EQ(Next(&ev, GI_FIXED_PERIOD), GI_IS_EVENT);
  EXPECT_EQ(ev.tx, 300);
  EXPECT_EQ(ev.period, 50);
}

TEST_F(LibEvents, ElapsedTimeBetweenDeliveriesIsCappedAt84) {
  fake::Put(dev, fake::Motion(100, 20));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  fake::S().clock += 30;
  fake::Put(dev, fake::Motion(100, 20));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.period, 30);
  EXPECT_EQ(ev.tx, 60);
  fake::S().clock += 1000;
  fake::Put(dev, fake::Motion(100, 20));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.period, 84);
  EXPECT_EQ(ev.tx, 168);
}

TEST_F(LibEvents, AButtonBehindMotionStaysQueued) {
  fake::Put(dev, fake::Motion(100, 50));
  fake::Put(dev, fake::Buttons(GI_BUTTON_EVENT, 0, 0x4));
  fake::Put(dev, fake::Motion(999, 50));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_EQ(ev.tx, 100);
  ASSERT_EQ(fake::S().messages.size(), 2u);
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_BUTTON_EVENT);
  EXPECT_EQ(GiButtonPressed(&ev), 2);
  fake::S().clock += 50;
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.tx, 999);
}

TEST_F(LibEvents, FoldingTakesEachQueuedMotionInOneQueueCall) {
  // The ring says what is queued: each motion record behind the first is
  // taken with one queue call, with no look before it, and a look is made
  // once more at the end (a farewell or a reset may follow). Before, each
  // folded notice cost a look and a look that removed it (three calls).
  for (int behind : {0, 1, 5}) {
    SCOPED_TRACE(behind);
    for (int i = 0; i <= behind; i++) fake::Put(dev, fake::Motion(100, 50));
    fake::S().queueCalls = 0;
    ASSERT_EQ(Next(&ev), GI_IS_EVENT);
    EXPECT_EQ(ev.type, GI_MOTION_EVENT);
    EXPECT_EQ(fake::S().queueCalls, behind + 1);
    EXPECT_TRUE(fake::S().messages.empty());
    fake::Put(dev, fake::Motion(0, 50));
    fake::Put(dev, fake::Buttons(GI_ZERO_EVENT, 0, 0));
    ASSERT_EQ(Next(&ev), GI_IS_EVENT);
    ASSERT_EQ(Next(&ev), GI_IS_EVENT);
    EXPECT_EQ(ev.type, GI_ZERO_EVENT);
  }
}

TEST_F(LibEvents, ANoticeThatBeliesTheRingGoesBackInFront) {
  // A driver whose notice says button where the ring holds motion: the
  // folding takes it, sees it is not one to fold, and puts it back first;
  // the record is read through it on the next call, nothing lost or doubled.
  fake::Put(dev, fake::Motion(100, 50));
  GiEvent moved = fake::Motion(300, 50);
  int32_t w = dev->queue->writeOffset;
  const uint16_t seq = dev->nextSeq;
  ASSERT_EQ(0, RingPutRecord(dev->queue->ring, CHANNEL_RING_SIZE, dev->queue->readOffset, &w, seq, &moved,
                             GI_EVENT_SHORT_SIZE));
  dev->queue->writeOffset = w;
  dev->nextSeq = SeqNext(seq);
  fake::PostNotice(dev, GI_BUTTON_EVENT, seq);
  fake::Put(dev, fake::Buttons(GI_BUTTON_EVENT, 0, 0x4));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.tx, 100) << "nothing folded past the odd notice";
  fake::S().clock += 50;
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_EQ(ev.tx, 300);
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_BUTTON_EVENT);
  EXPECT_EQ(-100, Next(&ev)) << "no notice left over";
  EXPECT_EQ(0, h->asideCount);
}

// Any process can write a ring. Three motion records with tx = INT32_MIN and
// period = INT32_MAX overflowed the folding (UBSan aborts the test); a combo
// record's numbers go through the time step unfolded.
TEST_F(LibEvents, HostileNumbersInTheRingAreBoundedBeforeTheArithmetic) {
  for (int i = 0; i < 3; i++) fake::Put(dev, fake::Motion(INT32_MIN, INT32_MAX));
  ASSERT_EQ(Next(&ev, GI_FIXED_PERIOD), GI_IS_EVENT);
  EXPECT_TRUE(fake::S().messages.empty());
  EXPECT_EQ(ev.tx, -EV_AXIS_LIMIT * 50 / EV_PERIOD_LIMIT);
  EXPECT_EQ(ev.period, 50);
  for (int i = 0; i < 3; i++) fake::Put(dev, fake::Motion(INT32_MIN, INT32_MAX));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  // The first weighted delivery covers the event's own period, at most 84 ms.
  EXPECT_EQ(ev.tx, (int64_t)-EV_AXIS_LIMIT * 84 / 50);
  EXPECT_EQ(ev.period, 84);
  GiEvent combo = fake::Buttons(GI_COMBO_EVENT, 0, 1);
  combo.tx = INT32_MAX;
  combo.rz = INT32_MIN;
  combo.period = INT32_MIN;
  fake::Put(dev, combo);
  fake::S().clock += 20;
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.tx, (int64_t)EV_AXIS_LIMIT * 20 / 50);
  EXPECT_EQ(ev.rz, (int64_t)-EV_AXIS_LIMIT * 20 / 50);
  // What the polling form repeats is the bounded copy.
  fake::S().clock += 10;
  ASSERT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.tx, (int64_t)EV_AXIS_LIMIT * 10 / 50);
}

TEST_F(LibEvents, MessagesOfOthers) {
  GiHandle other = OpenOne(0x5678);
  ASSERT_NE(other, nullptr);
  fake::Opened *otherDev = fake::LastOpened();
  fake::Put(otherDev, fake::Motion(1, 50));
  GiGetEventData d;
  ASSERT_TRUE(fake::NextMessage(&d));
  GiHandle found = nullptr;
  EXPECT_EQ(GiFindEventHandle(&d, &found), 1);
  EXPECT_EQ(found, other);
  EXPECT_EQ(GiGetEvent(h, 0, &d, &ev), GI_SKIP_EVENT);  // another handle's message
  EXPECT_EQ(GiGetEvent(other, 0, &d, &ev), GI_IS_EVENT);
  GiGetEventWinInit(&d, 0x0113, 7, 0);  // a timer message
  EXPECT_EQ(GiFindEventHandle(&d, &found), 0);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(GiGetEvent(h, 0, &d, &ev), GI_NOT_EVENT);
  GiGetEventWinInit(&d, dev->message, (uint32_t)dev->slot + 0x100, NoticeParam(2, 1));
  EXPECT_EQ(GiFindEventHandle(&d, nullptr), 1);  // only the low byte names the slot
  EXPECT_TRUE(fake::S().logged.empty());
}

// Two handles of one device in one window share the message number, and the
// window's queue shows only its first such message. A handle's notice behind
// another handle's must still be found; the other's is kept for its handle.
class TwoHandles : public LibEvents {
 protected:
  void SetUp() override {
    LibEvents::SetUp();
    b = OpenOne(0x1234);  // same window, same device
    ASSERT_NE(b, nullptr);
    bdev = fake::LastOpened();
    ASSERT_EQ(bdev->message, dev->message);
  }
  // The application's loop: the next message to the handle it belongs to.
  int32_t Loop(GiEvent *e, GiHandle *who, int32_t options = 0) {
    GiGetEventData d;
    if (!fake::NextMessage(&d)) return -100;
    if (!GiFindEventHandle(&d, who)) return -101;
    return GiGetEvent(*who, options, &d, e);
  }
  GiHandle b = nullptr;
  fake::Opened *bdev = nullptr;
};

TEST_F(TwoHandles, PollingFindsItsNoticeBehindAnotherHandles) {
  fake::Put(dev, fake::Buttons(GI_BUTTON_EVENT, 0, 0x1));
  fake::Put(bdev, fake::Buttons(GI_BUTTON_EVENT, 0, 0x2));
  ASSERT_EQ(GiGetEvent(b, 0, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.current, 0x2u);
  EXPECT_EQ(GiGetEvent(b, 0, nullptr, &ev), GI_NOT_EVENT);
  // The other handle's event still reaches it through the application's loop.
  GiHandle who = nullptr;
  ASSERT_EQ(Loop(&ev, &who), GI_IS_EVENT);
  EXPECT_EQ(who, h);
  EXPECT_EQ(ev.current, 0x1u);
  EXPECT_TRUE(fake::S().messages.empty());
  EXPECT_TRUE(fake::S().logged.empty());
}

TEST_F(TwoHandles, FoldingLooksPastAnotherHandlesNotice) {
  fake::Put(bdev, fake::Motion(100, 20));
  fake::PostNotice(dev, NOTICE_QUEUE_RESET, dev->nextSeq++);
  fake::Put(bdev, fake::Motion(300, 20));
  ASSERT_EQ(GiGetEvent(b, GI_FIXED_PERIOD, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.tx, (100 + 300) * 50 / 40);
  EXPECT_EQ(ev.period, 50);
  for (const fake::Message &m : fake::S().messages) EXPECT_NE(m.wParam & 0xFF, (uint32_t)bdev->slot);
  GiHandle who = nullptr;
  EXPECT_EQ(Loop(&ev, &who, GI_FIXED_PERIOD), GI_SKIP_EVENT);  // the reset notice, for its own handle
  EXPECT_EQ(who, h);
  EXPECT_TRUE(fake::S().messages.empty());
  // The message-driven form folds past it too.
  fake::Put(bdev, fake::Motion(100, 20));
  fake::Put(dev, fake::Buttons(GI_BUTTON_EVENT, 0, 0x8));
  fake::Put(bdev, fake::Motion(300, 20));
  ASSERT_EQ(Loop(&ev, &who, GI_FIXED_PERIOD), GI_IS_EVENT);
  EXPECT_EQ(who, b);
  EXPECT_EQ(ev.tx, 500);
  ASSERT_EQ(Loop(&ev, &who, GI_FIXED_PERIOD), GI_IS_EVENT);
  EXPECT_EQ(who, h);
  EXPECT_EQ(ev.current, 0x8u);
  EXPECT_TRUE(fake::S().messages.empty());
}

// A stand-in that cannot be posted (a full queue) loses nothing: the notice
// stays aside until its handle asks.
TEST_F(TwoHandles, ANoticeWhoseStandInFailsWaitsAside) {
  fake::Put(dev, fake::Buttons(GI_BUTTON_EVENT, 0, 0x1));
  fake::Put(bdev, fake::Buttons(GI_BUTTON_EVENT, 0, 0x2));
  fake::S().postFails = true;
  ASSERT_EQ(GiGetEvent(b, 0, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.current, 0x2u);
  EXPECT_EQ(fake::S().logged, std::vector<int32_t>{GI_FAILED});
  EXPECT_TRUE(fake::S().messages.empty());
  fake::S().postFails = false;
  // The next notice of that handle brings the one aside first.
  fake::Put(dev, fake::Buttons(GI_BUTTON_EVENT, 0x1, 0x3));
  GiHandle who = nullptr;
  ASSERT_EQ(Loop(&ev, &who), GI_IS_EVENT);
  EXPECT_EQ(ev.current, 0x1u);
  ASSERT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.current, 0x3u);
  EXPECT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_NOT_EVENT);
}

// Any mix of the two handles' notices, of polling either handle and of the
// application's loop delivers every record once, each handle's in order,
// and leaves neither a notice aside nor a stand-in queued at the end.
TEST_F(TwoHandles, EveryMixDeliversEachRecordOnceAndInOrder) {
  for (uint32_t seed = 1; seed <= 40; seed++) {
    uint32_t rng = seed * 2654435761u;
    auto next = [&rng](uint32_t n) {
      rng = rng * 1103515245u + 12345u;
      return (rng >> 16) % n;
    };
    fake::Opened *devs[2] = {dev, bdev};
    GiHandle handles[2] = {h, b};
    uint32_t put[2] = {0, 0}, got[2] = {0, 0};
    auto take = [&](GiHandle who, const GiEvent &e) {
      int i = who == h ? 0 : 1;
      ASSERT_EQ(e.type, GI_BUTTON_EVENT);
      EXPECT_EQ(e.current, ++got[i]) << "seed " << seed << " handle " << i;
    };
    for (int step = 0; step < 300; step++) {
      uint32_t op = next(5);
      if (op <= 1) {
        int i = (int)next(2);
        if (put[i] - got[i] < 30) fake::Put(devs[i], fake::Buttons(GI_BUTTON_EVENT, 0, ++put[i]));
      } else if (op <= 3) {
        int i = (int)next(2);
        int32_t r = GiGetEvent(handles[i], 0, nullptr, &ev);
        if (r == GI_IS_EVENT) {
          take(handles[i], ev);
        } else {
          ASSERT_EQ(r, GI_NOT_EVENT);
        }
      } else {
        GiHandle who = nullptr;
        int32_t r = Loop(&ev, &who);
        if (r == GI_IS_EVENT) {
          take(who, ev);
        } else if (r != -100) {
          ASSERT_EQ(r, GI_SKIP_EVENT) << "seed " << seed;
        }
      }
      if (HasFatalFailure()) return;
    }
    // The application's loop alone brings the rest.
    GiHandle who = nullptr;
    for (int32_t r; (r = Loop(&ev, &who)) != -100;) {
      if (r == GI_IS_EVENT) take(who, ev);
      if (HasFatalFailure()) return;
    }
    EXPECT_EQ(got[0], put[0]) << "seed " << seed;
    EXPECT_EQ(got[1], put[1]) << "seed " << seed;
    EXPECT_EQ(h->asideCount, 0);
    EXPECT_EQ(b->asideCount, 0);
    EXPECT_TRUE(fake::S().logged.empty());
    for (auto *d : devs) EXPECT_EQ(d->queue->readOffset, d->queue->writeOffset);
    // Button values restart for the next seed; the rings are empty.
    put[0] = put[1] = got[0] = got[1] = 0;
  }
}

TEST_F(LibEvents, ComboKeepsItsButtonsAndGoesOnAsMotion) {
  GiEvent combo = fake::Buttons(GI_COMBO_EVENT, 0, 0x3);
  combo.tx = 40;
  combo.period = 25;
  fake::Put(dev, combo);
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_COMBO_EVENT);
  EXPECT_EQ(ev.current, 0x3u);
  EXPECT_EQ(ev.pressed, 0x3u);
  EXPECT_EQ(ev.tx, 20);  // 25 ms of 40 per 50 ms
  EXPECT_EQ(fake::S().timerDepth, 1);
  // Polling repeats it as plain motion without buttons.
  fake::S().clock += 50;
  ASSERT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_EQ(ev.last | ev.current | ev.pressed | ev.released, 0u);
  EXPECT_EQ(ev.tx, 40);
}

TEST_F(LibEvents, ZeroEventEndsTheMotion) {
  fake::Put(dev, fake::Motion(100, 50));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(fake::S().timerDepth, 1);
  GiEvent zero;
  std::memset(&zero, 0, sizeof zero);
  zero.type = GI_ZERO_EVENT;
  zero.period = 50;
  fake::Put(dev, zero);
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_ZERO_EVENT);
  EXPECT_EQ(fake::S().timerDepth, 0);
  EXPECT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_NOT_EVENT);
}

TEST_F(LibEvents, PollingRepeatsMotionUntilTheTimeOut) {
  EXPECT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_NOT_EVENT);  // at rest, nothing queued
  fake::Put(dev, fake::Motion(100, 50));
  ASSERT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_IS_EVENT);  // takes the queued message itself
  EXPECT_EQ(ev.tx, 100);
  EXPECT_TRUE(fake::S().messages.empty());
  fake::S().clock += 20;
  ASSERT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_EQ(ev.tx, 40);
  EXPECT_EQ(ev.period, 20);
  fake::S().clock += 1980;  // 2000 ms since the motion arrived: still on
  ASSERT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_EQ(ev.tx, 168);
  fake::S().clock += 1;
  ASSERT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_IS_EVENT);
  GiEvent zero;
  std::memset(&zero, 0, sizeof zero);
  zero.type = GI_ZERO_EVENT;
  zero.period = 50;
  EXPECT_EQ(std::memcmp(&ev, &zero, sizeof ev), 0);
  EXPECT_EQ(fake::S().timerDepth, 0);
  EXPECT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_NOT_EVENT);
  EXPECT_EQ(GiLastError, GI_NOT_EVENT);
}

TEST_F(LibEvents, PollingInFixedModeRepeatsUntilTheDriversZeroEvent) {
  fake::Put(dev, fake::Motion(70, 50));
  ASSERT_EQ(GiGetEvent(h, GI_FIXED_PERIOD, nullptr, &ev), GI_IS_EVENT);
  fake::S().clock += 60000;
  ASSERT_EQ(GiGetEvent(h, GI_FIXED_PERIOD, nullptr, &ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_MOTION_EVENT);
  EXPECT_EQ(ev.tx, 70);
  EXPECT_EQ(ev.period, 50);
}

TEST_F(LibEvents, QueueOutOfStepIsResetOnceAndStaleNoticesAreSkipped) {
  // Three notices whose records are not in the ring (emptied behind the
  // library's back): the first resets the queue, the others name records
  // the reset threw away.
  fake::PostNotice(dev, GI_MOTION_EVENT, 1);
  fake::PostNotice(dev, GI_MOTION_EVENT, 2);
  fake::PostNotice(dev, GI_BUTTON_EVENT, 3);
  dev->nextSeq = 4;
  EXPECT_EQ(Next(&ev), GI_SKIP_EVENT);
  std::vector<fake::Request> resets = fake::Sent(REQ_RESET_QUEUE);
  ASSERT_EQ(resets.size(), 1u);
  EXPECT_EQ((uint32_t)resets[0].Word(0), dev->handle);
  EXPECT_EQ(resets[0].replyWanted, 1);
  // Notices 2 and 3, then the reset notice itself.
  EXPECT_EQ(Next(&ev), GI_SKIP_EVENT);
  EXPECT_EQ(Next(&ev), GI_SKIP_EVENT);
  EXPECT_EQ(Next(&ev), GI_SKIP_EVENT);
  EXPECT_TRUE(fake::S().messages.empty());
  EXPECT_EQ(fake::Sent(REQ_RESET_QUEUE).size(), 1u);
  // What the driver writes after the reset arrives normally.
  fake::Put(dev, fake::Motion(10, 50));
  EXPECT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.tx, 10);
  EXPECT_TRUE(fake::S().logged.empty());
}

TEST_F(LibEvents, FullRingRepeatsTheLastNumberWithoutAReset) {
  int put = 0;
  while (RingFree(dev->queue->readOffset, dev->queue->writeOffset, CHANNEL_RING_SIZE) >= 52) {
    fake::Put(dev, fake::Buttons(GI_BUTTON_EVENT, 0, (uint32_t)++put));
  }
  fake::Put(dev, fake::Buttons(GI_BUTTON_EVENT, 0, 0xFFFF));  // dropped: notice with the last number
  EXPECT_EQ(put, 34);
  for (int i = 1; i <= put; i++) {
    ASSERT_EQ(Next(&ev), GI_IS_EVENT);
    EXPECT_EQ(ev.current, (uint32_t)i);
  }
  EXPECT_EQ(Next(&ev), GI_SKIP_EVENT);
  EXPECT_TRUE(fake::Sent(REQ_RESET_QUEUE).empty());
}

TEST_F(LibEvents, SequenceNumbersWrapPast65535) {
  dev->nextSeq = 65534;
  for (uint32_t b : {1u, 2u, 3u, 4u}) fake::Put(dev, fake::Buttons(GI_BUTTON_EVENT, 0, b));
  for (uint32_t b : {1u, 2u, 3u, 4u}) {
    ASSERT_EQ(Next(&ev), GI_IS_EVENT);
    EXPECT_EQ(ev.current, b);
  }
  EXPECT_TRUE(fake::Sent(REQ_RESET_QUEUE).empty());
}

TEST_F(LibEvents, ExceptionEventCarriesItsText) {
  GiEvent ex;
  std::memset(&ex, 0, sizeof ex);
  ex.type = GI_EXCEPTION_EVENT;
  std::strcpy(GI_EVENT_TEXT(&ex), "device unplugged");
  fake::Put(dev, ex, GI_EVENT_FULL_SIZE);
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_EXCEPTION_EVENT);
  EXPECT_STREQ(GI_EVENT_TEXT(&ev), "device unplugged");
}

TEST_F(LibEvents, DriverExitTearsTheLibraryDown) {
  fake::PostNotice(dev, NOTICE_DRIVER_EXIT, 0);
  EXPECT_EQ(Next(&ev), GI_NO_DRIVER);
  EXPECT_EQ(fake::S().logged, std::vector<int32_t>{GI_NO_DRIVER});
  EXPECT_TRUE(fake::Sent(REQ_CLOSE).empty());  // nobody to tell
  EXPECT_EQ(fake::S().attached, 0);
  EXPECT_TRUE(fake::S().links.empty());
  // The application's handle now says "no driver", as does everything else.
  EXPECT_EQ(GiGetDeviceID(h), -1);
  EXPECT_EQ(GiLastError, GI_NO_DRIVER);
  EXPECT_EQ(GiGetNumDevices(), -1);
  EXPECT_EQ(GiLastError, GI_NO_DRIVER);
  EXPECT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_NO_DRIVER);
  EXPECT_EQ(GiInitialize(), GI_NO_DRIVER);
  EXPECT_EQ(fake::S().attachCalls, 1);
  // Terminate frees the kept records; then the library starts over.
  GiTerminate();
  EXPECT_EQ(gGiHandles, nullptr);
  EXPECT_EQ(GiInitialize(), GI_NO_ERROR);
  EXPECT_EQ(fake::S().attachCalls, 2);
}

// A driver that went away leaves its farewell queued when the application
// notices by a request first. The next driver hands out the same slot and the
// same message again: the old notice must not end the new connection.
TEST_F(LibEvents, TerminateDropsTheNoticesOfItsHandles) {
  fake::Put(dev, fake::Motion(5, 50));
  fake::PostNotice(dev, NOTICE_DRIVER_EXIT, 0);
  fake::S().messages.push_back({(void *)(intptr_t)0x9999, dev->message, (uint32_t)dev->slot, 0});
  fake::S().driverChanged = true;
  GiDriverInfo info;
  EXPECT_EQ(GiGetDriverInfo(&info), GI_NO_DRIVER);
  GiTerminate();
  ASSERT_EQ(fake::S().messages.size(), 1u);  // another window's message stays
  EXPECT_EQ(fake::S().messages[0].window, (void *)(intptr_t)0x9999);
  fake::S().messages.clear();
  // The same slot and message from the next driver.
  fake::S().nextSlot = dev->slot;
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  h = OpenOne(0x1234);
  ASSERT_NE(h, nullptr);
  fake::Opened *again = fake::LastOpened();
  EXPECT_EQ(again->slot, dev->slot);
  fake::Put(again, fake::Buttons(GI_BUTTON_EVENT, 0, 1));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(ev.type, GI_BUTTON_EVENT);
}

// A queue out of step whose reset request finds the driver gone: the message
// is skipped and the library stays as it was. It ends on the driver's
// farewell or on a read that finds the driver gone, not on a failed reset.
TEST_F(LibEvents, AFailedResetLeavesTheLibraryStanding) {
  for (int32_t status : {TRANS_NO_DRIVER, TRANS_REPLY_TIMEOUT, TRANS_LOCK_TIMEOUT}) {
    fake::PostNotice(dev, GI_MOTION_EVENT, 1);
    fake::S().readStatus = TRANS_INCOMPLETE;
    fake::S().sendStatus = status;
    fake::S().logged.clear();
    EXPECT_EQ(Next(&ev), GI_SKIP_EVENT) << status;
    EXPECT_EQ(GiLastError, GI_SKIP_EVENT);
    ASSERT_EQ(fake::S().logged.size(), 1u) << "the failed request is logged where it failed";
    EXPECT_EQ(fake::S().logged[0], AppMapStatus(status));
    EXPECT_EQ(gGiDriverLoss, GI_LOSS_NONE);
    EXPECT_EQ(GiGetNumDevices(), 2);
    EXPECT_EQ(fake::S().attached, 1);
    EXPECT_EQ(GiIsHandle(h), h);
    EXPECT_EQ(fake::S().timerDepth, 0);
  }
  fake::S().readStatus = 0;
  fake::S().sendStatus = 0;
  // The driver's farewell still ends the library.
  fake::PostNotice(dev, NOTICE_DRIVER_EXIT, 0);
  EXPECT_EQ(Next(&ev), GI_NO_DRIVER);
  EXPECT_EQ(gGiDriverLoss, GI_LOSS_DONE);
}

TEST_F(LibEvents, DriverGoneWhileReadingOrFolding) {
  fake::Put(dev, fake::Motion(100, 50));
  fake::S().driverChanged = true;
  EXPECT_EQ(Next(&ev), GI_NO_DRIVER);
  EXPECT_EQ(fake::S().timerDepth, 0);
  GiTerminate();
  // Driver exit behind a motion being folded.
  fake::Reset();
  ASSERT_EQ(GiInitialize(), GI_NO_ERROR);
  h = OpenOne(0x1234);
  dev = fake::LastOpened();
  fake::Put(dev, fake::Motion(100, 50));
  fake::PostNotice(dev, NOTICE_DRIVER_EXIT, 0);
  EXPECT_EQ(Next(&ev), GI_NO_DRIVER);
  EXPECT_EQ(GiGetNumDevices(), -1);
  EXPECT_EQ(fake::S().timerDepth, 0);
}

TEST_F(LibEvents, ClosingInMotionHandsTheTimerBack) {
  fake::Put(dev, fake::Motion(100, 50));
  ASSERT_EQ(Next(&ev), GI_IS_EVENT);
  EXPECT_EQ(fake::S().timerDepth, 1);
  ASSERT_EQ(GiClose(h), GI_NO_ERROR);
  EXPECT_EQ(fake::S().timerDepth, 0);
  // The closed handle is refused without its freed record being read.
  EXPECT_EQ(GiGetEvent(h, 0, nullptr, &ev), GI_BAD_HANDLE);
  EXPECT_EQ(GiDispatch(h, nullptr, &ev, nullptr), 0);
  EXPECT_EQ(GiLastError, GI_BAD_HANDLE);
}

struct Seen {
  void *window = nullptr;
  int32_t user = 0, type = 0;
};
Seen gSeen;

int32_t Record(GiWindowQueue *pair, GiGetEventData *, GiEvent *event, int32_t user) {
  gSeen.window = pair->window;
  gSeen.user = user;
  gSeen.type = event->type;
  return 40 + event->type;
}

TEST_F(LibEvents, DispatchCallsTheHandlerOfTheType) {
  GiOpenData od;
  GiOpenWinInit(&od, (void *)(intptr_t)(int32_t)0x80001234);
  GiHandle neg = GiOpen("Test", 0, nullptr, GI_EVENT_MODE, &od);
  ASSERT_NE(neg, nullptr);
  GiEventHandlers table{};
  table.type[0] = {Record, 11};
  table.type[1] = {Record, 22};
  GiEvent e{};
  GiGetEventData d{};
  gSeen = Seen();
  e.type = GI_MOTION_EVENT;
  EXPECT_EQ(GiDispatch(neg, &d, &e, &table), 42);
  EXPECT_EQ(gSeen.user, 22);
  // A window value with the top bit set stays the same window on 64 bits.
  EXPECT_EQ(gSeen.window, (void *)(intptr_t)(int32_t)0x80001234);
  e.type = GI_EXCEPTION_EVENT;  // no handler
  EXPECT_EQ(GiDispatch(neg, &d, &e, &table), 0);
  for (int32_t type : {0, 6, -1}) {
    e.type = type;
    EXPECT_EQ(GiDispatch(neg, &d, &e, &table), 0) << type;
  }
  e.type = GI_BUTTON_EVENT;
  EXPECT_EQ(GiDispatch(h, &d, &e, &table), 41);
  EXPECT_EQ(gSeen.user, 11);
  EXPECT_EQ(gSeen.window, (void *)(intptr_t)0x1234);
  EXPECT_EQ(GiDispatch(nullptr, &d, &e, &table), 0);
  EXPECT_EQ(GiLastError, GI_BAD_HANDLE);
}

}  // namespace
