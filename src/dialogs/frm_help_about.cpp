#include "dialogs/frm_help_about.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "core/config.h"
#include "dialogs/art.h"

namespace snapnook {
namespace {

int texts_composed = 0;

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), text.size());
}

// Qt breaks label lines at "\n"; the composed texts keep the program's CR LF line ends.
QString LabelText(const std::string& crlf_text) {
  QString text = QString::fromStdString(crlf_text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

QFrame* CaptionlessFrame(QWidget* parent, const char* name, QRect placed) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  frame->setGeometry(placed);
  return frame;
}

QLabel* PictureBox(QWidget* parent, const char* name, const QPixmap& pixmap, QRect placed) {
  auto* box = new QLabel(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  box->setAlignment(Qt::AlignCenter);
  box->setPixmap(pixmap);
  box->setGeometry(placed);
  return box;
}

}  // namespace

std::string HelpCopyrightText(const std::string& product_name) {
  const std::string version = std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
                              "." + std::to_string(kVersionRevision);
  return product_name + " v." + version + "\r\n" + "\r\n" + "Copyright \xC2\xA9 " +
         std::string(kMakerName) + ". All rights reserved. For help and news, contact:\r\n" +
         "\r\n" + std::string(kMakerName) + "\r\n" + "12 Harbour Lane, Brightwater BW1 4QX\r\n" +
         "Telephone +44 1632 960123\r\n" + "Fax +44 1632 960124";
}

std::string HelpInstructionsText() {
  return "To use this program: \r\n"
         "1. Create a folder called 'SET1' under any other folder on your PC.\r\n"
         "2. Create a folder under 'SET1' named 'BIG'.\r\n"
         "3. Copy your pictures into this 'BIG' folder.\r\n"
         "4. Run Snapnook, select the folder containing 'SET1' and then click the 'Create "
         "Pictures' button.\r\n"
         "Web pages will be created in this folder.";
}

frmHelpAbout::frmHelpAbout(const std::string& product_name, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("frmHelpAbout"));
  setWindowTitle(QStringLiteral("About"));
  setWindowIcon(AppIcon());
  setFixedSize(568, 508);

  QFrame* top = CaptionlessFrame(this, "Frame2", QRect(8, 8, 265, 137));
  PictureBox(top, "Picture3", LogoPixmap(), QRect(16, 8, 145, 129));
  PictureBox(top, "Picture4", AppIconPixmap(), QRect(192, 56, 33, 33));

  QFrame* bottom = CaptionlessFrame(this, "Frame1", QRect(8, 144, 553, 313));
  copyright_ = new QLabel(bottom);
  copyright_->setObjectName(QStringLiteral("lblCopyright"));
  copyright_->setGeometry(8, 16, 537, 153);
  copyright_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  copyright_->setWordWrap(true);
  copyright_->setTextFormat(Qt::PlainText);

  instructions_ = new QLabel(bottom);
  instructions_->setObjectName(QStringLiteral("lblInstructions"));
  instructions_->setGeometry(8, 176, 537, 105);
  instructions_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  instructions_->setWordWrap(true);
  instructions_->setTextFormat(Qt::PlainText);

  auto* web = new QPushButton(FromView(kMakerWebHost), bottom);
  web->setObjectName(QStringLiteral("cmdWeb"));
  web->setGeometry(208, 288, 145, 17);
  web->setAutoDefault(true);
  connect(web, &QPushButton::clicked, this, &frmHelpAbout::OpenWebSite);

  // OK is the default button (Enter) and, through QDialog::reject, Esc does the same: hide.
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("Command1"));
  ok_->setGeometry(228, 464, 113, 33);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  setTabOrder(ok_, web);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  ComposeTexts(product_name);
}

int frmHelpAbout::TextsComposed() {
  return texts_composed;
}

void frmHelpAbout::ComposeTexts(const std::string& product_name) {
  ++texts_composed;
  setWindowTitle(QStringLiteral("About ") + QString::fromStdString(product_name));
  copyright_->setText(LabelText(HelpCopyrightText(product_name)));
  instructions_->setText(LabelText(HelpInstructionsText()));
}

void frmHelpAbout::OpenWebSite() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Whether a browser opened is not reported; the pointer comes back either way.
  QDesktopServices::openUrl(QUrl(FromView(kMakerWebSite)));
  QApplication::restoreOverrideCursor();
}

void frmHelpAbout::showEvent(QShowEvent* event) {
  closed_by_frame_ = false;
  QDialog::showEvent(event);
  // Every showing starts on OK, the first control in the keyboard order.
  ok_->setFocus();
}

void frmHelpAbout::closeEvent(QCloseEvent* event) {
  // Only the frame's close box (or close()) comes here; OK and Esc hide the window instead.
  closed_by_frame_ = true;
  QDialog::closeEvent(event);
}

}  // namespace snapnook
