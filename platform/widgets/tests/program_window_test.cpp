#include "platform/widgets/program_window.h"

#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

TEST(ProgramWindow, TheFormKeepsItsPlacesUnderTheBarAndClosesTheFrame) {
  auto* form = new QWidget;
  form->setWindowTitle("Form");
  form->setFixedSize(300, 200);
  auto* end = new QPushButton("End", form);
  end->setGeometry(10, 20, 50, 20);
  QObject::connect(end, &QPushButton::clicked, form, &QWidget::close);
  platform::ProgramWindow frame(form,
                                {"Program", "org.example.program", "Does things.", "program"});
  frame.show();
  QApplication::processEvents();

  const int bar = frame.menuBar()->height();
  EXPECT_GT(bar, 0);
  EXPECT_EQ(frame.size(), QSize(300, 200 + bar));
  EXPECT_EQ(form->geometry(), QRect(0, bar, 300, 200));
  EXPECT_EQ(end->mapTo(&frame, QPoint(0, 0)), QPoint(10, 20 + bar));
  EXPECT_EQ(frame.windowTitle(), "Form");

  // What waits for a run is disabled while one runs; Quit never is.
  QAction* start = frame.AddRunAction("&Start", Qt::CTRL | Qt::Key_R, true);
  frame.SetRunning(true);
  EXPECT_FALSE(start->isEnabled());
  EXPECT_FALSE(frame.OpenParameters()->isEnabled());
  EXPECT_TRUE(frame.Quit()->isEnabled());
  frame.SetRunning(false);
  EXPECT_TRUE(start->isEnabled());
  EXPECT_TRUE(frame.OpenParameters()->isEnabled());

  platform::ClickAsUser(end);
  QApplication::processEvents();
  EXPECT_FALSE(frame.isVisible());
}

// The first block of the guide that shows at the top of its window.
QString TopLine(QTextBrowser* guide) {
  return guide->cursorForPosition(QPoint(8, 8)).block().text();
}

TEST(ProgramWindow, TheGuideOpensAtTheProgramsChapterAndItsLinksScroll) {
  platform::ProgramWindow frame(new QWidget,
                                {"Program", "org.example.program", "Does things.", "batch-runs"});
  frame.ShowUserGuide();
  QTextBrowser* guide = frame.Guide();
  ASSERT_TRUE(guide);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(guide));
  QTest::qWait(300);
  EXPECT_EQ(TopLine(guide).toStdString(), "Batch runs");

  // A contents entry, clicked.
  emit guide->anchorClicked(QUrl("#messages"));
  QTest::qWait(300);
  EXPECT_EQ(TopLine(guide).toStdString(), "Messages");

  // Pictures fit a narrow window and keep their proportions.
  guide->resize(360, 500);
  QApplication::processEvents();
  int pictures = 0;
  for (QTextBlock block = guide->document()->begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      if (!it.fragment().charFormat().isImageFormat()) continue;
      ++pictures;
      const QTextImageFormat picture = it.fragment().charFormat().toImageFormat();
      EXPECT_LE(picture.width(), guide->viewport()->width()) << picture.name().toStdString();
      EXPECT_GT(picture.height(), 0);
    }
  EXPECT_GT(pictures, 10);
}
