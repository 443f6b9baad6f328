#include "quorvel/run/relay_window.h"

#include <gtest/gtest.h>

#include <thread>

#include "quorvel/run/run_driver.h"
#include "quorvel/run/tests/fake_run_window.h"

namespace quorvel {
namespace {

TEST(RelayWindowTest, HandsOverThePictureSinceTheLastClearWithItsProgress) {
  RelayWindow relay({{kEntryS, "0.1"}}, 640, 480);
  EXPECT_EQ(relay.EntryText(kEntryS), "0.1");
  EXPECT_EQ(relay.EntryText(kEntryK), "");
  EXPECT_FLOAT_EQ(relay.Picture().ScaleHeight(), 480);
  common::DrawingSurface& picture = relay.Picture();
  relay.ShowProgress(kShowIteration, "");  // a display emptied is no run
  relay.ShowProgress(kShowK, "0.8");
  picture.Line(0, 0, 1, 1);
  picture.Refresh(true);
  picture.Clear();
  relay.ShowProgress(kShowK, "0.81");
  picture.SetForeColour(kRPlusColour);
  picture.Point(2, 3);
  relay.Flush();
  relay.Messages().ShowMessage("a message");

  RelayWindow::Update update = relay.Take();
  EXPECT_TRUE(update.Cleared);
  ASSERT_EQ(update.Drawn.size(), 1u);
  EXPECT_EQ(update.Drawn[0].kind, common::Primitive::Kind::Point);
  EXPECT_EQ(update.Drawn[0].colour, kRPlusColour);
  EXPECT_EQ(update.Progress.at(kShowK), "0.81");
  EXPECT_EQ(update.Messages, std::vector<std::string>{"a message"});
  EXPECT_TRUE(relay.Take().Empty());
}

TEST(RelayWindowTest, ACommandOnAnotherThreadIsWatchedAndStopped) {
  testing::TempFolder folder;
  testing::Session session(folder.Path());
  session.SetMode(RunMode::NSweep);
  session.Window.Entries[kEntryIterations] = "1000";
  std::map<int, std::string> entries;
  for (int i = 0; i <= 20; ++i) entries[i] = session.Window.Entries[static_cast<size_t>(i)];
  entries[kEntryFolder] = folder.Path();
  RelayWindow relay(entries, 640, 480);

  bool stopped = false;
  std::thread command([&] {
    RunDriver driver(session.Model, session.State, relay);
    driver.StartCommand();
    relay.Flush();
    stopped = driver.Stopped();
  });
  // Watch until a few runs have been drawn, then stop.
  size_t drawn = 0;
  while (relay.RunsEnded() < 5) drawn += relay.Take().Drawn.size();
  relay.RequestStop();
  command.join();
  drawn += relay.Take().Drawn.size();
  EXPECT_TRUE(stopped);
  EXPECT_GT(drawn, 0u);
  bool wellFormed = false;
  const std::vector<std::string> lines =
      testing::ReadLines(ReportFilePath(folder.Path(), 2), &wellFormed);
  EXPECT_TRUE(wellFormed);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "N =1");
  EXPECT_EQ(testing::ReadLines(ReportFilePath(folder.Path(), 3)).size(), 1u);
}

}  // namespace
}  // namespace quorvel
