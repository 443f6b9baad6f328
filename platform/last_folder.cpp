#include "platform/last_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "platform/files.h"

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

}  // namespace platform
