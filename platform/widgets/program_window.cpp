#include "platform/widgets/program_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include "app_version.h"
#include "platform/system/files.h"
#include "platform/widgets/last_folder.h"
#include "platform/widgets/message_box.h"

namespace platform {
namespace {

constexpr const char* kSetFilter = "Parameter sets (*.toml)";

}  // namespace
namespace {

// A standard key sequence, or the given one where the platform has none.
QList<QKeySequence> Keys(QKeySequence::StandardKey standard, const QKeySequence& otherwise) {
  QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
  if (keys.isEmpty()) keys << otherwise;
  return keys;
}

QAction* AddAction(QMenu* menu, const QString& text, const QList<QKeySequence>& keys) {
  QAction* action = menu->addAction(text);
  action->setShortcuts(keys);
  return action;
}

}  // namespace

QString HeadingAnchor(const QString& heading) {
  QString anchor;
  for (const QChar c : heading.toLower()) {
    if (c == ' ') {
      anchor += '-';
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_') {
      anchor += c;
    }
  }
  return anchor;
}

void AddHeadingAnchors(QTextDocument& document) {
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() == 0) continue;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat anchor;
    anchor.setAnchor(true);
    anchor.setAnchorNames({HeadingAnchor(block.text())});
    cursor.mergeCharFormat(anchor);
  }
}

QString UserGuidePath() {
  // Installed beside the programs (<prefix>/bin and <prefix>/share/doc/<package>), in the
  // system's data folders, or, for a program run from its build folder, in the sources.
  const QString relative = QStringLiteral("doc/" GUIDE_PACKAGE "/guide.md");
  QStringList candidates = {QCoreApplication::applicationDirPath() + "/../share/" + relative};
  for (const QString& folder :
       QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
    candidates << folder + "/" + relative;
  candidates << QStringLiteral(GUIDE_SOURCE);
  for (const QString& candidate : candidates) {
    if (QFileInfo(candidate).isFile()) return QDir::cleanPath(candidate);
  }
  return {};
}

void ClickAsUser(QAbstractButton* button) {
  if (!button || !button->isEnabled()) return;
  button->setFocus(Qt::OtherFocusReason);
  button->click();
}

ProgramWindow::ProgramWindow(QWidget* form, const ProgramInfo& info) : form_(form), info_(info) {
  setWindowTitle(form->windowTitle());
  setWindowIcon(form->windowIcon());
  setCentralWidget(form);
  form->installEventFilter(this);

  file_ = menuBar()->addMenu("&File");
  openParameters_ =
      AddAction(file_, "&Open parameters...", Keys(QKeySequence::Open, Qt::CTRL | Qt::Key_O));
  saveParameters_ =
      AddAction(file_, "&Save parameters as...", Keys(QKeySequence::Save, Qt::CTRL | Qt::Key_S));
  figureSeparator_ = file_->addSeparator();
  file_->addSeparator();
  quit_ = AddAction(file_, "&Quit", Keys(QKeySequence::Quit, Qt::CTRL | Qt::Key_Q));
  quit_->setMenuRole(QAction::QuitRole);
  connect(quit_, &QAction::triggered, this, &QWidget::close);

  edit_ = menuBar()->addMenu("&Edit");
  run_ = menuBar()->addMenu("&Run");

  help_ = menuBar()->addMenu("&Help");
  userGuide_ = AddAction(help_, "&User guide", Keys(QKeySequence::HelpContents, Qt::Key_F1));
  userGuide_->setEnabled(!UserGuidePath().isEmpty());
  connect(userGuide_, &QAction::triggered, this, &ProgramWindow::ShowUserGuide);
  help_->addSeparator();
  about_ = help_->addAction(QString("&About %1").arg(info.name));
  about_->setMenuRole(QAction::AboutRole);
  connect(about_, &QAction::triggered, this, &ProgramWindow::ShowAbout);
  QAction* aboutQt = help_->addAction("About &Qt");
  aboutQt->setMenuRole(QAction::AboutQtRole);
  connect(aboutQt, &QAction::triggered, qApp, &QApplication::aboutQt);

  WaitForRun(openParameters_);
  connect(openParameters_, &QAction::triggered, this, [this] {
    const QString path = ChooseFileToOpen(this, "Open parameters", {kSetFilter});
    if (!path.isEmpty()) OpenParametersFile(path);
  });
  connect(saveParameters_, &QAction::triggered, this, [this] {
    if (const QString nothing = NothingToSave(); !nothing.isEmpty()) {
      ShowMessage(this, nothing);
      return;
    }
    const QString path = ChooseFileToSave(this, "Save parameters as",
                                          QString(info_.name).toLower() + ".toml", {kSetFilter});
    if (path.isEmpty()) return;
    const QString error = SaveParametersTo(path);
    if (!error.isEmpty()) ShowMessage(this, error);
  });
  // The form's fixed size decides the frame's; the bar only adds its height.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void ProgramWindow::AddFigureActions(FigureActions& actions) {
  file_->insertActions(figureSeparator_, {actions.ExportPicture(), actions.ExportData()});
  edit_->addAction(actions.CopyPicture());
}

QAction* ProgramWindow::AddRunAction(const QString& text, const QKeySequence& key,
                                     bool waitsForRun) {
  QAction* action = run_->addAction(text);
  action->setShortcut(key);
  if (waitsForRun) WaitForRun(action);
  return action;
}

void ProgramWindow::WaitForRun(QAction* action) {
  waitForRun_.emplace_back(action);
  if (running_) action->setEnabled(false);
}

void ProgramWindow::SetRunning(bool running) {
  running_ = running;
  for (const QPointer<QAction>& action : waitForRun_) {
    if (action) action->setEnabled(!running);
  }
}

void ProgramWindow::ShowUserGuide() {
  const QString path = UserGuidePath();
  if (path.isEmpty()) return;
  if (!guide_) {
    guide_ = new QTextBrowser(this);
    guide_->setWindowFlag(Qt::Window);
    guide_->setWindowTitle(QString("%1 - User guide").arg(info_.name));
    guide_->setOpenExternalLinks(true);
    guide_->resize(760, 680);
  }
  // Pictures are found beside the guide.
  guide_->setSearchPaths({QFileInfo(path).absolutePath()});
  guide_->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
  AddHeadingAnchors(*guide_->document());
  guide_->show();
  guide_->raise();
  guide_->activateWindow();
}

void ProgramWindow::ShowAbout() {
  QMessageBox::about(
      this, QString("About %1").arg(info_.name),
      QString("<h3>%1 %2</h3><p>%3</p><p>Released %4.</p>")
          .arg(info_.name, app::kVersion,
               QString(info_.description).replace('\n', ' ').toHtmlEscaped(), app::kReleaseDate));
}

QString ProgramWindow::OpenParametersFrom(const QString&) {
  return {};
}

void ProgramWindow::OpenParametersFile(const QString& path) {
  const QString report = OpenParametersFrom(path);
  if (!report.isEmpty()) ShowMessage(this, report);
  AfterOpening();
}

QString ProgramWindow::SaveParametersTo(const QString& path) {
  std::string error;
  if (!WriteWholeFile(path.toStdString(), ParameterText(), &error))
    return QString::fromStdString(error);
  return {};
}

std::string ProgramWindow::ReadParameterFile(const QString& path, QString& error) {
  // A parameter set is a kilobyte or so; anything far larger is no parameter set.
  constexpr qint64 kLargestSet = 1 << 20;
  const QString name = QDir::toNativeSeparators(path);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    error = QString("Cannot read %1: %2.").arg(name, file.errorString());
    return {};
  }
  if (file.size() > kLargestSet) {
    error = QString("%1 is too large to be a parameter set.").arg(name);
    return {};
  }
  error.clear();
  return file.readAll().toStdString();
}

bool ProgramWindow::eventFilter(QObject* watched, QEvent* event) {
  // The form's own End button closes the program, frame and all.
  if (watched == form_ && event->type() == QEvent::Close && !closing_) {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
  // The form's title carries its progress and status.
  if (watched == form_ && event->type() == QEvent::WindowTitleChange)
    setWindowTitle(form_->windowTitle());
  return QMainWindow::eventFilter(watched, event);
}

void ProgramWindow::closeEvent(QCloseEvent* event) {
  closing_ = true;
  // The form ends first: a command in progress stops, and its files are closed.
  form_->close();
  // The program's other windows (results, guide) end with it.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->isVisible()) window->close();
  }
  QMainWindow::closeEvent(event);
}

}  // namespace platform
