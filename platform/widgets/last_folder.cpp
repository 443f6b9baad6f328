#include "platform/widgets/last_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>

#include "platform/system/files.h"

namespace platform {
namespace {

constexpr const char* kKey = "LastFolder";

QSettings Settings() {
  QString organisation = QCoreApplication::organizationName();
  if (organisation.isEmpty()) organisation = "Marbeck";
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, organisation,
                   QCoreApplication::applicationName());
}

}  // namespace

QString LastFolder() {
  const QString folder = Settings().value(kKey).toString();
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
  return QString::fromStdString(DefaultFolder());
}

void RememberFolderOf(const QString& filePath) {
  Settings().setValue(kKey, QDir::toNativeSeparators(QFileInfo(filePath).absolutePath()));
}

QString ChooseFileToSave(QWidget* parent, const QString& caption, const QString& suggestedName,
                         const QStringList& filters, QString* chosenFilter) {
  QString filter = chosenFilter && !chosenFilter->isEmpty() ? *chosenFilter : filters.value(0);
  QString path = QFileDialog::getSaveFileName(
      parent, caption, QDir(LastFolder()).filePath(suggestedName), filters.join(";;"), &filter);
  if (path.isEmpty()) return path;
  if (QFileInfo(path).suffix().isEmpty()) {
    const QRegularExpressionMatch extension = QRegularExpression(R"((\.\w+)\)\s*$)").match(filter);
    if (extension.hasMatch()) path += extension.captured(1);
  }
  if (chosenFilter) *chosenFilter = filter;
  RememberFolderOf(path);
  return path;
}

QString ChooseFileToOpen(QWidget* parent, const QString& caption, const QStringList& filters) {
  const QString path =
      QFileDialog::getOpenFileName(parent, caption, LastFolder(), filters.join(";;"));
  if (!path.isEmpty()) RememberFolderOf(path);
  return path;
}

}  // namespace platform
