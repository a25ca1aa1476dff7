// The gyxsim program unpaced (--baud 0), as the throughput benchmark drives
// it: a burst of packets queued at once (move every=0) reaches the port
// whole and in order, and a burst larger than the pty holds waits for the
// reader instead of losing bytes.
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char **environ;

namespace {

const char kProgram[] = GYX_BINARY_DIR "/tools/gyxsim/gyxsim";

long long NowMs()
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000 + t.tv_nsec / 1000000;
}

class GyxsimBurst : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/gyxsim-burst-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        std::string link = dir_ + "/com1";
        std::vector<std::string> args = {kProgram, "--baud", "0", "--stdin", "--link", link, "--modem-dir",
                                         dir_ + "/modem", "--log", dir_ + "/log"};
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(&a[0]);
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
        struct stat st;
        for (long long end = NowMs() + 5000; lstat(link.c_str(), &st) != 0 && NowMs() < end;)
            usleep(5000);
        port_ = open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(port_, 0) << strerror(errno);
    }

    void TearDown() override
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : {toSim_, fromSim_, port_})
            if (fd >= 0)
                close(fd);
        std::string cmd = "rm -rf '" + dir_ + "'";
        (void)!system(cmd.c_str());
    }

    static std::string Read(int fd, size_t count, int timeoutMs, bool line)
    {
        std::string out;
        long long end = NowMs() + timeoutMs;
        while (out.size() < count && NowMs() < end) {
            struct pollfd p = {fd, POLLIN, 0};
            if (poll(&p, 1, (int)(end - NowMs())) <= 0)
                break;
            char buf[4096];
            ssize_t n = read(fd, buf, line ? 1 : sizeof buf);
            if (n <= 0)
                break;
            if (line && buf[0] == '\n')
                return out;
            out.append(buf, (size_t)n);
        }
        return out;
    }

    void Send(const std::string &command)
    {
        std::string line = command + "\n";
        ASSERT_EQ(write(toSim_, line.data(), line.size()), (ssize_t)line.size());
    }

    std::string Log()
    {
        std::string text, path = dir_ + "/log";
        if (FILE *f = fopen(path.c_str(), "r")) {
            char buf[512];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, f)) > 0)
                text.append(buf, n);
            fclose(f);
        }
        return text;
    }

    std::string dir_;
    pid_t pid_ = -1;
    int toSim_ = -1, fromSim_ = -1, port_ = -1;
};

TEST_F(GyxsimBurst, QueuedBurstArrivesWholeAndInOrder)
{
    Send("move 1 2 3 4 5 6 every=0 count=600 ticks=320");
    const std::string bytes = Read(port_, 600 * 16, 10000, false);
    EXPECT_EQ(Read(fromSim_, 200, 5000, true), "ok bytes=9600");
    const std::string packet("D\x01\x40\0\x01\0\x02\0\x03\0\x04\0\x05\0\x06\r", 16);
    ASSERT_EQ(bytes.size(), 600u * 16u) << Log();
    for (size_t i = 0; i < 600; i++)
        ASSERT_EQ(bytes.substr(i * 16, 16), packet) << "packet " << i;
    EXPECT_EQ(Log().find("overrun"), std::string::npos);
}

TEST_F(GyxsimBurst, BurstLargerThanThePtyWaitsForTheReader)
{
    const std::string packet("D\x01\x40\0\x01\0\x02\0\x03\0\x04\0\x05\0\x06\r", 16);
    Send("move 1 2 3 4 5 6 every=0 count=4000 ticks=320");
    usleep(300 * 1000);
    struct pollfd p = {fromSim_, POLLIN, 0};
    EXPECT_EQ(poll(&p, 1, 0), 0) << "64000 bytes do not fit the pty: the command is still sending";
    const std::string bytes = Read(port_, 64000, 10000, false);
    ASSERT_EQ(bytes.size(), 64000u) << Log();
    for (size_t i = 0; i < 4000; i++)
        ASSERT_EQ(bytes.substr(i * 16, 16), packet) << "packet " << i;
    EXPECT_EQ(Read(fromSim_, 200, 5000, true), "ok bytes=64000");
    EXPECT_EQ(Log().find("overrun"), std::string::npos);
}

} // namespace
