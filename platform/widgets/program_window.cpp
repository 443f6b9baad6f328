#include "platform/widgets/program_window.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QWheelEvent>
#include <algorithm>

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

namespace {

// The guide in a window of its own. Its links to headings scroll there at once, whatever
// the window manager; pictures shrink to the window's width and never grow past their size.
class GuideBrowser : public QTextBrowser {
 public:
  explicit GuideBrowser(QWidget* parent) : QTextBrowser(parent) {
    // Qt would reload the page for an anchor, dropping the headings' anchors.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &GuideBrowser::Follow);
    // The guide is always longer than its window: a scroll bar that came and went would
    // change the room for the pictures and move every chapter under the reader.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Until the reader scrolls, the chapter shown stays at the top while the layout settles
    // (fonts and pictures take their sizes once the window is shown).
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            [this] {
              if (!heading_.isEmpty()) ScrollToHeading(this, heading_);
            });
    connect(verticalScrollBar(), &QScrollBar::sliderPressed, this, [this] { heading_.clear(); });
  }

  // Shows the heading with that anchor at the top.
  void ShowHeading(const QString& anchor) {
    heading_ = anchor;
    ScrollToHeading(this, anchor);
  }

  void Load(const QString& path) {
    folder_ = QFileInfo(path).absolutePath();
    setSearchPaths({folder_});
    setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    AddHeadingAnchors(*document());
    FitPictures();
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QTextBrowser::resizeEvent(event);
    FitPictures();
  }
  // The reader scrolls: the guide stays where the reader takes it.
  void wheelEvent(QWheelEvent* event) override {
    heading_.clear();
    QTextBrowser::wheelEvent(event);
  }
  void keyPressEvent(QKeyEvent* event) override {
    heading_.clear();
    QTextBrowser::keyPressEvent(event);
  }

 private:
  void Follow(const QUrl& url) {
    if (url.isRelative() && url.path().isEmpty() && url.hasFragment()) {
      ShowHeading(url.fragment());
    } else {
      // The web, or a file the guide names: the desktop's own viewer opens it.
      QDesktopServices::openUrl(url.isRelative() ? QUrl::fromLocalFile(folder_ + "/" + url.path())
                                                 : url);
    }
  }

  QSize NaturalSize(const QString& name) {
    auto found = sizes_.find(name);
    if (found == sizes_.end()) found = sizes_.insert(name, QImage(folder_ + "/" + name).size());
    return *found;
  }

  void FitPictures() {
    const qreal room = viewport()->width() - 2 * document()->documentMargin() - 4;
    if (room <= 0) return;
    bool changed = false;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
      for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.charFormat().isImageFormat()) continue;
        QTextImageFormat picture = fragment.charFormat().toImageFormat();
        const QSize natural = NaturalSize(picture.name());
        if (natural.isEmpty()) continue;
        const qreal width = std::min<qreal>(natural.width(), room);
        if (picture.width() == width) continue;
        picture.setWidth(width);
        picture.setHeight(width * natural.height() / natural.width());
        QTextCursor cursor(document());
        cursor.setPosition(fragment.position());
        cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
        cursor.setCharFormat(picture);
        changed = true;
      }
    }
    if (!changed) return;
    // The pictures' new sizes move everything below them: lay the guide out afresh.
    document()->markContentsDirty(0, document()->characterCount());
    if (!heading_.isEmpty()) ScrollToHeading(this, heading_);
  }

  QString folder_;
  QHash<QString, QSize> sizes_;
  QString heading_;  // the heading kept at the top until the reader scrolls
};

}  // namespace

void ScrollToHeading(QTextBrowser* browser, const QString& anchor) {
  // The document is laid out in steps while the window is idle; the heading's place is
  // known only once the layout is complete.
  browser->document()->documentLayout()->documentSize();
  browser->scrollToAnchor(anchor);
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
  // The icon the package installs, built into the program.
  const QString icon = QString(":/icons/%1.svg").arg(info.desktop_id);
  if (QFileInfo::exists(icon)) {
    QApplication::setWindowIcon(QIcon(icon));
    setWindowIcon(QIcon(icon));
  } else {
    setWindowIcon(form->windowIcon());
  }
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
    auto* guide = new GuideBrowser(this);
    guide->setWindowFlag(Qt::Window);
    guide->setWindowTitle(QString("%1 - User guide").arg(info_.name));
    guide->resize(760, 680);
    guide->Load(path);
    guide_ = guide;
  }
  guide_->show();
  guide_->raise();
  guide_->activateWindow();
  // At the program's own chapter.
  static_cast<GuideBrowser*>(guide_.data())->ShowHeading(info_.guide_chapter);
}

QTextBrowser* ProgramWindow::Guide() const {
  return guide_;
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
