#include "app/form1.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QThread>

#include "app/form2.h"
#include "app/picture_area.h"
#include "core/error.h"
#include "dialogs/art.h"
#include "dialogs/frm_help_about.h"
#include "dialogs/frm_splash.h"
#include "run/run_driver.h"

namespace snapnook {
namespace {

constexpr int kClientWidth = 712;
constexpr int kClientHeight = 457;
constexpr int kStatusHeight = 17;
// What a window manager's title bar takes beside the title: the window menu's icon, three
// buttons and their margins (openbox: about 90 pixels).
constexpr int kTitleBarRoom = 120;

// Stops the run once the user asked to end the program: RunInterrupted unwinds it (its files
// are whole or not written) back to "Create Pictures", which then ends the program. Not while
// the run unwinds already: a window call from a destructor must not throw.
void ThrowIfAbandoned(bool end_requested) {
  if (end_requested && std::uncaught_exceptions() == 0) throw RunInterrupted{};
}

QString Qs(const std::string& text) {
  return QString::fromStdString(text);
}

template <class W>
W* Place(W* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

QMessageBox::StandardButtons ButtonsFor(int code) {
  switch (code & 7) {
    case 1:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case 2:
      return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case 4:
      return QMessageBox::Yes | QMessageBox::No;
    case 5:
      return QMessageBox::Retry | QMessageBox::Cancel;
    default:
      return QMessageBox::Ok;
  }
}

QMessageBox::Icon IconFor(int code) {
  switch (code & 0x70) {
    case 16:
      return QMessageBox::Critical;
    case 32:
      return QMessageBox::Question;
    case 48:
      return QMessageBox::Warning;
    case 64:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// The answer numbers of the program's message boxes: OK 1, Cancel 2, Abort 3, Retry 4,
// Ignore 5, Yes 6, No 7.
// Qt sizes a message box by its text, and a title bar then cuts a longer title ("HTML wa...
// cessfully"): the box is made as wide as the title in the desktop's title font, bold as title
// bars draw it, beside the title bar's buttons.
void WidenForTitle(QMessageBox& box) {
  QFont bold = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  bold.setBold(true);
  const int width = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + kTitleBarRoom;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(width, 0), grid->rowCount(), 0, 1, grid->columnCount());
  }
}

int AnswerFor(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok:
      return kMsgAnswerOk;
    case QMessageBox::Cancel:
      return 2;
    case QMessageBox::Abort:
      return 3;
    case QMessageBox::Retry:
      return 4;
    case QMessageBox::Ignore:
      return 5;
    case QMessageBox::Yes:
      return kMsgAnswerYes;
    case QMessageBox::No:
      return kMsgAnswerNo;
    default:
      return 2;
  }
}

}  // namespace

Form1::Form1(FileSystem& fs, SettingsStore& settings, QWidget* parent)
    : QWidget(parent), session_(*this, fs, settings) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Create Picture JPGs"));
  setWindowIcon(AppIcon());
  resize(kClientWidth, kClientHeight);

  session_.program_folder = QCoreApplication::applicationDirPath().toStdString();
  session_.home_folder = QDir::homePath().toStdString();
  session_.current_year = SystemYear;
  session_.jobs = 0;

  Place(new QLabel(QStringLiteral("Source:"), this), "Label1", 8, 8, 49, 17);
  source_dir_ = Place(new QLineEdit(this), "txtSourceDir", 72, 8, 241, 19);
  source_ = Place(new QPushButton(QStringLiteral("..."), this), "cmdSrc", 328, 8, 25, 17);
  Place(new QLabel(QStringLiteral("Title:"), this), "Label2", 8, 32, 49, 17);
  title_ = Place(new QLineEdit(this), "txtTitle", 72, 32, 241, 19);
  create_jpg_ =
      Place(new QCheckBox(QStringLiteral("Create JPGs"), this), "chkCreateJPG", 8, 64, 105, 13);
  create_640_ = Place(new QCheckBox(QStringLiteral("Create 640x480 files"), this), "chk640", 168,
                      64, 145, 17);
  create_html_ =
      Place(new QCheckBox(QStringLiteral("Create HTML"), this), "chkCreateHTML", 8, 88, 105, 13);
  modern_ =
      Place(new QCheckBox(QStringLiteral("Modern album"), this), "chkModern", 168, 88, 145, 17);
  modern_->setToolTip(QStringLiteral(
      "Pictures upright and in proportion, from the formats phones write (HEIC, PNG, ...), and "
      "pages for phones and today's browsers"));
  Place(new QLabel(QStringLiteral("Copyright"), this), "Label3", 8, 112, 57, 17);
  copyright_ = Place(new QLineEdit(this), "txtCopyright", 72, 112, 241, 19);
  Place(new QLabel(QStringLiteral("Copy Link"), this), "Label4", 8, 136, 49, 17);
  copyright_link_ = Place(new QLineEdit(this), "txtCopyrightLink", 72, 136, 241, 19);
  load_ =
      Place(new QPushButton(QStringLiteral("Create Pictures"), this), "cmdLoad", 6, 160, 105, 25);
  cancel_ = Place(new QPushButton(QStringLiteral("Close"), this), "cmdCancel", 126, 160, 105, 25);
  help_button_ =
      Place(new QPushButton(QStringLiteral("Help"), this), "cmdHelpAbout", 246, 160, 105, 25);
  lead1_ = Place(new PictureArea(this), "LEAD1", 8, 192, 361, 217);
  lead2_ = Place(new PictureArea(this), "LEAD2", 384, 8, 321, 401);
  progress_ = Place(new QProgressBar(this), "ProgressBar1", 0, 416, 713, 17);
  status_ = Place(new QStatusBar(this), "StatusBar1", 0, kClientHeight - kStatusHeight,
                  kClientWidth, kStatusHeight);

  for (QCheckBox* box : {create_jpg_, create_640_, create_html_}) box->setChecked(true);
  progress_->setTextVisible(false);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->hide();

  // The keyboard order of the controls that take the focus.
  QWidget* order[] = {load_,       source_dir_, source_, title_,     create_jpg_,     create_html_,
                      create_640_, modern_,     cancel_, copyright_, copyright_link_, help_button_};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  load_->setFocus();

  connect(load_, &QPushButton::clicked, this, &Form1::CreatePictures);
  connect(source_, &QPushButton::clicked, this, &Form1::ChooseSourceFolder);
  connect(help_button_, &QPushButton::clicked, this, &Form1::ShowHelp);
  connect(cancel_, &QPushButton::clicked, this, [this] { EndProgram(); });
  // "Close" is the window's cancel button: Esc presses it, and does nothing while it is
  // disabled.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, cancel_, &QPushButton::click);

  end_program = [] {
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    QCoreApplication::exit(0);
  };

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

Form1::~Form1() {
  if (busy_) QApplication::restoreOverrideCursor();
}

void Form1::Load(const SecondsClock& clock) {
  StartUp(session_.state, session_.settings, *this, clock);
}

void Form1::SetSourceDir(const QString& folder) {
  source_dir_->setText(folder);
}

// --- commands ---

void Form1::CreatePictures() {
  running_ = true;
  bool abandoned = false;
  try {
    abandoned = RunCreatePictures(session_).ended == RunOutcome::Ended::kInterrupted;
  } catch (const RunInterrupted&) {
    abandoned = true;  // stopped outside the passes (at the closing question)
  }
  running_ = false;
  if (abandoned || end_requested_) {
    SetBusyPointer(false);
    EndProgram();
  }
}

void Form1::ChooseSourceFolder() {
  if (!chooser_) chooser_ = new Form2(this);
  const QString typed = source_dir_->text();
  // A text that names no existing folder leaves the chooser where it was. (The rule that
  // picks a drive from an "X:" prefix has no drives to pick on this platform.)
  if (!typed.isEmpty()) chooser_->SetPath(typed);
  // Only OK writes the folder back; closing the chooser otherwise leaves the field as it was.
  if (chooser_->exec() == QDialog::Accepted) source_dir_->setText(chooser_->Path());
}

void Form1::ShowHelp() {
  if (!help_) help_ = std::make_unique<frmHelpAbout>(session_.state.ProductName);
  help_->exec();
  // OK only hides the window, which keeps its texts; its close box unloads it.
  if (help_ && help_->ClosedByFrame()) help_.reset();
}

void Form1::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (running_) {
    // The run notices at its next turn of the event loop and unwinds.
    end_requested_ = true;
    hide();
    return;
  }
  EndProgram();
}

void Form1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Only the status bar follows the window: it stays on the bottom edge, full width.
  status_->setGeometry(0, height() - kStatusHeight, width(), kStatusHeight);
}

QCheckBox* Form1::Box(CheckBox box) const {
  switch (box) {
    case CheckBox::kCreateJpg:
      return create_jpg_;
    case CheckBox::kCreate640:
      return create_640_;
    case CheckBox::kCreateHtml:
      return create_html_;
    case CheckBox::kModern:
      return modern_;
  }
  return create_jpg_;
}

QPushButton* Form1::ButtonOf(Button button) const {
  switch (button) {
    case Button::kLoad:
      return load_;
    case Button::kCancel:
      return cancel_;
    case Button::kHelpAbout:
      return help_button_;
  }
  return load_;
}

// --- MainWindow ---

std::string Form1::SourceDir() {
  return source_dir_->text().toStdString();
}
std::string Form1::Title() {
  return title_->text().toStdString();
}
std::string Form1::Copyright() {
  return copyright_->text().toStdString();
}
std::string Form1::CopyrightLink() {
  return copyright_link_->text().toStdString();
}

bool Form1::IsChecked(CheckBox box) {
  return Box(box)->isChecked();
}
void Form1::Uncheck(CheckBox box) {
  Box(box)->setChecked(false);
}

void Form1::SetButtonEnabled(Button button, bool enabled) {
  ButtonOf(button)->setEnabled(enabled);
}

void Form1::SetStatusText(const std::string& text) {
  status_->showMessage(Qs(text));
}

void Form1::SetProgressVisible(bool visible) {
  progress_->setVisible(visible);
}

void Form1::SetProgressMax(float max) {
  progress_max_ = max;
  // A range of 0 to 0 would make the bar an endless busy animation; an empty bar says more.
  const long top = std::lround(std::max(max, 0.0f));
  progress_->setRange(0, static_cast<int>(std::clamp(top, 1L, 2147483647L)));
}

void Form1::SetProgressValue(float value) {
  const long at = std::lround(std::max(value, 0.0f));
  progress_->setValue(static_cast<int>(std::min<long>(at, progress_->maximum())));
}

int Form1::ShowMessage(const std::string& prompt, const std::string& title, int code) {
  ThrowIfAbandoned(end_requested_);
  // The program is ending: nothing more is asked.
  if (end_requested_) return kMsgAnswerNo;
  QMessageBox box(IconFor(code), Qs(title), Qs(prompt), ButtonsFor(code), this);
  box.setObjectName(QStringLiteral("MsgBox"));
  box.setTextFormat(Qt::PlainText);
  WidenForTitle(box);
  box.exec();
  return AnswerFor(box.standardButton(box.clickedButton()));
}

void Form1::DoEvents() {
  QCoreApplication::processEvents();
  ThrowIfAbandoned(end_requested_);
}

void Form1::SetBusyPointer(bool busy) {
  // Qt stacks override cursors; the program's pointer is a single state.
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void Form1::EndProgram() {
  if (end_program) end_program();
}

void Form1::ShowPictures(std::span<const unsigned char> full_size,
                         std::span<const unsigned char> saved) {
  lead2_->ShowJpeg(full_size);
  lead1_->ShowJpeg(saved);
}

// --- StartupWindow ---

void Form1::SetCaption(const std::string& text) {
  setWindowTitle(Qs(text));
}
void Form1::SetCopyrightText(const std::string& text) {
  copyright_->setText(Qs(text));
}
void Form1::SetModernChecked(bool checked) {
  modern_->setChecked(checked);
}

void Form1::SetCopyrightLinkText(const std::string& text) {
  copyright_link_->setText(Qs(text));
}

void Form1::ShowSplash() {
  splash_ = new frmSplash(session_.state.SplashDismissed, session_.state.ProductName);
  splash_->show();
  splash_->activateWindow();
  splash_->setFocus();
}

void Form1::CloseSplash() {
  if (splash_) splash_->close();
}

void Form1::SplashWaitTurn() {
  QCoreApplication::processEvents();
  // The wait has nothing to do between events; a short sleep keeps it from spinning.
  QThread::msleep(5);
}

}  // namespace snapnook
