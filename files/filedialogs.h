#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace files {

// Asks for a file name (parent, caption, start directory, filter); an empty name when cancelled.
using FileNameDialog = std::function<QString(QWidget *parent, const QString &caption, const QString &dir,
                                             const QString &filter)>;

// The main window's two file dialogs. The program keeps the toolkit's; tests may put their own in.
struct FileDialogs
{
    FileNameDialog saveFileName;
    FileNameDialog openFileName;
};

// The toolkit's save dialog, which adds the default suffix "txt" to a name typed without one (and ".txt" to
// a dotted one, asking before that replaces a file), and
// QFileDialog::getOpenFileName; no selected filter and no options.
FileDialogs standardFileDialogs();

// Where the file dialogs start: the folder of the last parameter file chosen in this run (lastUsed), or else
// the user's documents. The program's own folder is no choice: once installed, the user cannot write it.
QString startFolder(const QString &lastUsed);

} // namespace files
