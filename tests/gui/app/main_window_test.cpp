#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "document/message_file.h"
#include "gui/app/main_window.h"
#include "gui/app/window_state.h"
#include "gui/session/session_driver.h"
#include "gui/table/message_table_view.h"
#include "gui/trace/trace_pane.h"
#include "gui_test_support.h"

namespace linkwright {

using namespace std::string_literals;

namespace {

void FillRow(MessageTable& table, int row, const std::string& message) {
  table.SetRow(row, {message, "", 0, ""});
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { m_Env = std::make_unique<GuiTestEnvironment>(); }
  void cleanup() { m_Env.reset(); }

  // Placement and upper pane height survive a restart; a missing key leaves the default.
  void WindowStateRoundTrip() {
    const QRect placement(100, 80, 640, 480);
    {
      MainWindow frame(GetConfiguration());
      frame.setGeometry(placement);
      frame.show();
      frame.findChild<QSplitter*>()->setSizes({210, 200});
      frame.close();
    }
    MainWindow again(GetConfiguration());
    QVERIFY(again.RestoreWindowState());
    again.show();
    QCOMPARE(again.geometry(), placement);
    QCOMPARE(again.findChild<QSplitter*>()->sizes().value(0), 210);

    QSettings().remove("WindowState/y2");
    MainWindow fresh(GetConfiguration());
    const QRect before = fresh.geometry();
    QVERIFY(!fresh.RestoreWindowState());
    QCOMPARE(fresh.geometry(), before);
  }

  // A window saved beyond the right and bottom edges comes back one icon size inside them.
  void WindowBeyondScreenIsPulledBack() {
    const QSize screen = QGuiApplication::primaryScreen()->virtualSize();
    const int icon = QApplication::style()->pixelMetric(QStyle::PM_LargeIconSize);
    QSettings settings;
    const QList<std::pair<const char*, int>> values{{"flags", 0},
                                                    {"showCmd", kShowNormal},
                                                    {"x1", screen.width() + 500},
                                                    {"y1", screen.height() + 50},
                                                    {"x2", screen.width() + 900},
                                                    {"y2", screen.height() + 350}};
    for (const auto& [key, value] : values) {
      settings.setValue(QString("WindowState/") + key, value);
    }
    settings.sync();
    MainWindow frame(GetConfiguration());
    QVERIFY(frame.RestoreWindowState());
    QCOMPARE(frame.geometry().topLeft(), QPoint(screen.width() - icon, screen.height() - icon));
    QCOMPARE(frame.geometry().right() + 1, screen.width() + 900);
  }

  // Closing a modified table asks first: Cancel keeps the window and the table.
  void CloseAsksToSaveModifiedTable() {
    MainWindow frame(GetConfiguration());
    frame.show();
    FillRow(frame.Driver().GetSession().Table(), 2, "PING");
    {
      MessageBoxAnswer answer(QMessageBox::Cancel);
      QVERIFY(!frame.close());
      QCOMPARE(answer.Text(), QString("Save changes to Untitled?"));
    }
    QVERIFY(frame.isVisible());
    QCOMPARE(frame.Driver().GetSession().Table().GetItemText(2, MessageTable::kMessageColumn),
             "PING"s);
  }

  // A document whose folder has gone cannot be saved: the window stays, with the table still
  // modified and its old path.
  void FailedSaveKeepsWindowAndTable() {
    const QString folder = m_Env->PathOf("gone");
    const QString unwritable = folder + "/table.xml";
    QVERIFY(QDir().mkpath(folder));
    SaveTableTo(MessageTable(), unwritable);
    MainWindow frame(GetConfiguration());
    frame.OpenStartupFile(unwritable);
    QVERIFY(QDir(folder).removeRecursively());
    FillRow(frame.Driver().GetSession().Table(), 1, "KEEP");
    {
      MessageBoxAnswer answer(QMessageBox::Yes);
      MessageBoxAnswer failure(QMessageBox::Ok);
      QVERIFY(!frame.close());
      QCOMPARE(failure.Text(), QString("Errore nella scrittura del file \"%1\"").arg(unwritable));
    }
    QVERIFY(frame.Driver().GetSession().Table().IsModified());
    QCOMPARE(frame.DocumentPath(), unwritable);
  }
  // Yes saves before closing, No closes without saving.
  void CloseSavesOnYesAndDiscardsOnNo() {
    const QString path = m_Env->PathOf("saved.xml");
    {
      SaveTableTo(MessageTable(), path);
      MainWindow frame(GetConfiguration());
      frame.OpenStartupFile(path);
      FillRow(frame.Driver().GetSession().Table(), 1, "HELLO");
      MessageBoxAnswer answer(QMessageBox::Yes);
      QVERIFY(frame.close());
      QCOMPARE(answer.Text(), QString("Save changes to saved.xml?"));
    }
    MainWindow reopened(GetConfiguration());
    reopened.OpenStartupFile(path);
    QCOMPARE(reopened.Driver().GetSession().Table().GetItemText(1, MessageTable::kMessageColumn),
             "HELLO"s);
    FillRow(reopened.Driver().GetSession().Table(), 1, "CHANGED");
    MessageBoxAnswer answer(QMessageBox::No);
    QVERIFY(reopened.close());
    MainWindow third(GetConfiguration());
    third.OpenStartupFile(path);
    QCOMPARE(third.Driver().GetSession().Table().GetItemText(1, MessageTable::kMessageColumn),
             "HELLO"s);
  }

  // New and opening a recent file ask the same question; Cancel leaves the table as it was.
  void NewAndOpenAskFirst() {
    const QString other = m_Env->PathOf("other.xml");
    MessageTable saved;
    FillRow(saved, 1, "OTHER");
    SaveTableTo(saved, other);
    MainWindow frame(GetConfiguration());
    frame.OpenStartupFile(other);  // now the recent file list's first entry
    FillRow(frame.Driver().GetSession().Table(), 1, "MINE");
    MessageTable& table = frame.Driver().GetSession().Table();

    for (const char* command : {"fileNew", "recentFile1"}) {
      MessageBoxAnswer answer(QMessageBox::Cancel);
      QVERIFY(TriggerAction(frame, command));
      QCOMPARE(answer.Text(), QString("Save changes to other.xml?"));
      QCOMPARE(table.GetItemText(1, MessageTable::kMessageColumn), "MINE"s);
      QVERIFY(table.IsModified());
    }
    {
      MessageBoxAnswer answer(QMessageBox::No);
      QVERIFY(TriggerAction(frame, "recentFile1"));
      QCOMPARE(table.GetItemText(1, MessageTable::kMessageColumn), "OTHER"s);
    }
    FillRow(table, 1, "MINE");
    {
      MessageBoxAnswer answer(QMessageBox::No);
      QVERIFY(TriggerAction(frame, "fileNew"));
      QCOMPARE(table.LastUsedRow(), 0);
      QVERIFY(!table.IsModified());
      QVERIFY(frame.DocumentPath().isEmpty());
    }
  }

  // Each dialog command opens its dialog from the window; a cancelled Configuration writes
  // nothing, and Statistics, which stays open beside the window, is not opened twice.
  void DialogCommandsOpenTheirDialogs() {
    MainWindow frame(GetConfiguration());
    frame.show();
    const std::pair<const char*, QString> modalCommands[] = {
        {"configuration", "Configuration"},
        {"appAbout", "About Linkwright"},
        {"viewSymbols", "Symbols"},
    };
    for (const auto& [command, title] : modalCommands) {
      QString shown;
      WhenModalIsUp([&shown](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr) {
          return false;
        }
        shown = dialog->windowTitle();
        dialog->reject();
        return true;
      });
      QVERIFY(TriggerAction(frame, command));
      QCOMPARE(shown, title);
    }
    QVERIFY(!std::filesystem::exists(Configuration::FilePath()));

    QVERIFY(TriggerAction(frame, "statistics"));
    QVERIFY(TriggerAction(frame, "statistics"));
    const QList<QDialog*> dialogs = frame.findChildren<QDialog*>();
    QCOMPARE(std::count_if(dialogs.begin(), dialogs.end(),
                           [](QDialog* dialog) { return dialog->isVisible(); }),
             1);
    QCOMPARE(dialogs.size(), 1);
    QCOMPARE(dialogs.front()->windowTitle(), QString("Statistics"));
  }

  // Tools opened with Alt+T while a cell is being edited: the edit stays open and uncommitted,
  // and Compute CRC is enabled for the selected text and reports it. The edit ends, committed,
  // when the focus goes from the menu bar somewhere else.
  void ComputeCrcFromTheKeyboardWhileEditing() {
    MainWindow frame(GetConfiguration());
    frame.show();
    QApplication::setActiveWindow(&frame);
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    MessageTableView* view = frame.findChild<MessageTableView*>();
    view->setCurrentIndex(view->model()->index(0, MessageTable::kMessageColumn));
    QTest::keyClick(view, Qt::Key_1);  // starts the edit
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor != nullptr);
    QTest::keyClicks(editor, "23456789");
    editor->selectAll();

    QTest::keyClick(editor, Qt::Key_T, Qt::AltModifier);
    auto* tools = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(tools != nullptr);
    QCOMPARE(frame.Driver().GetSession().Table().GetItemText(1, MessageTable::kMessageColumn), ""s);
    auto* computeCrc = frame.findChild<QAction*>("computeCrc");
    QVERIFY(computeCrc->isEnabled());
    tools->setActiveAction(computeCrc);
    QTest::keyClick(tools, Qt::Key_Return);

    QTRY_VERIFY(frame.findChild<TracePane*>()->toPlainText().contains("*** CRC \"123456789\""));
    QCOMPARE(QApplication::focusWidget(), editor);
    QCOMPARE(editor->text(), QString("123456789"));
    QCOMPARE(frame.Driver().GetSession().Table().GetItemText(1, MessageTable::kMessageColumn), ""s);

    QTest::keyClick(editor, Qt::Key_Alt);
    QVERIFY(qobject_cast<QMenuBar*>(QApplication::focusWidget()) != nullptr);
    QTest::mouseClick(frame.findChild<TracePane*>()->viewport(), Qt::LeftButton);
    QCOMPARE(frame.Driver().GetSession().Table().GetItemText(1, MessageTable::kMessageColumn),
             "123456789"s);
    QVERIFY(!computeCrc->isEnabled());
  }

 private:
  static void SaveTableTo(MessageTable table, const QString& path) {
    QVERIFY(!SaveMessageFile(table, path.toStdString()).Failed());
  }

  std::unique_ptr<GuiTestEnvironment> m_Env;
};

}  // namespace linkwright

QTEST_MAIN(linkwright::MainWindowTest)
#include "main_window_test.moc"
