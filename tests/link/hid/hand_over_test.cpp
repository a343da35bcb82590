#include <gtest/gtest.h>

#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "hid_test_app.h"
#include "link/hid/hand_over.h"

namespace {

/// A worker that offers calls through a hand-over until stopped, like a reader does.
struct Worker {
    HandOver handOver;
    std::function<void(int)> onGui;  // runs on the GUI thread with the call's number
    std::atomic<int> offered{0};
    std::atomic<int> withdrawn{0};
    std::atomic<bool> ended{false};
    int limit = 0;
    std::jthread thread;

    void start(int calls) {
        limit = calls;
        thread = std::jthread([this](const std::stop_token& token) {
            int number = 0;
            const std::function<void()> call = [this, &number] { onGui(number); };
            while (!token.stop_requested() && number < limit) {
                offered.fetch_add(1);
                if (!handOver.run(token, call)) withdrawn.fetch_add(1);
                ++number;
            }
            ended = true;
        });
    }
};

class HandOverTest : public ::testing::Test {
protected:
    HandOverTest() { hidTestApp(); }
    QThread* gui = QThread::currentThread();
};

TEST_F(HandOverTest, RunsEveryCallOnTheGuiThreadInOrderOneAtATime) {
    Worker worker;
    std::vector<int> seen;
    bool inside = false;
    bool overlapped = false;
    bool offThread = false;
    worker.onGui = [&](int n) {
        overlapped = overlapped || inside;
        inside = true;
        offThread = offThread || QThread::currentThread() != gui;
        seen.push_back(n);
        inside = false;
    };
    constexpr int kCalls = 10000;
    worker.start(kCalls);
    ASSERT_TRUE(runUntil([&] { return worker.ended.load(); }, 60000));
    ASSERT_EQ(seen.size(), std::size_t{kCalls});
    for (int i = 0; i < kCalls; ++i)
        ASSERT_EQ(seen[static_cast<std::size_t>(i)], i);
    EXPECT_FALSE(overlapped);
    EXPECT_FALSE(offThread);
    EXPECT_EQ(worker.withdrawn.load(), 0);
    EXPECT_EQ(worker.handOver.callsRun(), std::uint64_t{kCalls});
}

TEST_F(HandOverTest, StopWhileACallIsPendingWithdrawsItWithoutTheGuiThread) {
    Worker worker;
    int ran = 0;
    worker.onGui = [&](int) { ++ran; };
    worker.start(1);
    // No event is processed here, so the call stays pending.
    ASSERT_TRUE(waitWithoutEvents([&] { return worker.handOver.pending(); }));
    worker.thread.request_stop();
    worker.thread.join();  // returns although the GUI thread never served the call
    EXPECT_EQ(worker.withdrawn.load(), 1);
    EXPECT_FALSE(worker.handOver.pending());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(ran, 0);
}

TEST_F(HandOverTest, StopFromInsideTheCallJoinsTheWorkerOnceTheCallReturned) {
    auto owner = std::make_shared<Worker>();
    const std::weak_ptr<Worker> watch = owner;
    Worker& worker = *owner;
    std::vector<int> seen;
    bool endedInside = true;
    bool aliveInside = false;
    worker.onGui = [&](int n) {
        seen.push_back(n);
        if (n != 3) return;
        worker.thread.request_stop();
        // The worker waits for this call: it cannot have ended, and is released only after.
        worker.handOver.releaseAfterCall(std::move(owner));
        endedInside = worker.ended.load();
        aliveInside = !watch.expired();
    };
    worker.start(100);
    ASSERT_TRUE(runUntil([&] { return watch.expired(); }));
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_FALSE(endedInside);
    EXPECT_TRUE(aliveInside);
}

TEST_F(HandOverTest, StopInsideANestedEventLoopNeitherDeadlocksNorRunsTheWithdrawnCall) {
    // A's call runs a modal loop; inside it B, whose call waits, is stopped and joined, and A
    // is stopped from inside its own call.
    auto ownerA = std::make_shared<Worker>();
    const std::weak_ptr<Worker> watchA = ownerA;
    Worker& a = *ownerA;
    Worker b;
    int bRan = 0;
    bool bJoinedInLoop = false;
    b.onGui = [&](int) { ++bRan; };
    a.onGui = [&](int) {
        QEventLoop modal;
        QTimer::singleShot(0, &modal, [&] {
            b.start(1);
            EXPECT_TRUE(waitWithoutEvents([&] { return b.handOver.pending(); }));
            b.thread.request_stop();
            b.thread.join();
            bJoinedInLoop = true;
            a.thread.request_stop();
            a.handOver.releaseAfterCall(std::move(ownerA));
            modal.quit();
        });
        modal.exec();
    };
    a.start(5);
    ASSERT_TRUE(runUntil([&] { return watchA.expired(); }));
    EXPECT_TRUE(bJoinedInLoop);
    EXPECT_EQ(b.withdrawn.load(), 1);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(bRan, 0);
}

TEST_F(HandOverTest, ACallThatThrowsStillLetsTheWorkerGo) {
    Worker worker;
    std::vector<int> seen;
    worker.onGui = [&](int n) {
        seen.push_back(n);
        if (n == 1) throw std::runtime_error("handler failed");
    };
    worker.start(3);
    ASSERT_TRUE(runUntil([&] { return worker.ended.load(); }));
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(hidTestApp().lastError, "handler failed");
    EXPECT_EQ(worker.withdrawn.load(), 0);
}

}  // namespace
