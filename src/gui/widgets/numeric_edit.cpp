#include "gui/widgets/numeric_edit.h"

#include <QLineEdit>
#include <algorithm>

namespace linkwright {

NumericEdit::NumericEdit(int minimum, int maximum, QWidget* parent)
    : QAbstractSpinBox(parent), m_Minimum(minimum), m_Maximum(maximum) {
  setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
  // Room for ten digits and the arrows; a form does not stretch it across the page.
  setMaximumWidth(fontMetrics().horizontalAdvance(QString(10, u'0')) + 40);
}

QString NumericEdit::Text() const {
  return lineEdit()->text();
}

void NumericEdit::SetText(const QString& text) {
  lineEdit()->setText(text);
}

void NumericEdit::stepBy(int steps) {
  qlonglong next = std::clamp<qlonglong>(Number() + steps, m_Minimum, m_Maximum);
  lineEdit()->setText(QString::number(next));
}

QValidator::State NumericEdit::validate(QString& input, int& /*pos*/) const {
  bool digitsOnly =
      std::all_of(input.cbegin(), input.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
  return digitsOnly ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled NumericEdit::stepEnabled() const {
  qlonglong number = Number();
  StepEnabled enabled = StepNone;
  if (number < m_Maximum) {
    enabled |= StepUpEnabled;
  }
  if (number > m_Minimum) {
    enabled |= StepDownEnabled;
  }
  return enabled;
}

// Empty reads as 0; more digits than a qlonglong holds read as just above the range, so the
// arrows come down from the top as they do for any other number above it.
qlonglong NumericEdit::Number() const {
  bool ok = false;
  qlonglong number = Text().toLongLong(&ok);
  if (ok || Text().isEmpty()) {
    return number;
  }
  return qlonglong{m_Maximum} + 1;
}

}  // namespace linkwright
