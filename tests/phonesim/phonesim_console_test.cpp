// The phone's console: its built-in commands, and that nothing typed into it ever runs.
#include "Console.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::sim::test {
namespace {

ConsoleContext Context() {
    ConsoleContext ctx;
    ctx.hostname = "Front Desk";
    ctx.address = "10.77.0.11";
    ctx.id = "A0B1C2";
    ctx.model = "T1";
    ctx.uptimeSec = 93784; // 1 day, 2:03
    ctx.now = 1765285200;
    ctx.events = {"controlled by 00:11:22:33:44:55", "calling 5551234"};
    return ctx;
}

TEST(Console, BuiltInsAnswerLikeAShell) {
    struct Case {
        const char* line;
        std::string output;
    } cases[] = {
        {"echo hello world", "hello world\n"},
        {"echo  'two  blanks'  \"and more\"", "two  blanks and more\n"},
        {"echo -n x", "x"},
        {"echo", "\n"},
        {"uname", "Linux\n"},
        {"uname -n", "Front Desk\n"},
        {"uname -a", "Linux Front Desk 4.9.118-orvane #1 SMP PREEMPT armv7l GNU/Linux\n"},
        {"uname -x", "uname: invalid option -- '-x'\nUsage: uname [-asnrvmo]\n"},
        {"hostname", "Front Desk\n"},
        {"whoami", "root\n"},
        {"pwd", "/root\n"},
        {"cat /etc/hostname", "Front Desk\n"},
        {"cat /etc/version /nope", "2.4.1\ncat: can't open '/nope': No such file or directory\n"},
        {"cat /etc", "cat: read error: Is a directory\n"},
        {"cat /var/log/messages", "controlled by 00:11:22:33:44:55\ncalling 5551234\n"},
        {"cat /proc/uptime", "93784.00 84405.00\n"},
        {"ls /etc", "hostname\nhosts\nissue\nsip.conf\nversion\n"},
        {"ls /missing", "ls: /missing: No such file or directory\n"},
        {"ls -z", "ls: invalid option -- 'z'\n"},
        {"   ", ""},
        {"true", ""},
        {"echo 'open", "sh: syntax error: unterminated quoted string\n"},
    };
    for (const Case& c : cases) {
        PhoneConsole console;
        EXPECT_EQ(console.Run(c.line, Context()), c.output) << c.line;
    }
    PhoneConsole console;
    EXPECT_NE(console.Run("uptime", Context()).find("up 1 day,  2:03,  load average"),
              std::string::npos);
    EXPECT_NE(console.Run("ifconfig", Context()).find("inet addr:10.77.0.11"), std::string::npos);
    EXPECT_EQ(console.Run("cat /etc/sip.conf", Context()).find("password = ********"),
              std::string("[account1]\nregistrar = sip.example.invalid\nuser = A0B1C2\n").size());
}

TEST(Console, CdMovesThroughTheMadeUpTree) {
    PhoneConsole console;
    const ConsoleContext ctx = Context();
    EXPECT_EQ(console.Run("cd /var/log", ctx), "");
    EXPECT_EQ(console.Run("pwd", ctx), "/var/log\n");
    EXPECT_EQ(console.Run("ls", ctx), "messages\n");
    EXPECT_EQ(console.Run("cd ../../etc/./", ctx), "");
    EXPECT_EQ(console.Run("cat hostname", ctx), "Front Desk\n");
    EXPECT_EQ(console.Run("cd hostname", ctx), "sh: cd: can't cd to hostname: Not a directory\n");
    EXPECT_EQ(console.Run("cd /../../..", ctx), "");
    EXPECT_EQ(console.Run("pwd", ctx), "/\n");
    EXPECT_EQ(console.Run("cd /nowhere", ctx),
              "sh: cd: can't cd to /nowhere: No such file or directory\n");
    EXPECT_EQ(console.Run("cd", ctx), "");
    EXPECT_EQ(console.Run("pwd", ctx), "/root\n");
    EXPECT_NE(console.Run("ls -la /", ctx)
                  .find("drwxr-xr-x    2 root     root            0 Jan  1 00:00 etc\n"),
              std::string::npos);
}

TEST(Console, NothingTypedEverRuns) {
    char dir[] = "/tmp/phonesim-console-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string marker = std::string(dir) + "/ran";
    const std::string lines[] = {
        "touch " + marker,
        "/bin/touch " + marker,
        "sh -c 'touch " + marker + "'",
        "busybox touch " + marker,
        "$(touch " + marker + ")",
        "`touch " + marker + "`",
        "echo $(touch " + marker + ")",
        "echo x > " + marker,
        "ls; touch " + marker,
        "ls && touch " + marker,
        "ls || touch " + marker,
        "ls | touch " + marker,
        "ls & touch " + marker,
        "echo \"$(touch " + marker + ")\"",
        "touch\\ " + marker,
        "rm -rf /",
        "python3 -c 'open(\"" + marker + "\",\"w\")'",
        "exec touch " + marker,
    };
    for (const std::string& line : lines) {
        PhoneConsole console;
        std::string out = console.Run(line, Context());
        EXPECT_TRUE(out.find("not found") != std::string::npos ||
                    out.find("are not supported") != std::string::npos)
            << line << " gave " << out;
        struct stat st {};
        EXPECT_NE(stat(marker.c_str(), &st), 0) << line << " created a file";
    }
    rmdir(dir);
}

TEST(Console, OutputIsBounded) {
    ConsoleContext ctx = Context();
    ctx.events.assign(2000, std::string(60, 'e'));
    PhoneConsole console;
    std::string out = console.Run("cat /var/log/messages /var/log/messages", ctx);
    EXPECT_LE(out.size(), PhoneConsole::kMaxOutput + 20);
    EXPECT_NE(out.find("[output cut]"), std::string::npos);
}

} // namespace
} // namespace orvane::sim::test
