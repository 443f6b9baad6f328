// A text box whose focus-loss event fires when the focus moves to another control of the
// same window, as entries are validated then; switching to another application, or a
// message box of the program coming up, does not count as leaving the box.
#pragma once

#include <QLineEdit>
#include <QString>

namespace platform {

class FocusLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit FocusLineEdit(QWidget* parent = nullptr);

  // Free text attached to the box (for example "integer" for whole-number rows).
  QString Tag() const { return tag_; }
  void SetTag(const QString& tag) { tag_ = tag; }
  // A locked box shows its text but cannot be edited.
  bool Locked() const { return isReadOnly(); }
  void SetLocked(bool locked) { setReadOnly(locked); }

 signals:
  void lostFocus();

 protected:
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QString tag_;
};

}  // namespace platform
