// The end-to-end tests: the real dialer window on the offscreen platform, real emulated
// phones, real sockets. The dialer broadcasts, so they run only inside scripts/sealed-net.
#include "SealedNet.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::string(argv[i]).rfind("--gtest_list_tests", 0) == 0;
    if (!listing && !orvane::demo::InsideSealedNet()) {
        std::fputs("end-to-end tests run only inside scripts/sealed-net\n", stderr);
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
