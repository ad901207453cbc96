#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <future>
#include <thread>

#include "tests/ui_qt/window_fixture.h"
#include "ui/qt/run_bridge.h"

using testsupport::WindowFixture;
namespace confirm = engine::confirm;

namespace {

// Answers nothing by itself: the test holds the question and answers it.
struct HeldQuestions : ui::qt::BridgeTarget {
  std::shared_ptr<ui::qt::PendingAnswer<int>> confirm;
  engine::ConfirmRequest request;
  void OnComparisonStarted() override {}
  void OnComparisonFinished(bool) override {}
  void OnProblem(const std::string&) override {}
  void OnItemStarting(const engine::CompareItem*) override {}
  void OnItemDone(const engine::CompareItem*) override {}
  void OnItemFailed(const std::string&, const std::string&) override {}
  void OnEndOfItems() override {}
  void OnStatusText(const std::string&) override {}
  void OnRunFinished(const engine::RunTotals&) override {}
  void OnFinishFailed(const std::string&) override {}
  void OnWorkerEnded() override {}
  void OnConfirm(const engine::ConfirmRequest& asked, std::shared_ptr<ui::qt::PendingAnswer<int>> answer) override {
    request = asked;
    confirm = std::move(answer);
  }
  void OnAskYesNo(const std::string&, engine::PromptIcon, std::shared_ptr<ui::qt::PendingAnswer<engine::PromptAnswer>> answer) override {
    answer->Answer(engine::PromptAnswer::Yes);
  }
  void OnMessage(const std::string&, engine::PromptIcon) override {}
};

}  // namespace

TEST(RunBridge, AWorkersQuestionWaitsForTheWindowsAnswerAndTheWindowThreadIsNeverBlocked) {
  QObject context;
  HeldQuestions target;
  ui::qt::RunBridge bridge(&context, target);
  auto asked = std::async(std::launch::async, [&] {
    return bridge.Confirm({"/dst/a.txt", "/src/a.txt", confirm::kOverwrite | confirm::kToTargetSide});
  });
  // The question arrives through the window thread's event loop, which keeps running.
  ASSERT_TRUE(QTest::qWaitFor([&] { return target.confirm != nullptr; }, 5000));
  EXPECT_EQ(target.request.path, "/dst/a.txt");
  EXPECT_EQ(asked.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
  target.confirm->Answer(confirm::kSkipThisAction);
  target.confirm->Answer(confirm::kYesOnce);  // a second answer changes nothing
  EXPECT_EQ(asked.get(), confirm::kSkipThisAction);
  // Store questions from a worker wait the same way.
  auto yesNo = std::async(std::launch::async, [&] { return bridge.AskYesNo("create?", engine::PromptIcon::Question); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return yesNo.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; }, 5000));
  EXPECT_EQ(yesNo.get(), engine::PromptAnswer::Yes);
  // Asked on the window thread itself, nobody could answer: cancel at once instead of a deadlock.
  EXPECT_EQ(bridge.Confirm({"/x", "", confirm::kDelete}), confirm::kCancel);
}

TEST(RunBridge, AQuestionLeftOpenWhenTheWindowGoesIsAnsweredCancel) {
  auto context = std::make_unique<QObject>();
  HeldQuestions target;
  ui::qt::RunBridge bridge(context.get(), target);
  auto asked = std::async(std::launch::async, [&] { return bridge.Confirm({"/dst/a.txt", "", confirm::kDelete}); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return target.confirm != nullptr; }, 5000));
  // The dialog went without an answer, and the window with it.
  target.confirm.reset();
  context.reset();
  bridge.RequestCancel();
  EXPECT_EQ(asked.get(), confirm::kCancel);
}

TEST(WorkController, ClosingDuringARunCancelsTheOpenQuestionWaitsForTheWorkerAndThenFinishes) {
  WindowFixture fixture;
  fixture.layOut();
  // Asked before overwriting a.txt: the question stays open.
  ui::qt::WorkController& asking = fixture.open({}, true);
  ASSERT_TRUE(asking.StartComparison(fixture.session()));
  ASSERT_TRUE(fixture.waitIdle());
  QSignalSpy questions(&asking, &ui::qt::WorkController::confirmRequested);
  ASSERT_TRUE(asking.StartRun({}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return questions.count() == 1; }, 10000));
  bool closed = false;
  asking.Shutdown([&] { closed = true; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return closed; }, 10000));
  EXPECT_EQ(fixture.tree.read("dst/a.txt"), "target a") << "the cancelled question overwrote nothing";
}
