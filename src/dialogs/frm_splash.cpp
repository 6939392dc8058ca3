#include "dialogs/frm_splash.h"

#include <functional>

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include "core/config.h"
#include "dialogs/art.h"

namespace snapnook {
namespace {

// Frame1: reports clicks on its own surface. Its labels and the logo do not pass their clicks
// on (WA_NoMousePropagation), so a click on them never reaches the frame.
class SplashFrame : public QFrame {
 public:
  SplashFrame(QWidget* parent, std::function<void()> on_click)
      : QFrame(parent), on_click_(std::move(on_click)) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == nullptr) {
      on_click_();
      return;
    }
    QFrame::mousePressEvent(event);
  }

 private:
  std::function<void()> on_click_;
};

QFont ArialFont(double points, bool bold) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// A label that sizes itself to its text. A right-aligned one keeps its right edge where it was
// placed, so its text ends at the same point whatever the font's real width.
QLabel* FittingLabel(QWidget* parent, const char* name, const QString& text, const QFont& font,
                     QRect placed, bool right_aligned = false) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(font);
  label->setAttribute(Qt::WA_NoMousePropagation);
  label->setGeometry(placed);
  if (right_aligned) label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->adjustSize();
  if (right_aligned) label->move(placed.right() + 1 - label->width(), placed.top());
  return label;
}

QLabel* PlainLabel(QWidget* parent, const char* name, const QString& text, QRect placed) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(ArialFont(8.25, false));
  label->setAttribute(Qt::WA_NoMousePropagation);
  label->setGeometry(placed);
  return label;
}

}  // namespace

std::string SplashVersionText() {
  return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
         std::to_string(kVersionRevision);
}

frmSplash::frmSplash(bool& dismissed, const std::string& product_name, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), dismissed_(dismissed) {
  setObjectName(QStringLiteral("frmSplash"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowIcon(AppIcon());
  setFixedSize(492, 283);
  setFocusPolicy(Qt::StrongFocus);

  // The window's own fixed border, drawn since the window has no frame from the desktop.
  auto* border = new QFrame(this);
  border->setFrameStyle(QFrame::Panel | QFrame::Raised);
  border->setLineWidth(2);
  border->setGeometry(rect());
  border->setAttribute(Qt::WA_TransparentForMouseEvents);

  auto* frame = new SplashFrame(this, [this] { Dismiss(); });
  frame->setObjectName(QStringLiteral("Frame1"));
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  frame->setGeometry(8, 8, 472, 270);

  const QString maker = QString::fromUtf8(kMakerName.data(), kMakerName.size());
  FittingLabel(frame, "lblCompanyProduct", maker, ArialFont(18, true), QRect(21, 23, 249, 29));
  FittingLabel(frame, "lblProductName", QString::fromStdString(product_name),
               ArialFont(20.25, true), QRect(24, 52, 104, 32));
  FittingLabel(frame, "lblPlatform", QStringLiteral("for Linux"), ArialFont(15.75, true),
               QRect(24, 88, 189, 24), true);
  FittingLabel(frame, "lblVersion", QString::fromStdString(SplashVersionText()),
               ArialFont(12, true), QRect(328, 88, 59, 19), true);

  auto* picture = new QLabel(frame);
  picture->setObjectName(QStringLiteral("Picture1"));
  picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  picture->setAttribute(Qt::WA_NoMousePropagation);
  picture->setGeometry(24, 112, 145, 129);
  picture->setAlignment(Qt::AlignCenter);
  picture->setPixmap(LogoPixmap());

  PlainLabel(frame, "lblCompany", maker, QRect(304, 162, 161, 17));
  PlainLabel(frame, "Label1", QStringLiteral("Developed by"), QRect(280, 208, 161, 17));
  PlainLabel(frame, "Label2", maker, QRect(280, 222, 161, 17));

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  // Loading the splash clears the flag.
  dismissed_ = false;
}

void frmSplash::keyPressEvent(QKeyEvent* event) {
  // Keys that produce a character dismiss the splash: letters, digits, punctuation, space,
  // Enter, Esc, Backspace. Shift, arrows and function keys produce none.
  if (!event->text().isEmpty()) {
    Dismiss();
    return;
  }
  QWidget::keyPressEvent(event);
}

void frmSplash::Dismiss() {
  dismissed_ = true;
  close();
}

}  // namespace snapnook
