#include "gui/scenario/scenario_panel.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "atomic_file.h"
#include "config/configuration.h"
#include "gui/session/session_driver.h"
#include "scenario/scenario_file.h"
#include "scenario/scenario_report.h"

namespace linkwright {

namespace {

enum Column { kNameColumn, kStateColumn, kTimeColumn };

QString StateText(RunState state) {
  switch (state) {
    case RunState::kRunning:
      return ScenarioPanel::tr("running");
    case RunState::kPassed:
      return ScenarioPanel::tr("passed");
    case RunState::kFailed:
      return ScenarioPanel::tr("failed");
    case RunState::kWaiting:
      break;
  }
  return ScenarioPanel::tr("waiting");
}

QColor StateColour(RunState state) {
  switch (state) {
    case RunState::kPassed:
      return QColor(0, 128, 0);
    case RunState::kFailed:
      return QColor(192, 0, 0);
    case RunState::kRunning:
      return QColor(0, 0, 192);
    case RunState::kWaiting:
      break;
  }
  return QColor(96, 96, 96);
}

}  // namespace

ScenarioPanel::ScenarioPanel(SessionDriver& driver, QWidget& parent, Scenario scenario)
    : QDialog(&parent),
      m_Driver(driver),
      m_Scenario(std::move(scenario)),
      m_Tree(new QTreeWidget(this)),
      m_Summary(new QLabel(this)),
      m_RunButton(new QPushButton(tr("&Run"), this)),
      m_StopButton(new QPushButton(tr("&Stop"), this)),
      m_SaveButton(new QPushButton(tr("Save &JUnit..."), this)) {
  setObjectName("scenarioPanel");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(
      tr("Scenario - %1").arg(QString::fromStdString(m_Scenario.file.filename().string())));
  m_Tree->setHeaderLabels({tr("Test / step"), tr("State"), tr("Time")});
  m_Tree->header()->setSectionResizeMode(kNameColumn, QHeaderView::Stretch);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(m_RunButton, QDialogButtonBox::ActionRole);
  buttons->addButton(m_StopButton, QDialogButtonBox::ActionRole);
  buttons->addButton(m_SaveButton, QDialogButtonBox::ActionRole);
  buttons->addButton(QDialogButtonBox::Close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_Tree);
  layout->addWidget(m_Summary);
  layout->addWidget(buttons);
  resize(720, 440);

  connect(m_RunButton, &QPushButton::clicked, this, &ScenarioPanel::Run);
  connect(m_StopButton, &QPushButton::clicked, this, &ScenarioPanel::Stop);
  connect(m_SaveButton, &QPushButton::clicked, this, &ScenarioPanel::SaveAs);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
  // A panel closed during a run ends it; the window goes on as it was.
  connect(this, &QDialog::finished, this, [this] {
    Stop();
    WakeOnDataWhileRunning(false);
    m_Driver.RearmTicks();
  });
  connect(&m_Driver, &SessionDriver::TicksRan, this, &ScenarioPanel::Advance);
  m_StepTimer.setSingleShot(true);
  connect(&m_StepTimer, &QTimer::timeout, this, &ScenarioPanel::Advance);
  FillTree();
  ShowSummary();
}

ScenarioPanel::~ScenarioPanel() = default;

void ScenarioPanel::WakeOnDataWhileRunning(bool running) {
  m_Driver.ForceWakeOnData(running);
}

void ScenarioPanel::OpenFor(SessionDriver& driver, QWidget& frame) {
  const QString path = QFileDialog::getOpenFileName(
      &frame, tr("Run Scenario"), QString(), tr("Scenario files (*.yaml *.yml);;All files (*)"));
  if (path.isEmpty()) {
    return;
  }
  Scenario scenario;
  if (const Error read = ReadScenarioFile(path.toStdString(), scenario); read.Failed()) {
    QMessageBox::warning(&frame, tr("Run Scenario"), QString::fromStdString(read.Message()));
    return;
  }
  auto* panel = new ScenarioPanel(driver, frame, std::move(scenario));
  panel->show();
}

void ScenarioPanel::FillTree() {
  m_Tree->clear();
  for (const ScenarioTest& test : m_Scenario.tests) {
    auto* item = new QTreeWidgetItem(m_Tree, {QString::fromStdString(test.name)});
    for (const ScenarioStep& step : test.steps) {
      new QTreeWidgetItem(item, {QString::fromStdString(step.title)});
    }
    ShowState(item, RunState::kWaiting, {});
    for (int i = 0; i < item->childCount(); ++i) {
      ShowState(item->child(i), RunState::kWaiting, {});
    }
  }
  m_Tree->expandAll();
}

void ScenarioPanel::Run() {
  Configuration& config = GetConfiguration();
  for (const Scenario::Setting& setting : m_Scenario.settings) {
    config.SetFormatted(setting.section, setting.key, "%s", setting.value.c_str());
  }
  m_Runner.reset();
  FillTree();
  m_Runner = std::make_unique<ScenarioRunner>(m_Driver.GetSession(), m_Scenario);
  m_Runner->SetChangeListener([this](size_t test) { ShowTest(test); });
  WakeOnDataWhileRunning(true);
  Advance();
}

void ScenarioPanel::Stop() {
  if (m_Runner) {
    m_Runner->Stop(Session::Clock::now());
    Advance();
  }
}

void ScenarioPanel::Advance() {
  if (!m_Runner) {
    return;
  }
  m_Runner->Advance(Session::Clock::now());
  m_StepTimer.stop();
  if (const auto until = m_Runner->WaitsUntil()) {
    const auto wait =
        std::chrono::ceil<std::chrono::milliseconds>(*until - Session::Clock::now()).count();
    m_StepTimer.start(static_cast<int>(std::max<decltype(wait)>(wait, 0)));
  }
  WakeOnDataWhileRunning(!m_Runner->Finished());
  // A test may have opened or closed the link.
  m_Driver.RearmTicks();
  ShowSummary();
}

void ScenarioPanel::ShowTest(size_t test) {
  if (test >= m_Runner->Outcomes().size()) {
    return;
  }
  const TestOutcome& outcome = m_Runner->Outcomes()[test];
  QTreeWidgetItem* item = m_Tree->topLevelItem(static_cast<int>(test));
  ShowState(item, outcome.state, outcome.time);
  for (size_t i = 0; i < outcome.steps.size(); ++i) {
    ShowState(item->child(static_cast<int>(i)), outcome.steps[i].state, outcome.steps[i].time);
  }
  const std::vector<std::string> failure = FailureLines(m_Scenario, test, outcome);
  if (!failure.empty()) {
    item->setToolTip(kNameColumn, QString::fromStdString(failure[1] + "\n" + failure[2]));
  }
  if (!failure.empty() && outcome.failedStep) {
    item->child(static_cast<int>(*outcome.failedStep))
        ->setText(kNameColumn, QString::fromStdString(failure[0] + " — " + failure[2]));
  }
}

void ScenarioPanel::ShowState(QTreeWidgetItem* item, RunState state,
                              std::chrono::steady_clock::duration time) {
  item->setText(kStateColumn, StateText(state));
  item->setForeground(kStateColumn, StateColour(state));
  const bool timed = state == RunState::kPassed || state == RunState::kFailed;
  item->setText(kTimeColumn, timed ? QString::fromStdString(MillisecondsText(time)) : QString());
}

void ScenarioPanel::ShowSummary() {
  const bool running = m_Runner && !m_Runner->Finished();
  m_RunButton->setEnabled(!running);
  m_StopButton->setEnabled(running);
  m_SaveButton->setEnabled(m_Runner && m_Runner->Finished());
  if (!m_Runner) {
    m_Summary->setText(tr("%n test(s)", nullptr, static_cast<int>(m_Scenario.tests.size())));
    return;
  }
  const std::vector<TestOutcome>& outcomes = m_Runner->Outcomes();
  m_Summary->setText(tr("%1 passed, %2 failed%3")
                         .arg(CountState(outcomes, RunState::kPassed))
                         .arg(CountState(outcomes, RunState::kFailed))
                         .arg(running ? tr(" (running)") : QString()));
}

void ScenarioPanel::SaveAs() {
  const QString path = QFileDialog::getSaveFileName(this, tr("Save JUnit"), QString(),
                                                    tr("JUnit XML (*.xml);;All files (*)"));
  if (!path.isEmpty()) {
    SaveJUnit(path);
  }
}

bool ScenarioPanel::SaveJUnit(const QString& path) {
  if (!m_Runner) {
    return false;
  }
  const Error written =
      WriteFileAtomically(path.toStdString(), JUnitXml({{&m_Scenario, m_Runner->Outcomes()}}));
  if (written.Failed()) {
    QMessageBox::warning(this, tr("Save JUnit"), QString::fromStdString(written.Message()));
    return false;
  }
  return true;
}

}  // namespace linkwright
