#include "gui/dialogs/statistics_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <optional>

#include "document/message_table.h"
#include "session/response_statistics.h"

namespace linkwright {

namespace {

constexpr int kFollowMilliseconds = 500;

QTableWidgetItem* Cell(const QString& text) {
  auto* item = new QTableWidgetItem(text);
  item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  return item;
}

QString Milliseconds(const std::optional<double>& ms) {
  return ms ? QString::number(*ms, 'f', 3) : QString("–");
}

void FillRow(QTableWidget& table, int at, const QString& label,
             const ResponseStatistics::Figures& figures) {
  const QString cells[] = {label,
                           QString::number(figures.sent),
                           QString::number(figures.hits),
                           QString::number(figures.answered),
                           Milliseconds(figures.medianMs),
                           Milliseconds(figures.p90Ms),
                           Milliseconds(figures.maxMs)};
  for (int column = 0; column < static_cast<int>(std::size(cells)); ++column) {
    table.setItem(at, column, Cell(cells[column]));
  }
}

}  // namespace

StatisticsDialog::StatisticsDialog(ResponseStatistics& statistics, QWidget* parent)
    : QDialog(parent), m_Statistics(statistics), m_Table(new QTableWidget(this)) {
  setWindowTitle(tr("Statistics"));
  m_Table->setColumnCount(7);
  m_Table->setHorizontalHeaderLabels({tr("Row"), tr("Sent"), tr("Hits"), tr("Answered"),
                                      tr("Median ms"), tr("P90 ms"), tr("Max ms")});
  m_Table->verticalHeader()->hide();
  m_Table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  m_Table->setToolTip(
      tr("Response time: from sending a row to the first packet received "
         "after it"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Reset | QDialogButtonBox::Close, this);
  connect(buttons->button(QDialogButtonBox::Reset), &QPushButton::clicked, this, [this] {
    m_Statistics.Reset();
    Refresh();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_Table);
  layout->addWidget(buttons);
  resize(620, 360);

  m_Follow.setInterval(kFollowMilliseconds);
  connect(&m_Follow, &QTimer::timeout, this, &StatisticsDialog::RefreshWhenChanged);
}

void StatisticsDialog::Refresh() {
  const std::vector<int> rows = m_Statistics.Rows();
  m_Table->setRowCount(static_cast<int>(rows.size()) + 1);
  int at = 0;
  for (int row : rows) {
    FillRow(*m_Table, at++, QString::fromStdString(MessageTable::RowLabel(row)),
            m_Statistics.RowFigures(row));
  }
  FillRow(*m_Table, at, tr("All rows"), m_Statistics.Totals());
  m_ShownGeneration = m_Statistics.Generation();
}

void StatisticsDialog::RefreshWhenChanged() {
  if (m_Statistics.Generation() != m_ShownGeneration) {
    Refresh();
  }
}

void StatisticsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Refresh();
  m_Follow.start();
}

void StatisticsDialog::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  m_Follow.stop();
}

void ShowStatisticsDialog(ResponseStatistics& statistics, QWidget* window) {
  auto* dialog = window->findChild<StatisticsDialog*>();
  if (dialog == nullptr) {
    dialog = new StatisticsDialog(statistics, window);
  }
  dialog->show();
  dialog->raise();
}

}  // namespace linkwright
