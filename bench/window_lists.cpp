// The call log and the phonebook sent whole over a real socket until the view shows them, beside
// parsing the same datagrams.
#include "WindowRig.h"

#include "FaceIds.h"
#include "Protocol.h"

#include <QAbstractItemModel>
#include <QTreeView>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orvane;

namespace bench {

namespace {

std::vector<proto::CallItem> SampleCalls() {
    static const char* names[] = {"Anna^Berger", "Front^Desk",     "Lee^Chan", "",
                                  "M.^Okafor",   "Dr^Jonas^Weber", "Reception"};
    std::vector<proto::CallItem> calls(proto::kCallLogCapacity - 1);
    for (std::size_t k = 0; k < calls.size(); ++k) {
        proto::CallItem& c = calls[k];
        c.callType = static_cast<int>(k % 3);
        c.number = "0301555" + std::to_string(1000 + k);
        c.name = names[k % 7];
        c.date = "2024-05-" + std::to_string(10 + k % 20) + "^Mon";
        c.time = std::to_string(8 + k % 12) + ":" + std::to_string(10 + k % 50);
        c.duration = "0:" + std::to_string(10 + k % 50);
    }
    return calls;
}

std::vector<proto::Contact> SampleContacts() {
    std::vector<proto::Contact> contacts(proto::kPhonebookCapacity - 1);
    for (std::size_t k = 0; k < contacts.size(); ++k)
        contacts[k] = {"+49301555" + std::to_string(1000 + k),
                       "Contact " + std::to_string(k) + " of the office"};
    return contacts;
}

// The largest datagram size (in steps of 100) that still splits the calls into at least
// `count` datagrams.
std::size_t SplitFor(const std::vector<proto::CallItem>& calls, std::size_t count) {
    for (std::size_t max = proto::kMaxReceiveLength; max > 200; max -= 100)
        if (proto::Write<proto::InKeyword::Calls>(0, calls, max).size() >= count) return max;
    return 200;
}

struct ListCase {
    const char* name;
    int listId;
    int rows;
    std::vector<std::string> datagrams;
    std::string clear; // empties the list (untimed)
    std::function<std::size_t(std::string_view)> parse;
    double targetMs;
};

void BenchList(Rig& rig, const ListCase& lc) {
    auto* tree = qobject_cast<QTreeView*>(rig.window.control(lc.listId));
    QAbstractItemModel* model = tree->model();
    PaintCounter painted(tree->viewport());
    const int sender = LoopbackSocket(0);
    const std::uint16_t port = rig.port();

    std::vector<double> shown, parsed, allRows;
    int incomplete = 0;
    const int n = 25;
    for (int rep = 0; rep < n; ++rep) {
        // Parse-only floor: reading the same datagrams, nothing else.
        std::int64_t t0 = NowNs();
        std::size_t items = 0;
        for (const std::string& d : lc.datagrams)
            items += lc.parse(d);
        std::int64_t t1 = NowNs();
        if (items != static_cast<std::size_t>(lc.rows)) std::fprintf(stderr, "parse lost items\n");
        parsed.push_back(static_cast<double>(t1 - t0));

        SendText(sender, lc.clear, port);
        PumpUntil([&] { return model->rowCount() == 0; });
        PumpFor(5);

        // The device sends the datagrams back to back, as it does, from its own thread.
        std::atomic<bool> go{false};
        std::int64_t start = 0;
        std::thread device([&] {
            while (!go.load(std::memory_order_acquire)) {
            }
            for (const std::string& d : lc.datagrams)
                SendText(sender, d, port);
        });
        start = NowNs();
        go.store(true, std::memory_order_release);
        const bool whole = PumpUntil([&] { return model->rowCount() == lc.rows; }, 3000);
        const std::int64_t rowsIn = NowNs();
        int paintsAtWhole = painted.paints;
        // Shown: the view has painted once after its last row arrived.
        if (whole) PumpUntil([&] { return painted.paints > paintsAtWhole; }, 1000);
        const std::int64_t end = NowNs();
        device.join();
        if (!whole) {
            ++incomplete;
            continue;
        }
        shown.push_back(static_cast<double>(end - start));
        allRows.push_back(static_cast<double>(rowsIn - start));
    }
    ::close(sender);

    const double figure = bench::Median(shown) / kMs;
    const double floor = bench::Median(parsed) / kMs;
    char target[32];
    std::snprintf(target, sizeof target, "<= %.0f ms", lc.targetMs);
    Row r{std::string(lc.name) + " in " + std::to_string(lc.datagrams.size()) +
              " datagrams, first send .. shown whole",
          figure,
          floor,
          "ms",
          "parse-only",
          target};
    r.met = !shown.empty() && figure <= lc.targetMs && incomplete == 0;
    bench::Print(r);
    bench::Note(std::string(lc.name) + ": every row in the view after " +
                bench::Fixed(bench::Median(allRows) / kMs) + " ms, painted after " +
                bench::Fixed(figure) + " ms (medians of " + std::to_string(shown.size()) + ")");
    if (incomplete > 0)
        bench::Note(std::string(lc.name) + ": " + std::to_string(incomplete) + " of " +
                    std::to_string(n) + " runs never showed the whole list (datagrams lost)");
}

} // namespace

void BenchLists(Rig& rig) {
    const auto calls = SampleCalls();
    const std::size_t split = SplitFor(calls, 75);
    ListCase callLog{"2999-item call log",
                     Ctl::CallLogList,
                     static_cast<int>(calls.size()),
                     proto::Write<proto::InKeyword::Calls>(0, calls, split),
                     "CALLS: 0",
                     [](std::string_view d) {
                         return proto::Read<proto::InKeyword::Calls>(d).value().items.size();
                     },
                     30};
    ListCase phonebook{"999-contact phonebook",
                       Ctl::PhonebookList,
                       proto::kPhonebookCapacity - 1,
                       proto::Write<proto::InKeyword::Pbook>(0, SampleContacts(), split),
                       "PBOOK: 0",
                       [](std::string_view d) {
                           return proto::Read<proto::InKeyword::Pbook>(d).value().items.size();
                       },
                       10};
    BenchList(rig, callLog);
    BenchList(rig, phonebook);
    std::size_t bytes = 0;
    for (const auto& d : callLog.datagrams)
        bytes += d.size();
    bench::Note("lists: datagrams of at most " + std::to_string(split) + " bytes; call log " +
                std::to_string(bytes) + " bytes in " + std::to_string(callLog.datagrams.size()) +
                ", phonebook in " + std::to_string(phonebook.datagrams.size()));
}

} // namespace bench
