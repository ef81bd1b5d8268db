// The verify/extract race: a watcher that puts an unsigned archive in place of the signed one
// each time the archive is closed after reading. What is checked and unpacked
// must still be the signed archive's content, or the update refused; never the other one.

#include "UpdateTestKit.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "update/InstallModel.h"

#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>

namespace dilato {
namespace {

TEST(ExtractRace, AnArchiveSwappedAtEachCloseIsNeverTheOneUnpacked) {
    test::TempFolder work, spare;
    const test::TestSigningKey key;
    const test::TestRelease release = test::MakeRelease(
        key, "1.4.0", {{"dilato_1.4.0_all.deb", "genuine"}, {"Setup.sh", "#!/bin/sh\n"}});
    ASSERT_TRUE(test::MakeZip(spare.file("unsigned.zip"), {{"dilato_1.4.0_all.deb", "evil"}, {"evil.sh", "x"}}));
    const std::string unsignedBytes = spare.read("unsigned.zip");

    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, work.path().c_str(), IN_CLOSE_NOWRITE), 0);
    std::atomic<bool> stop{false};
    std::atomic<int> swaps{0};
    std::thread watcher([&] {
        alignas(inotify_event) char buffer[4096];
        while (!stop) {
            const ssize_t n = ::read(watch, buffer, sizeof buffer);
            if (n <= 0) {
                std::this_thread::yield();
                continue;
            }
            bool archiveClosed = false;
            for (char* at = buffer; at < buffer + n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0 && std::string(event->name) == "Dilato140.zip") archiveClosed = true;
                at += sizeof(inotify_event) + event->len;
            }
            if (!archiveClosed) continue;
            // The archive was read and closed: it is replaced at once.
            std::ofstream(spare.file("next.zip"), std::ios::binary) << unsignedBytes;
            if (::rename(spare.file("next.zip").c_str(), work.file("Dilato140.zip").c_str()) == 0) ++swaps;
        }
    });

    test::RecordingOperator op;
    int accepted = 0;
    for (int trial = 0; trial < 40; ++trial) {
        test::WriteRelease(work.path(), release);
        InstallModel model(work.path(), key.publicKey(), op, "1.3.7", "2026-12-09");
        model.pressYes();
        if (model.install()) {
            ++accepted;
            EXPECT_EQ(model.checkedFiles, (std::vector<std::string>{"dilato_1.4.0_all.deb", "Setup.sh"}))
                << "trial " << trial;
        } else {
            ASSERT_FALSE(op.messages.empty());
            EXPECT_NE(op.messages.back().text.find("not signed by Norvane"), std::string::npos)
                << op.messages.back().text;
        }
    }
    stop = true;
    watcher.join();
    ::close(watch);
    EXPECT_GT(swaps.load(), 0); // the watcher really raced
    EXPECT_GT(accepted, 0);     // and the archive read before a swap still went through
}

} // namespace
} // namespace dilato
