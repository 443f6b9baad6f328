// The one thing the programs remember from one session to the next: the folder where the
// user last opened or saved a file through a file dialog, and the dialogs that use it. Nothing else
// is stored, so both programs still start in their defined start state.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

// The folder last used, or the default folder (the home folder; "C:" on Windows) when
// none was used yet or it is gone.
QString LastFolder();
// Remembers the folder that holds filePath.
void RememberFolderOf(const QString& filePath);

// File dialogs that start in the last folder and remember the folder of the file chosen.
// A name typed without an extension gets that of the chosen filter ("(*.png)"); the empty
// text when the user cancels. *chosenFilter, when given, starts as the filter offered
// first and ends as the one chosen.
QString ChooseFileToSave(QWidget* parent, const QString& caption, const QString& suggestedName,
                         const QStringList& filters, QString* chosenFilter = nullptr);
QString ChooseFileToOpen(QWidget* parent, const QString& caption, const QStringList& filters);

}  // namespace platform
