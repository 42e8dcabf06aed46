#pragma once

#include <QFont>
#include <QRect>

namespace tolvane {

// Positions of the control table are dialog units: a quarter of the font's average
// character width across, an eighth of its height down, so that the arrangement keeps
// its proportions at any font size. Converted as the original platform converts them:
// the average width of the 52 ASCII letters, rounded, and results rounded half away
// from zero.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

  private:
    int baseX_;
    int baseY_;
};

// The interface font of the window: the system's, at least 9 points.
QFont WindowFont();

}  // namespace tolvane
