// The one thing the programs remember from one session to the next: the folder where the
// user last opened or saved a file through a file dialog. Nothing else is stored, so both
// programs still start in their defined start state.
#pragma once

#include <QString>

namespace platform {

// The folder last used, or the default folder (the home folder; "C:" on Windows) when
// none was used yet or it is gone.
QString LastFolder();
// Remembers the folder that holds filePath.
void RememberFolderOf(const QString& filePath);

}  // namespace platform
