#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "scenario/scenario.h"
#include "scenario/scenario_runner.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace linkwright {

class SessionDriver;

// Tools › "Run Scenario...": a view of the core's scenario runner over the window's session.
// It lists the tests with their steps, each with its state and time, live while they run; Stop
// ends the run, and the result can be saved as JUnit XML. The window's ticks run the session as
// always (its trace pane shows the traffic); after each of them, and when a step's time runs
// out, the panel lets the runner go on; during a run the ticks wake on data. The scenario's
// settings apply to the window's settings in memory; `{row: N}` sends the row of the window's
// table.
class ScenarioPanel : public QDialog {
  Q_OBJECT

 public:
  ScenarioPanel(SessionDriver& driver, QWidget& parent, Scenario scenario);
  ~ScenarioPanel() override;

  // Asks for a scenario file and shows its panel; a file that cannot be read is shown in a
  // message box with its place.
  static void OpenFor(SessionDriver& driver, QWidget& frame);

  void Run();
  void Stop();
  // Writes the last run as JUnit XML; false, with a message box, when it could not.
  bool SaveJUnit(const QString& path);
  const ScenarioRunner* Runner() const { return m_Runner.get(); }
  QTreeWidget* Tree() const { return m_Tree; }

 private:
  // The window's receive tick wakes on data during a run, so expects see answers at once.
  void WakeOnDataWhileRunning(bool running);
  void FillTree();
  void Advance();
  void ShowTest(size_t test);
  void ShowState(QTreeWidgetItem* item, RunState state, std::chrono::steady_clock::duration time);
  void ShowSummary();
  void SaveAs();

  SessionDriver& m_Driver;
  Scenario m_Scenario;
  std::unique_ptr<ScenarioRunner> m_Runner;
  QTimer m_StepTimer;
  QTreeWidget* m_Tree;
  QLabel* m_Summary;
  QPushButton* m_RunButton;
  QPushButton* m_StopButton;
  QPushButton* m_SaveButton;
};

}  // namespace linkwright
