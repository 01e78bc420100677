// The window brought in step after one display-line change, beside a lone QLabel told the same
// text.
#include "WindowRig.h"

#include "FaceIds.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

using namespace orvane;

namespace bench {

void BenchSync(Rig& rig) {
    DialerWindow& w = rig.window;
    // The floor: one label of the same font in a window of its own, told its new text.
    QWidget plain;
    plain.resize(w.size());
    auto* label = new QLabel(&plain);
    label->setTextFormat(Qt::PlainText);
    label->setFont(w.fontFor(FontId::B));
    label->setGeometry(w.control(Ctl::DisplayLine1)->geometry());
    plain.show();
    if (!QTest::qWaitForWindowExposed(&plain)) std::fprintf(stderr, "label window not exposed\n");

    std::vector<double> syncs, callCores, plainSets;
    const int n = 3000;
    for (int i = 0; i < n; ++i) {
        const std::string text = "Line one " + std::to_string(i);
        rig.dialog.SetDisplayLine(1, text);
        std::int64_t t0 = NowNs();
        w.sync();
        std::int64_t t1 = NowNs();
        syncs.push_back(static_cast<double>(t1 - t0));

        const QString qtext = QString::fromStdString(text);
        t0 = NowNs();
        label->setText(qtext);
        t1 = NowNs();
        plainSets.push_back(static_cast<double>(t1 - t0));

        // The whole handler call: copy back, the change, bring in step.
        const std::string other = "Other " + std::to_string(i);
        t0 = NowNs();
        w.callCore([&] { rig.dialog.SetDisplayLine(1, other); });
        t1 = NowNs();
        callCores.push_back(static_cast<double>(t1 - t0));
        QCoreApplication::processEvents(); // paints, outside the timing
    }
    const double sync = bench::Median(syncs);
    const double floor = bench::Median(plainSets);
    Row r{"window in step after one display-line change (sync, median)",
          sync / kUs,
          floor / kUs,
          "us",
          "QLabel::setText alone",
          "<= 50 us"};
    r.met = sync / kUs <= 50;
    bench::Print(r);
    Row c{"one incoming display line as a handler call (copy back + change + sync)",
          bench::Median(callCores) / kUs,
          floor / kUs,
          "us",
          "QLabel::setText alone",
          ""};
    c.hasTarget = false;
    bench::Print(c);
}

} // namespace bench
