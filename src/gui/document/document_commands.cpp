#include "gui/document/document_commands.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <filesystem>

#include "gui/document/recent_files.h"
#include "gui/session/session_driver.h"

namespace linkwright {

namespace {

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

std::filesystem::path ToPath(const QString& path) {
  return std::filesystem::path(path.toStdString());
}

QString MessageFiles() {
  return DocumentCommands::tr("Linkwright Files (*.xml);;All Files (*)");
}

}  // namespace

DocumentCommands::DocumentCommands(SessionDriver& driver, const Actions& actions,
                                   const PrintCommands::Actions& printActions, QMenu& fileMenu,
                                   QAction* recentFilesEnd, QWidget& window)
    : QObject(&window),
      m_Driver(driver),
      m_Window(window),
      m_RecentFiles(new RecentFileList(
          &fileMenu, recentFilesEnd, [this](const QString& path) { OpenRecent(path); }, this)) {
  connect(actions.fileNew, &QAction::triggered, this, &DocumentCommands::New);
  connect(actions.fileOpen, &QAction::triggered, this, &DocumentCommands::Open);
  connect(actions.fileSave, &QAction::triggered, this, &DocumentCommands::Save);
  connect(actions.fileSaveAs, &QAction::triggered, this, &DocumentCommands::SaveAs);
  new PrintCommands(driver.GetSession().Table(), printActions, window);
}

QString DocumentCommands::DocumentTitle() const {
  return m_DocumentPath.isEmpty() ? tr("Untitled") : QFileInfo(m_DocumentPath).fileName();
}

bool DocumentCommands::SaveModified() {
  if (!m_Driver.GetSession().Table().IsModified()) {
    return true;
  }
  const auto answer = QMessageBox::question(
      &m_Window, QApplication::applicationName(), tr("Save changes to %1?").arg(DocumentTitle()),
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Yes) {
    return Save();
  }
  return answer == QMessageBox::No;
}

void DocumentCommands::New() {
  if (!SaveModified()) {
    return;
  }
  m_Driver.GetSession().NewTable();
  m_DocumentPath.clear();
}

void DocumentCommands::Open() {
  const QString path = QFileDialog::getOpenFileName(
      &m_Window, tr("Open"), QFileInfo(m_DocumentPath).path(), MessageFiles());
  if (!path.isEmpty() && SaveModified()) {
    OpenDocument(path);
  }
}

void DocumentCommands::OpenRecent(const QString& path) {
  if (SaveModified() && !OpenDocument(path) && !QFileInfo::exists(path)) {
    m_RecentFiles->Remove(path);
  }
}

bool DocumentCommands::OpenDocument(const QString& path) {
  if (const Error loaded = m_Driver.GetSession().LoadTable(ToPath(path)); loaded.Failed()) {
    QMessageBox::warning(&m_Window, QApplication::applicationName(), FromStd(loaded.Message()));
    return false;
  }
  TakePath(path);
  return true;
}

void DocumentCommands::OpenStartupFile(const QString& path) {
  if (const Error loaded = m_Driver.GetSession().LoadTable(ToPath(path)); loaded.Failed()) {
    m_Driver.ReportFailure(FromStd(loaded.Message()));
    return;
  }
  TakePath(QFileInfo(path).absoluteFilePath());
}

bool DocumentCommands::Save() {
  return m_DocumentPath.isEmpty() ? SaveAs() : SaveDocument(m_DocumentPath);
}

bool DocumentCommands::SaveAs() {
  QFileDialog dialog(&m_Window, tr("Save As"), m_DocumentPath, MessageFiles());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("xml");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return false;
  }
  return SaveDocument(dialog.selectedFiles().constFirst());
}

bool DocumentCommands::SaveDocument(const QString& path) {
  if (const Error saved = m_Driver.GetSession().SaveTable(ToPath(path)); saved.Failed()) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    QString("Errore nella scrittura del file \"%1\"").arg(path), QMessageBox::Ok,
                    &m_Window);
    box.setInformativeText(FromStd(saved.Message()));
    box.exec();
    return false;
  }
  TakePath(path);
  return true;
}

void DocumentCommands::TakePath(const QString& path) {
  m_DocumentPath = path;
  m_RecentFiles->Add(path);
}

}  // namespace linkwright
