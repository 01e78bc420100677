// The command line, the control lines, the log escapes, the fault datagrams and the
// generated phone data.
#include "Control.h"
#include "Directory.h"
#include "Escape.h"
#include "Options.h"

#include <gtest/gtest.h>

#include <set>

namespace orvane::sim::test {
namespace {

OptionsResult Parse(std::vector<std::string> args) {
    return ParseOptions(args);
}

TEST(Options, PhoneBlocksAndGlobalOptions) {
    auto r = Parse({"--phone",
                    "addr=10.77.0.11,name=Front Desk\\, East,type=T1,id=A0B1C2,busy=1,"
                    "password=pw,contacts=999,calls=2999,model=old,private-mac=00:11:22:33:44:55,"
                    "answer-ms=500,ring-ms=2000,seed=7",
                    "--phone", "addr=10.77.0.12", "--port", "9999", "--log", "/tmp/x.log",
                    "--control", "--ring", "0301234", "--no-broadcast"});
    ASSERT_TRUE(r.options) << r.error;
    const SimOptions& o = *r.options;
    ASSERT_EQ(o.phones.size(), 2u);
    const PhoneConfig& a = o.phones[0];
    EXPECT_EQ(a.address, "10.77.0.11");
    EXPECT_EQ(a.name, "Front Desk, East");
    EXPECT_EQ(a.id, "A0B1C2");
    EXPECT_TRUE(a.busy);
    EXPECT_EQ(a.password, "pw");
    EXPECT_EQ(a.contacts, 999);
    EXPECT_EQ(a.calls, 2999);
    EXPECT_TRUE(a.oldModel);
    EXPECT_EQ(a.privateMac, "00:11:22:33:44:55");
    EXPECT_EQ(a.answerAfterMs, 500);
    EXPECT_EQ(a.ringTimeoutMs, 2000);
    EXPECT_EQ(a.seed, 7u);
    EXPECT_EQ(a.ringNumber, "0301234"); // --ring goes to the first phone
    EXPECT_EQ(o.phones[1].name, "Desk Phone");
    EXPECT_TRUE(o.phones[1].ringNumber.empty());
    EXPECT_EQ(o.port, 9999);
    EXPECT_EQ(o.logPath, "/tmp/x.log");
    EXPECT_TRUE(o.control);
    EXPECT_FALSE(o.broadcast);

    auto d = Parse({});
    ASSERT_TRUE(d.options);
    ASSERT_EQ(d.options->phones.size(), 1u);
    EXPECT_EQ(d.options->phones[0].address, "127.0.0.1");
    EXPECT_EQ(d.options->port, 8888);
    EXPECT_TRUE(Parse({"--help"}).options->help);
    EXPECT_TRUE(Parse({"--version"}).options->version);
}

TEST(Options, BadInputIsRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {"--phone", "name=x"},
        {"--phone", "addr=10.77.0"},
        {"--phone", "addr=10.77.0.256"},
        {"--phone", "addr=010.77.0.1"},
        {"--phone", "addr=10.77.0.11,name=" + std::string(32, 'n')},
        {"--phone", "addr=10.77.0.11,name="},
        {"--phone", "addr=10.77.0.11,type=T 1"},
        {"--phone", "addr=10.77.0.11,type=TOOLONGTYPE"},
        {"--phone", "addr=10.77.0.11,busy=2"},
        {"--phone", "addr=10.77.0.11,contacts=1000"},
        {"--phone", "addr=10.77.0.11,calls=3000"},
        {"--phone", "addr=10.77.0.11,calls=-1"},
        {"--phone", "addr=10.77.0.11,model=older"},
        {"--phone", "addr=10.77.0.11,password=two words"},
        {"--phone", "addr=10.77.0.11,colour=red"},
        {"--phone", "addr=10.77.0.11,novalue"},
        {"--phone", "addr=10.77.0.11", "--phone", "addr=10.77.0.11"},
        {"--phone"},
        {"--port", "65536"},
        {"--port", "x"},
        {"--log"},
        {"--ring", "1 2"},
        {"--verbose"},
    };
    for (const auto& args : bad) {
        auto r = Parse(args);
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_FALSE(r.options) << joined;
        EXPECT_FALSE(r.error.empty()) << joined;
    }
}

TEST(Options, GnuFormsAreReadAndAnythingElseIsRefused) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::string error; // the start of the reason, when refused
    };
    const std::vector<Case> cases = {
        {{"--port=9999", "--log=-"}, true, ""},
        {{"--no-broad", "--cont"}, true, ""}, // unambiguous abbreviations
        {{"-h"}, true, ""},
        {{"--phone", "addr=10.77.0.11", "stray"}, false, "unknown option 'stray'"},
        {{"--p", "1"}, false, "unknown option '--p'"}, // --phone or --port
        {{"--control=yes"}, false, "unknown option '--control=yes'"},
        {{"-x"}, false, "unknown option '-x'"},
        {{"--phone"}, false, "--phone needs a value"},
        {{"--port"}, false, "--port needs 0 to 65535"},
        {{"--ring"}, false, "--ring needs a number without blanks"},
        {{"--log", ""}, false, "--log needs a file name"},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        SCOPED_TRACE(joined);
        const OptionsResult r = Parse(c.args);
        EXPECT_EQ(r.options.has_value(), c.ok) << r.error;
        if (!c.ok) {
            EXPECT_EQ(r.error.rfind(c.error, 0), 0u) << r.error;
        }
    }
    // Read twice in one process, as the tests do: the second scan starts afresh.
    const OptionsResult again = Parse({"--port=9999", "--log=-"});
    ASSERT_TRUE(again.options) << again.error;
    EXPECT_EQ(again.options->port, 9999);
    EXPECT_EQ(again.options->logPath, "-");
}

TEST(Options, HelpNamesEveryOption) {
    const std::string help = HelpText();
    for (const char* word :
         {"--phone",    "--port",    "--ring",   "--no-broadcast", "--log",        "--control",
          "--help",     "addr=",     "name=",    "type=",          "id=",          "busy=",
          "password=",  "contacts=", "calls=",   "model=",         "private-mac=", "ring=",
          "answer-ms=", "ring-ms=",  "seed=",    "send-to",        "fault",        "flood",
          "status",     "quit",      "--version"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
}

TEST(ControlLines, ParseIntoCommands) {
    auto c = ParseControlLine("send DISP: 1 two\\nlines\r\n");
    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->verb, ControlVerb::Send);
    EXPECT_EQ(c.command->bytes, std::string("DISP: 1 two\nlines\0", 18));

    c = ParseControlLine("@10.77.0.12 send-to 10.77.0.1:40000 LOGIN: 1");
    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->phone, "10.77.0.12");
    EXPECT_EQ(c.command->to, (Endpoint{"10.77.0.1", 40000}));
    EXPECT_EQ(c.command->bytes, std::string("LOGIN: 1\0", 9));

    c = ParseControlLine("raw A\\0B\\xff");
    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->bytes, std::string("A\0B\xff", 4));

    c = ParseControlLine("fault oversize count=3 rate=50 seconds=2 size=6000 to=127.0.0.1:9");
    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->fault, FaultKind::Oversize);
    EXPECT_EQ(c.command->count, 3);
    EXPECT_EQ(c.command->rate, 50);
    EXPECT_EQ(c.command->seconds, 2);
    EXPECT_EQ(c.command->size, 6000u);

    // A flood fast enough to bury a dialer: 100,000 a second for 3 s.
    c = ParseControlLine("flood count=300000 rate=100000 seconds=3 DISP: 2 x");
    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->rate, 100000);
    EXPECT_EQ(c.command->count, 300000);

    c = ParseControlLine("flood count=10 KEY: 5 x=y");
    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->count, 10);
    EXPECT_EQ(c.command->bytes, std::string("KEY: 5 x=y\0", 11));

    // A stranger host beside the phones: sends from its own address, or only listens.
    c = ParseControlLine("from 10.77.0.66 send-to 10.77.0.1:40000 LOGIN: 1");
    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->from, "10.77.0.66");
    EXPECT_EQ(c.command->verb, ControlVerb::SendTo);
    EXPECT_EQ(c.command->bytes, std::string("LOGIN: 1\0", 9));
    c = ParseControlLine("from 10.77.0.66 flood count=5 rate=10 INPUT: 1 x;OK;No;");
    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->verb, ControlVerb::Flood);
    EXPECT_EQ(c.command->from, "10.77.0.66");
    c = ParseControlLine("listen 10.77.0.77");
    ASSERT_TRUE(c.command);
    EXPECT_EQ(c.command->verb, ControlVerb::Listen);
    EXPECT_EQ(c.command->from, "10.77.0.77");

    for (const char* line : {"ring 0301234", "hangup", "busy 1", "drop", "stop", "status", "quit"})
        EXPECT_TRUE(ParseControlLine(line).command) << line;

    for (const char* bad : {"",
                            "jump",
                            "send bad\\q",
                            "send bad\\x4",
                            "send-to nowhere x",
                            "send-to 1.2.3.4 x",
                            "busy 2",
                            "ring",
                            "fault",
                            "fault melt",
                            "fault empty count=0",
                            "fault empty count=1000001",
                            "fault empty rate=0",
                            "fault empty rate=200001",
                            "fault empty seconds=601",
                            "fault oversize size=4000",
                            "fault nul extra",
                            "flood count=5",
                            "flood rate=x KEY: 5",
                            "@nowhere send x",
                            "from nowhere send x",
                            "from 10.77.0.66 ring 1",
                            "from 10.77.0.66",
                            "listen",
                            "listen host"})
        EXPECT_FALSE(ParseControlLine(bad).command) << bad;
}

TEST(Escapes, LogLinesNeverBreakAndControlTextRoundTrips) {
    const std::string raw("A\\B\n\r\t\0\x01\x7f\xff end", 14);
    const std::string esc = EscapeForLog(raw);
    EXPECT_EQ(esc, "A\\\\B\\n\\r\\t\\0\\x01\\x7F\\xFF end");
    EXPECT_EQ(Unescape(esc), raw);
    EXPECT_EQ(EscapeForLog(std::string(20, 'x'), 10), "xxxxxxxxxx...(+10 bytes)");
    EXPECT_EQ(WithoutTerminator(std::string("LOGIN: 1\0", 9)), "LOGIN: 1");
    EXPECT_EQ(WithoutTerminator("no terminator"), "no terminator");
    for (const char* bad : {"\\", "\\x", "\\x1", "\\xg1", "\\q"})
        EXPECT_FALSE(Unescape(bad)) << bad;
}

TEST(Endpoints, OnlyDottedAddressesWithPorts) {
    EXPECT_EQ(ParseEndpoint("10.77.0.1:8888"), (Endpoint{"10.77.0.1", 8888}));
    for (const char* bad : {"10.77.0.1", "10.77.0.1:", "10.77.0.1:65536", "host:1", "1.2.3:4",
                            "1.2.3.4:-1", "1.2.3.4:08x"})
        EXPECT_FALSE(ParseEndpoint(bad)) << bad;
    EXPECT_TRUE(IsLoopbackIPv4("127.0.0.2"));
    EXPECT_FALSE(IsLoopbackIPv4("10.77.0.1"));
}

TEST(Faults, EachKindIsBrokenTheWayItSays) {
    for (std::uint64_t seq = 0; seq < 30; ++seq) {
        EXPECT_TRUE(MakeFaultDatagram(FaultKind::Empty, seq, 0).empty());
        std::string big = MakeFaultDatagram(FaultKind::Oversize, seq, 4001);
        EXPECT_EQ(big.size(), 4001u);
        std::string nul = MakeFaultDatagram(FaultKind::Nul, seq, 0);
        EXPECT_LT(nul.find('\0'), nul.size() - 1) << "a NUL inside, not only at the end";
        std::string cut = MakeFaultDatagram(FaultKind::Truncated, seq, 0);
        EXPECT_FALSE(cut.empty());
        EXPECT_NE(cut.back(), '\0');
        std::string garbage = MakeFaultDatagram(FaultKind::Garbage, seq, 0);
        EXPECT_GE(garbage.size(), 1u);
        EXPECT_LE(garbage.size(), 300u);
        EXPECT_EQ(garbage, MakeFaultDatagram(FaultKind::Garbage, seq, 0)) << "repeatable";
    }
    EXPECT_NE(MakeFaultDatagram(FaultKind::Garbage, 1, 0),
              MakeFaultDatagram(FaultKind::Garbage, 2, 0));
    EXPECT_EQ(MakeFaultDatagram(FaultKind::Oversize, 0, 65507).size(), 65507u);
}

TEST(Directory, GeneratedDataIsRealisticDistinctAndRepeatable) {
    auto contacts = GenerateContacts(999, 42);
    ASSERT_EQ(contacts.size(), 999u);
    EXPECT_EQ(GenerateContacts(2000, 42).size(), 999u);
    std::set<std::string> names;
    for (std::size_t i = 0; i < contacts.size(); ++i) {
        const ContactRecord& c = contacts[i];
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        EXPECT_LE(c.name.size(), kContactNameWidth);
        EXPECT_LE(c.number.size(), kContactNumberWidth);
        EXPECT_EQ(c.number.find_first_not_of("+0123456789"), std::string::npos) << c.number;
        EXPECT_EQ(c.name.find(';'), std::string::npos);
        if (i > 0) {
            EXPECT_FALSE(ContactLess(c, contacts[i - 1])) << "sorted by name";
        }
    }
    EXPECT_EQ(GenerateContacts(999, 42)[500].name, contacts[500].name);
    EXPECT_NE(GenerateContacts(999, 43)[500].name, contacts[500].name);

    const std::time_t now = 1765285200;
    auto calls = GenerateCalls(2999, 42, contacts, now);
    ASSERT_EQ(calls.size(), 2999u);
    std::set<CallKind> kinds;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const CallRecord& c = calls[i];
        kinds.insert(c.kind);
        EXPECT_LE(c.number.size(), kCallNumberWidth);
        EXPECT_LE(std::count(c.name.begin(), c.name.end(), ' '), 2) << "the dialer restores two";
        EXPECT_LT(c.when, i == 0 ? now : calls[i - 1].when) << "newest first";
        if (c.kind == CallKind::Missed) {
            EXPECT_EQ(c.durationSec, 0);
        }
    }
    EXPECT_EQ(kinds.size(), 3u);
    EXPECT_EQ(DurationText(3725), "01:02:05");
    EXPECT_EQ(DurationText(-5), "00:00:00");
}

} // namespace
} // namespace orvane::sim::test
