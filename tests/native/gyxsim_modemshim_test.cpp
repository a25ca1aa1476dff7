// The modem-line shim, loaded into the test and called directly: ptys get
// DTR/RTS and publish them per pty, everything else sees the real ioctl.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <dirent.h>
#include <string>
#include <thread>
#include <vector>

namespace {

typedef int (*IoctlFn)(int, unsigned long, ...);

class GyxsimModemShim : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char tmpl[] = "/tmp/gyxmodem-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    setenv("GYX_MODEM_DIR", dir_.c_str(), 1);  // read once, at the shim's first call
    lib_ = dlopen(GYX_BINARY_DIR "/tools/modemshim/libgyxmodem.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib_, nullptr) << dlerror();
    shim_ = (IoctlFn)dlsym(lib_, "ioctl");
    ASSERT_NE(shim_, nullptr);
  }

  static void TearDownTestSuite() {
    std::string cmd = "rm -rf '" + dir_ + "'";
    (void)!system(cmd.c_str());
  }

  void SetUp() override {
    ASSERT_NE(shim_, nullptr);
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master_, 0);
    ASSERT_EQ(grantpt(master_), 0);
    ASSERT_EQ(unlockpt(master_), 0);
    name_ = ptsname(master_);
    slave_ = open(name_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave_, 0);
    unlink(StateFile(name_).c_str());  // left by an earlier pty of the same number
  }

  void TearDown() override {
    close(slave_);
    close(master_);
  }

  std::string StateFile(const std::string &pts) { return dir_ + "/pts" + pts.substr(pts.rfind('/') + 1); }

  std::string Published(const std::string &pts) {
    FILE *f = fopen(StateFile(pts).c_str(), "r");
    if (!f) return "(none)";
    char buf[128] = {};
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    return std::string(buf, n);
  }

  std::string Expected(int dtr, int rts) {
    return "dtr=" + std::to_string(dtr) + " rts=" + std::to_string(rts) + " pid=" + std::to_string(getpid()) +
           "\n";
  }

  static std::string dir_;
  static void *lib_;
  static IoctlFn shim_;
  int master_ = -1, slave_ = -1;
  std::string name_;
};

std::string GyxsimModemShim::dir_;
void *GyxsimModemShim::lib_;
IoctlFn GyxsimModemShim::shim_;

TEST_F(GyxsimModemShim, PtyHasModemLinesPerPtyNotPerDescriptor) {
  int lines = 0;
  ASSERT_EQ(shim_(slave_, TIOCMGET, &lines), 0);
  EXPECT_EQ(lines, TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR)
      << "a tty starts with DTR and RTS up";
  EXPECT_EQ(Published(name_), "(none)") << "reading publishes nothing";

  int set = 0;
  ASSERT_EQ(shim_(slave_, TIOCMSET, &set), 0);
  EXPECT_EQ(Published(name_), Expected(0, 0));
  int dtr = TIOCM_DTR;
  ASSERT_EQ(shim_(slave_, TIOCMBIS, &dtr), 0);
  EXPECT_EQ(Published(name_), Expected(1, 0));

  // Another descriptor of the same pty sees and changes the same lines.
  int other = open(name_.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(shim_(other, TIOCMGET, &lines), 0);
  EXPECT_EQ(lines & (TIOCM_DTR | TIOCM_RTS), TIOCM_DTR);
  int both = TIOCM_DTR | TIOCM_RTS | TIOCM_RNG;  // only DTR and RTS can be set
  ASSERT_EQ(shim_(other, TIOCMBIS, &both), 0);
  ASSERT_EQ(shim_(slave_, TIOCMGET, &lines), 0);
  EXPECT_EQ(lines, TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR);
  EXPECT_EQ(Published(name_), Expected(1, 1));
  ASSERT_EQ(shim_(other, TIOCMBIC, &dtr), 0);
  EXPECT_EQ(Published(name_), Expected(0, 1));
  close(other);
}

TEST_F(GyxsimModemShim, OtherDescriptorsGetTheRealResult) {
  int pipefd[2];
  ASSERT_EQ(pipe(pipefd), 0);
  int null = open("/dev/null", O_RDWR);
  char path[] = "/tmp/gyxmodem-file-XXXXXX";
  int file = mkstemp(path);
  ASSERT_GE(file, 0);
  unlink(path);
  for (int fd : {pipefd[0], null, file, master_, 9999}) {
    for (unsigned long req : {TIOCMGET, TIOCMSET, TIOCMBIS, TIOCMBIC}) {
      int value = TIOCM_DTR;
      errno = 0;
      int real = ioctl(fd, req, &value);
      int realErrno = errno;
      value = TIOCM_DTR;
      errno = 0;
      EXPECT_EQ(shim_(fd, req, &value), real) << "fd " << fd << " request " << req;
      EXPECT_EQ(errno, realErrno) << "fd " << fd << " request " << req;
    }
  }
  // A pty's other requests are not the shim's business.
  struct winsize ws = {};
  EXPECT_EQ(shim_(slave_, TIOCGWINSZ, &ws), 0);
  ASSERT_EQ(write(master_, "abc\n", 4), 4);
  usleep(20000);
  int avail = 0;
  EXPECT_EQ(shim_(slave_, FIONREAD, &avail), 0);
  EXPECT_EQ(avail, 4);

  DIR *d = opendir(dir_.c_str());
  ASSERT_NE(d, nullptr);
  int files = 0;
  while (struct dirent *e = readdir(d))
    if (e->d_name[0] != '.' && std::string("pts") + name_.substr(name_.rfind('/') + 1) == e->d_name) files++;
  closedir(d);
  EXPECT_EQ(files, 0) << "nothing was set on this test's pty";
  close(pipefd[0]);
  close(pipefd[1]);
  close(null);
  close(file);
}

// Wine calls from several threads; every published state must be whole and
// the last one must be the final state.
TEST_F(GyxsimModemShim, ConcurrentCallsLeaveAWholeFinalState) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++)
    threads.emplace_back([this, t] {
      int bit = (t & 1) ? TIOCM_RTS : TIOCM_DTR;
      for (int i = 0; i < 300; i++) shim_(slave_, (i & 1) ? TIOCMBIC : TIOCMBIS, &bit);
    });
  for (std::thread &th : threads) th.join();
  int lines = TIOCM_RTS;
  ASSERT_EQ(shim_(slave_, TIOCMSET, &lines), 0);
  EXPECT_EQ(Published(name_), Expected(0, 1));

  DIR *d = opendir(dir_.c_str());
  ASSERT_NE(d, nullptr);
  int temporaries = 0;
  while (struct dirent *e = readdir(d))
    if (strstr(e->d_name, ".tmp")) temporaries++;
  closedir(d);
  EXPECT_EQ(temporaries, 0);
}

}  // namespace
