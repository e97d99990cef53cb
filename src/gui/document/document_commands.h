#pragma once

#include <QObject>
#include <QString>

#include "gui/document/print_commands.h"

class QAction;
class QMenu;
class QWidget;

namespace linkwright {

class RecentFileList;
class SessionDriver;

// The message file's life cycle in the File menu: New, Open..., Save, Save As... and the recent
// files, with "Save changes to …?" before the table is replaced or the window closes. A file
// the user chose that cannot be opened or saved is reported in a box; the message file named
// on the command line, which nobody chose just now, in the status bar.
class DocumentCommands : public QObject {
  Q_OBJECT

 public:
  struct Actions {
    QAction* fileNew;
    QAction* fileOpen;
    QAction* fileSave;
    QAction* fileSaveAs;
  };

  // The recent files are listed in `fileMenu` before `recentFilesEnd`; `window` is the parent
  // of the file dialogs and boxes. The print commands come with the document they print.
  DocumentCommands(SessionDriver& driver, const Actions& actions,
                   const PrintCommands::Actions& printActions, QMenu& fileMenu,
                   QAction* recentFilesEnd, QWidget& window);

  const QString& DocumentPath() const { return m_DocumentPath; }

  // Opens the message file named on the command line; when it cannot be opened the table stays
  // empty and the status bar says why.
  void OpenStartupFile(const QString& path);
  // Asks "Save changes to …?" when the table is modified: true when the caller may go on
  // (saved, or not to be saved), false when the user cancelled or the save failed.
  bool SaveModified();

 private:
  void New();
  void Open();
  void OpenRecent(const QString& path);
  bool Save();
  bool SaveAs();
  QString DocumentTitle() const;
  bool OpenDocument(const QString& path);
  bool SaveDocument(const QString& path);
  // The path becomes the document's and goes first in the recent files.
  void TakePath(const QString& path);

  SessionDriver& m_Driver;
  QWidget& m_Window;
  RecentFileList* m_RecentFiles;
  QString m_DocumentPath;
};

}  // namespace linkwright
