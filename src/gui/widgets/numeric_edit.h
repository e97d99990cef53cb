#pragma once

#include <QAbstractSpinBox>

namespace linkwright {

// An edit for a number of milliseconds or a level: it takes only the digits 0 … 9 as typed,
// and its spin arrows step by one within [minimum, maximum]. The range binds only the arrows:
// a larger number typed in stays as typed, so the text is the value, not a clamped number.
class NumericEdit : public QAbstractSpinBox {
  Q_OBJECT

 public:
  NumericEdit(int minimum, int maximum, QWidget* parent = nullptr);

  QString Text() const;
  void SetText(const QString& text);

  // Moves the number by `steps`, clamped to the range; an empty edit counts as 0.
  void stepBy(int steps) override;

 protected:
  QValidator::State validate(QString& input, int& pos) const override;
  StepEnabled stepEnabled() const override;

 private:
  qlonglong Number() const;

  int m_Minimum;
  int m_Maximum;
};

}  // namespace linkwright
