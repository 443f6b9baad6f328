#include "platform/widgets/program_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>

TEST(ProgramWindow, TheFormKeepsItsPlacesUnderTheBarAndClosesTheFrame) {
  auto* form = new QWidget;
  form->setWindowTitle("Form");
  form->setFixedSize(300, 200);
  auto* end = new QPushButton("End", form);
  end->setGeometry(10, 20, 50, 20);
  QObject::connect(end, &QPushButton::clicked, form, &QWidget::close);
  platform::ProgramWindow frame(form, {"Program", "org.example.program", "Does things."});
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

TEST(ProgramWindow, TheGuidesOwnLinksFindTheirHeadings) {
  QTextBrowser browser;
  browser.setMarkdown("[Down](#quorvel-menus-pictures-and-parameter-sets)\n\n" +
                      QString("text\n\n").repeated(200) +
                      "## Quorvel: menus, pictures and parameter sets\n\nhere\n");
  platform::AddHeadingAnchors(*browser.document());
  browser.resize(300, 200);
  browser.show();
  QApplication::processEvents();
  browser.scrollToAnchor("quorvel-menus-pictures-and-parameter-sets");
  EXPECT_GT(browser.verticalScrollBar()->value(), 0);
}
