#include "gui/dialogs/symbols_dialog.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "codec/symbol_listing.h"

namespace linkwright {

namespace {

// "Courier New" where it is installed, else the system's fixed-pitch font, at 8 points.
QFont ListingFont() {
  QFont font("Courier New", 8);
  if (!QFontInfo(font).fixedPitch()) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(8);
  }
  return font;
}

}  // namespace

SymbolsDialog::SymbolsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setWindowTitle("Symbols");

  auto* listing = new QPlainTextEdit(this);
  listing->setObjectName("Listing");
  listing->setReadOnly(true);
  listing->setFont(ListingFont());
  listing->setLineWrapMode(QPlainTextEdit::NoWrap);
  listing->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  listing->setPlainText(QString::fromStdString(SymbolListing()).replace("\r\n", "\n"));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(listing);
  layout->addWidget(new QLabel("Escape seq : [sym], [xHEX] oppure [DEC]", this));

  // Wide enough for the longest line, tall enough for about half the symbols.
  QFontMetrics metrics(listing->font());
  int width = metrics.horizontalAdvance(QString(32, 'x'));
  resize(width + 40, metrics.lineSpacing() * 20 + 60);
}

}  // namespace linkwright
