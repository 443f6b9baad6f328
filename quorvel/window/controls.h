// The two kinds of control whose events the quorvel window needs in a form Qt does not
// give directly: a check box holding 0 (clear), 1 (ticked) or 2 (greyed) that reports
// every change of its value, and an option button that reports receiving the focus.
#pragma once

#include <QCheckBox>
#include <QFont>
#include <QList>
#include <QRadioButton>
#include <QRect>
#include <QSize>

#include "quorvel/run/run_state.h"

namespace quorvel {

class CheckBox : public QCheckBox {
  Q_OBJECT
 public:
  CheckBox(const QString& caption, QWidget* parent);

  CheckValue Value() const;
  // Sets the value; valueChanged fires only when it differs from the present one.
  // Returns whether it changed.
  bool SetValue(CheckValue value);

 signals:
  // After every change of the value, by a click or from code.
  void valueChanged();

 protected:
  // A click ticks a clear box and clears a ticked or greyed one.
  void nextCheckState() override;
};

// The largest font, from 11 pixels down to 9 and narrowed down to 80 %, in which the text
// fits the box (wrapped at blanks when wrap is set): the layout was made for a font
// smaller than most platforms' default.
QFont FitFont(const QFont& base, const QString& text, QSize box, bool wrap);

// An option button whose caption wraps onto a second line, as long captions need in the
// space the layout gives them; or, with parts set, whose caption is drawn in pieces at
// fixed places, so that text boxes can stand in the gaps between them.
class OptionButton : public QRadioButton {
  Q_OBJECT
 public:
  struct CaptionPart {
    QString text;
    QRect place;  // in the button's coordinates
  };

  OptionButton(const QString& caption, QWidget* parent);
  void SetCaptionParts(const QList<CaptionPart>& parts) {
    parts_ = parts;
    update();
  }
  // Where the caption goes, right of the round indicator.
  QRect CaptionRect() const;

 signals:
  // The button received the focus from the user (a click or the keyboard); coming back
  // with the whole window, or after a pop-up, does not count.
  void gotFocus();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  // The whole button, caption included, takes the click.
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

 private:
  QList<CaptionPart> parts_;
  // A click on the button of a window that is not active yet: the focus then arrives
  // with the window's activation, and it still comes from the user.
  bool clickedWithoutFocus_ = false;
};

}  // namespace quorvel
