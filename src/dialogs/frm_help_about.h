// The help window: product, version, copyright and contact, the usage instructions and the
// button that opens the maker's web site.
#pragma once

#include <string>

#include <QDialog>

class QLabel;
class QPushButton;

namespace snapnook {

/// The text of lblCopyright: the product name, " v." and the version, an empty line, then the
/// contact block. Lines are separated by CR LF.
std::string HelpCopyrightText(const std::string& product_name);

/// The text of lblInstructions: the six fixed lines, separated by CR LF.
std::string HelpInstructionsText();

/// The help window `frmHelpAbout`, 568 x 508, a fixed dialog. Its texts are composed once,
/// when it is created. "OK" (`Command1`), Esc, and Enter unless the web-site button has the
/// focus, hide it; the frame's close box closes it, after which ClosedByFrame() is true and its
/// owner is expected to create a new one for the next "Help".
class frmHelpAbout : public QDialog {
  Q_OBJECT

 public:
  explicit frmHelpAbout(const std::string& product_name, QWidget* parent = nullptr);

  /// True when the user closed the window with the frame's close box since it was last shown.
  bool ClosedByFrame() const { return closed_by_frame_; }

  /// How many times help windows have composed their texts in this process.
  static int TextsComposed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ComposeTexts(const std::string& product_name);
  void OpenWebSite();

  QLabel* copyright_ = nullptr;
  QLabel* instructions_ = nullptr;
  QPushButton* ok_ = nullptr;
  bool closed_by_frame_ = false;
};

}  // namespace snapnook
