// The gyxsim program as a Linux process: its COM link, line pacing, command
// sources (stdin, script, control port) and every way it is meant to end.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char **environ;

namespace {

const char kProgram[] = GYX_BINARY_DIR "/tools/gyxsim/gyxsim";

long long NowMs() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

class GyxsimProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/gyxsim-test-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    link_ = dir_ + "/com1";
  }

  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    for (int fd : {toSim_, fromSim_, port_})
      if (fd >= 0) close(fd);
    std::string cmd = "rm -rf '" + dir_ + "'";
    (void)!system(cmd.c_str());
  }

  // Starts gyxsim with a link and a modem directory of this test's own,
  // standard input and output on pipes.
  void Start(std::vector<std::string> args) {
    args.insert(args.begin(),
                {kProgram, "--link", link_, "--modem-dir", dir_ + "/modem", "--log", dir_ + "/log"});
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    int in[2], out[2];
    ASSERT_EQ(pipe2(in, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    ASSERT_EQ(posix_spawn(&pid_, kProgram, &fa, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(out[1]);
    toSim_ = in[1];
    fromSim_ = out[0];
  }

  // Exit status once the program has ended within timeoutMs, else -1.
  int WaitExit(int timeoutMs) {
    long long end = NowMs() + timeoutMs;
    while (NowMs() < end) {
      int status;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      usleep(5000);
    }
    return -1;
  }

  bool WaitFile(const std::string &path, int timeoutMs) {
    long long end = NowMs() + timeoutMs;
    struct stat st;
    while (lstat(path.c_str(), &st) != 0) {
      if (NowMs() >= end) return false;
      usleep(5000);
    }
    return true;
  }

  void OpenPort() {
    ASSERT_TRUE(WaitFile(link_, 5000));
    port_ = open(link_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(port_, 0) << strerror(errno);
  }

  // Reads from fd until count bytes or the time-out.
  static std::string ReadBytes(int fd, size_t count, int timeoutMs) {
    std::string out;
    long long end = NowMs() + timeoutMs;
    while (out.size() < count && NowMs() < end) {
      struct pollfd p = {fd, POLLIN, 0};
      if (poll(&p, 1, (int)(end - NowMs())) <= 0) break;
      char buf[256];
      ssize_t n = read(fd, buf, sizeof buf);
      if (n <= 0) break;
      out.append(buf, (size_t)n);
    }
    return out;
  }

  std::string ReadLine(int fd, int timeoutMs) {
    std::string line;
    long long end = NowMs() + timeoutMs;
    char c;
    while (NowMs() < end) {
      struct pollfd p = {fd, POLLIN, 0};
      if (poll(&p, 1, (int)(end - NowMs())) <= 0 || read(fd, &c, 1) != 1) break;
      if (c == '\n') return line;
      line.push_back(c);
    }
    return "(no line: " + line + ")";
  }

  std::string Ask(const std::string &command) {
    std::string line = command + "\n";
    EXPECT_EQ(write(toSim_, line.data(), line.size()), (ssize_t)line.size());
    return ReadLine(fromSim_, 5000);
  }

  std::string Log() {
    std::string cmd = "cat '" + dir_ + "/log' 2>/dev/null";
    std::string text;
    if (FILE *f = popen(cmd.c_str(), "r")) {
      char buf[512];
      size_t n;
      while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
      pclose(f);
    }
    return text;
  }

  std::string dir_, link_;
  pid_t pid_ = -1;
  int toSim_ = -1, fromSim_ = -1, port_ = -1;
};

TEST_F(GyxsimProgram, StdinDrivesItAndItsEndEndsTheSimulator) {
  Start({"--stdin"});
  OpenPort();
  const long long start = NowMs();
  ASSERT_EQ(write(port_, "hv\r", 3), 3);
  std::string reply = ReadBytes(port_, 47, 3000);
  const long long took = NowMs() - start;
  EXPECT_EQ(reply, "HvFirmware version 2.14 Quorvanel 2200 SN 0042\r");
  // 47 bytes at 9600 baud take 49 ms: the pty alone would take none.
  EXPECT_GE(took, 45) << "reply not paced";
  EXPECT_EQ(Ask("log"), "ok 1 hv\\r");
  EXPECT_EQ(Ask("press 9"), "ok bytes=4");
  EXPECT_EQ(ReadBytes(port_, 4, 2000), "KP@\r");
  EXPECT_EQ(Ask("nonsense"), "err unknown command 'nonsense'");

  close(toSim_);
  toSim_ = -1;
  EXPECT_EQ(WaitExit(3000), 0) << Log();
  struct stat st;
  EXPECT_NE(lstat(link_.c_str(), &st), 0) << "the link goes with the simulator";
}

TEST_F(GyxsimProgram, ScriptRunsFromTheStart) {
  const std::string script = dir_ + "/script";
  FILE *f = fopen(script.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fputs(
      "# a user pressing 2, waiting for the driver's beep\n"
      "press 2\n"
      "waitcmd BcC\\r timeout=5000\n"
      "release all\n"
      "quit\n",
      f);
  fclose(f);
  Start({"--model", "2200", "--script", script});
  OpenPort();
  EXPECT_EQ(ReadBytes(port_, 4, 3000), "K@B\r");
  ASSERT_EQ(write(port_, "BcC\r", 4), 4);
  EXPECT_EQ(ReadBytes(port_, 4, 3000), "K@@\r");
  EXPECT_EQ(WaitExit(3000), 0) << Log();
}

TEST_F(GyxsimProgram, ControlPortAndTermination) {
  const std::string portFile = dir_ + "/port";
  Start({"--model", "3200", "--control", "0", "--port-file", portFile});
  ASSERT_TRUE(WaitFile(portFile, 5000));
  FILE *f = fopen(portFile.c_str(), "r");
  ASSERT_NE(f, nullptr);
  int port = 0;
  ASSERT_EQ(fscanf(f, "%d", &port), 1);
  fclose(f);
  port_ = socket(AF_INET, SOCK_STREAM, 0);
  struct sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_port = htons((uint16_t)port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(port_, (struct sockaddr *)&a, sizeof a), 0) << strerror(errno);
  const char cmd[] = "status\n";
  ASSERT_EQ(write(port_, cmd, sizeof cmd - 1), (ssize_t)sizeof cmd - 1);
  std::string status = ReadLine(port_, 3000);
  EXPECT_EQ(status.rfind("ok model=3200 ", 0), 0u) << status;
  EXPECT_NE(status.find(" link=" + link_), std::string::npos) << status;

  kill(pid_, SIGTERM);
  EXPECT_EQ(WaitExit(3000), 0) << Log();
  struct stat st;
  EXPECT_NE(lstat(portFile.c_str(), &st), 0) << "port file removed";
  EXPECT_NE(lstat(link_.c_str(), &st), 0) << "link removed";
  EXPECT_EQ(ReadBytes(port_, 1, 1000), "") << "connection closed";
}

TEST_F(GyxsimProgram, EndsWithItsParent) {
  pid_t parent;
  char *sleepArgv[] = {(char *)"sleep", (char *)"30", nullptr};
  ASSERT_EQ(posix_spawnp(&parent, "sleep", nullptr, nullptr, sleepArgv, environ), 0);
  Start({"--parent-pid", std::to_string(parent)});
  ASSERT_TRUE(WaitFile(link_, 5000));
  EXPECT_EQ(WaitExit(300), -1) << "runs while its parent does";
  kill(parent, SIGKILL);  // a zombie until reaped: that counts as ended too
  EXPECT_EQ(WaitExit(3000), 0) << Log();
  waitpid(parent, nullptr, 0);
}

TEST_F(GyxsimProgram, BadInvocationsAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {"--model", "9999"}, {"--port-file", "/tmp/x"}, {"--frobnicate"},
      {"--model"},         {"--firmware", "\\q"},     {"--script", "/nonexistent/script"},
  };
  for (const auto &args : bad) {
    Start(args);
    EXPECT_EQ(WaitExit(3000), 2) << args[0];
    close(toSim_);
    close(fromSim_);
    toSim_ = fromSim_ = -1;
  }
}

// Unpaced (--baud 0), as the throughput benchmark drives it: a burst queued
// at once (move every=0) reaches the port whole and in order, and a burst
// larger than the pty holds waits for the reader instead of losing bytes.
class GyxsimBurst : public GyxsimProgram {
 protected:
  void SetUp() override {
    GyxsimProgram::SetUp();
    Start({"--baud", "0", "--stdin"});
    OpenPort();
  }
  void Send(const std::string &command) {
    std::string line = command + "\n";
    ASSERT_EQ(write(toSim_, line.data(), line.size()), (ssize_t)line.size());
  }
  const std::string packet_ = std::string("D\x01\x40\0\x01\0\x02\0\x03\0\x04\0\x05\0\x06\r", 16);
};

TEST_F(GyxsimBurst, QueuedBurstArrivesWholeAndInOrder) {
  Send("move 1 2 3 4 5 6 every=0 count=600 ticks=320");
  const std::string bytes = ReadBytes(port_, 600 * 16, 10000);
  EXPECT_EQ(ReadLine(fromSim_, 5000), "ok bytes=9600");
  ASSERT_EQ(bytes.size(), 600u * 16u) << Log();
  for (size_t i = 0; i < 600; i++) ASSERT_EQ(bytes.substr(i * 16, 16), packet_) << "packet " << i;
  EXPECT_EQ(Log().find("overrun"), std::string::npos);
}

TEST_F(GyxsimBurst, BurstLargerThanThePtyWaitsForTheReader) {
  Send("move 1 2 3 4 5 6 every=0 count=4000 ticks=320");
  usleep(300 * 1000);
  struct pollfd p = {fromSim_, POLLIN, 0};
  EXPECT_EQ(poll(&p, 1, 0), 0) << "64000 bytes do not fit the pty: the command is still sending";
  const std::string bytes = ReadBytes(port_, 64000, 10000);
  ASSERT_EQ(bytes.size(), 64000u) << Log();
  for (size_t i = 0; i < 4000; i++) ASSERT_EQ(bytes.substr(i * 16, 16), packet_) << "packet " << i;
  EXPECT_EQ(ReadLine(fromSim_, 5000), "ok bytes=64000");
  EXPECT_EQ(Log().find("overrun"), std::string::npos);
}

}  // namespace
