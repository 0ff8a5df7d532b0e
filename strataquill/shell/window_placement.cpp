#include "strataquill/shell/window_placement.h"

#include <QWidget>

#include <algorithm>
#include <optional>

#include "strataquill/db/value.h"
#include "strataquill/shell/settings_store.h"

namespace sq {
namespace {

constexpr const char* kSection = "Strataquill";

std::optional<int> readInt(const std::string& key) {
  const std::string text = GetSetting(kSection, key, "");
  if (text.empty()) return std::nullopt;
  const double v = db::parseLeadingNumber(text);
  if (!(v > -100000 && v < 100000)) return std::nullopt;
  return static_cast<int>(v);
}

}  // namespace

QMargins expectedWindowFrame() {
  return QMargins(8, 32, 8, 8);
}

QRect fitToScreen(const QRect& wanted, const QRect& available, const QMargins& frame) {
  if (!available.isValid()) return wanted;
  const QSize room = available.size().shrunkBy(frame);
  QRect r(wanted.topLeft(), wanted.size().boundedTo(room).expandedTo(QSize(1, 1)));
  const QRect inner = available.marginsRemoved(frame);
  r.moveLeft(std::clamp(r.left(), inner.left(), inner.right() - r.width() + 1));
  r.moveTop(std::clamp(r.top(), inner.top(), inner.bottom() - r.height() + 1));
  return r;
}

void restoreWindowPlacement(QWidget& window, const std::string& prefix, QSize defaultSize,
                            const QRect& available) {
  const QMargins frame = expectedWindowFrame();
  const QPoint inside(frame.left(), frame.top());
  // Left and Top are the frame's corner, Width and Height the inside's.
  QRect wanted(QPoint(), defaultSize);
  wanted.moveCenter(available.center());
  const auto left = readInt(prefix + "Left"), top = readInt(prefix + "Top");
  const auto width = readInt(prefix + "Width"), height = readInt(prefix + "Height");
  if (left && top && width && height && *width > 0 && *height > 0)
    wanted = QRect(QPoint(*left, *top) + inside, QSize(*width, *height));
  const QRect placed = fitToScreen(wanted, available, frame);
  window.resize(placed.size());
  window.move(placed.topLeft() - inside);
  if (GetSetting(kSection, prefix + "Maximized", "False") == "True")
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void saveWindowPlacement(const QWidget& window, const std::string& prefix) {
  const bool large = window.isMaximized() || window.isFullScreen();
  const QRect normal = large ? window.normalGeometry() : window.geometry();
  if (normal.isValid()) {
    // The frame's corner, where move() puts it back.
    const QPoint corner =
        normal.topLeft() - (window.geometry().topLeft() - window.frameGeometry().topLeft());
    SaveSetting(kSection, prefix + "Left", std::to_string(corner.x()));
    SaveSetting(kSection, prefix + "Top", std::to_string(corner.y()));
    SaveSetting(kSection, prefix + "Width", std::to_string(normal.width()));
    SaveSetting(kSection, prefix + "Height", std::to_string(normal.height()));
  }
  SaveSetting(kSection, prefix + "Maximized", window.isMaximized() ? "True" : "False");
}

}  // namespace sq
