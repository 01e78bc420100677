// How long the dialer takes to recognise and read each kind of device message, next to a
// floor from the same run: one memchr pass over the same bytes. Run with
//   protocol_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
#include "Protocol.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace orvane::proto;

// What the dispatcher does with one message: find its keyword and read its arguments.
// Returns something that depends on the reading so the compiler keeps it.
std::size_t RecognizeAndParse(std::string_view msg) {
    switch (RecognizeIncoming(msg)) {
    case InKeyword::Disp: {
        const auto d = Read<InKeyword::Disp>(msg);
        return d ? d->text.size() : 0;
    }
    case InKeyword::TextKey: return Read<InKeyword::TextKey>(msg) ? 1 : 0;
    case InKeyword::IconKey: return Read<InKeyword::IconKey>(msg) ? 1 : 0;
    case InKeyword::Clr: return Read<InKeyword::Clr>(msg).value_or(0) > 0 ? 1 : 0;
    case InKeyword::Icon: return Read<InKeyword::Icon>(msg) ? 1 : 0;
    case InKeyword::Vol: return Read<InKeyword::Vol>(msg) ? 1 : 0;
    case InKeyword::ShowMute: return Read<InKeyword::ShowMute>(msg) ? 1 : 0;
    case InKeyword::Linux: return Read<InKeyword::Linux>(msg).value_or(std::string_view{}).size();
    case InKeyword::Pbook: return Read<InKeyword::Pbook>(msg).value().items.size();
    case InKeyword::Calls: return Read<InKeyword::Calls>(msg).value().items.size();
    case InKeyword::Menu: return Read<InKeyword::Menu>(msg).value().items.size();
    case InKeyword::Input: return Read<InKeyword::Input>(msg).value().prompt.size();
    case InKeyword::Orvn: return Read<InKeyword::Orvn>(msg) ? 1 : 0;
    case InKeyword::Login: return Read<InKeyword::Login>(msg) ? 1 : 0;
    case InKeyword::None: return 0;
    default: return 2; // keywords without arguments
    }
}

std::string CallsDatagram(std::size_t maxBytes) {
    std::vector<CallItem> calls(3000);
    for (std::size_t k = 0; k < calls.size(); ++k) {
        CallItem& c = calls[k];
        c.callType = static_cast<int>(k % 3);
        c.number = "0301555" + std::to_string(1000 + k);
        c.name = "Ann Lee " + std::to_string(k);
        c.date = "2024-05-" + std::to_string(10 + k % 20);
        c.time = "10:" + std::to_string(10 + k % 50);
        c.duration = "0:0" + std::to_string(k % 10);
    }
    return Write<InKeyword::Calls>(-1, calls, maxBytes).front();
}

std::string PbookDatagram(std::size_t maxBytes) {
    std::vector<Contact> contacts;
    for (int k = 0; k < 50; ++k)
        contacts.push_back({"0301555" + std::to_string(k), "Contact number " + std::to_string(k)});
    return Write<InKeyword::Pbook>(0, contacts, maxBytes).front();
}

struct Sample {
    const char* name;
    std::string msg;
};

std::vector<Sample> Samples() {
    return {
        {"hook_on", "HOOK: ON"},
        {"disp", "DISP: 0 Anna Berger calling from the front desk"},
        {"disp_block", "DISP: 7 Line one of the block\nLine two\nLine three"},
        {"text_key", "TEXT_KEY: 1 Answer"},
        {"icon_key", "ICON_KEY: 3 0"},
        {"clr", "CLR: 2"},
        {"icon", "ICON: 22 1"},
        {"vol", "VOL: 2 65 Handset volume"},
        {"show_mute", "SHOW_MUTE: 1"},
        {"linux", "LINUX: drwxr-xr-x    2 root     root          4096 Jan  1 00:00 etc"},
        {"pbook_200", PbookDatagram(200)},
        {"calls_200", CallsDatagram(200)},
        {"menu", "MENU: 0 1 Call history;2 Phone book;3 Settings;4 Network;5 Status;"},
        {"input", "INPUT: 1 Enter the new PIN;Save;Cancel;1234"},
        {"orvn_long", "ORVN: T1 192.168.1.20 A0B1C2D3E4F5 0 1 Front Desk"},
        {"orvn_short", "ORVN: T1 192.168.1.21 A0B1C3D4E5F6 1 Lobby phone"},
        {"login", "LOGIN: 1"},
        {"unknown", "HELLO: nobody listens"},
        {"calls_4000", CallsDatagram(kMaxReceiveLength)},
    };
}

void BM_Parse(benchmark::State& state, const std::string* msg) {
    for (auto _ : state) {
        std::string_view view(*msg);
        benchmark::DoNotOptimize(view.data());
        benchmark::DoNotOptimize(RecognizeAndParse(view));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(msg->size()));
}

// The floor: one pass over the same bytes looking for a byte that is not there.
void BM_Floor(benchmark::State& state, const std::string* msg) {
    for (auto _ : state) {
        const char* p = msg->data();
        benchmark::DoNotOptimize(p);
        benchmark::DoNotOptimize(std::memchr(p, '\x01', msg->size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(msg->size()));
}

// The device side of the link: reading the dialer's commands.
void BM_DeviceParse(benchmark::State& state, const std::string* msg) {
    for (auto _ : state) {
        std::string_view view(*msg);
        benchmark::DoNotOptimize(view.data());
        benchmark::DoNotOptimize(RecognizeOutgoing(view));
    }
}

} // namespace

int main(int argc, char** argv) {
    static const std::vector<Sample> samples = Samples();
    for (const Sample& s : samples) {
        const std::string label = std::string(s.name) + "/" + std::to_string(s.msg.size());
        benchmark::RegisterBenchmark(("parse/" + label).c_str(), BM_Parse, &s.msg);
        benchmark::RegisterBenchmark(("floor/" + label).c_str(), BM_Floor, &s.msg);
    }
    static const std::vector<Sample> commands = {
        {"key", Write<OutKeyword::Key>(KeyCode::Send)},
        {"login", Write<OutKeyword::Login>("00:1A:2B:3C:4D:5E", "secret")},
        {"add", Write<OutKeyword::Add>("0301555123", "Ann Lee")},
        {"upload_chunk",
         [] {
             std::vector<Contact> contacts(40, Contact{"0301555123", "Contact with a long name"});
             return Write<OutKeyword::PrivateUpload>(contacts).front();
         }()},
    };
    for (const Sample& s : commands) {
        const std::string label = std::string(s.name) + "/" + std::to_string(s.msg.size());
        benchmark::RegisterBenchmark(("device_parse/" + label).c_str(), BM_DeviceParse, &s.msg);
        benchmark::RegisterBenchmark(("floor/" + label).c_str(), BM_Floor, &s.msg);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
