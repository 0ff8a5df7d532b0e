#include "strataquill/data/pattern_marks.h"

#include <QTransform>
#include <cmath>

namespace sq::patterns {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Cell centre of a staggered grid: odd rows shift half a cell to the right.
QPointF staggered(const TilePainter& p, int i, int j, int perRow, int rows, double phase) {
  const double cw = double(p.width()) / perRow;
  const double ch = double(p.height()) / rows;
  return QPointF((i + 0.5 * (j % 2) + 0.25) * cw, (j + phase) * ch);
}

}  // namespace

void gravelClasts(TilePainter& p, TileScatter& s, int count, double minRadius, double maxRadius,
                  double gap) {
  for (const auto& m : s.placeSized(count, minRadius, maxRadius, gap)) {
    const double flat = s.random().uniform(0.62, 0.92);
    p.ellipse(m.centre, m.radius, m.radius * flat, s.random().uniform(-35, 35));
  }
}

void gravelRows(TilePainter& p, TileScatter& s, int perRow, int rows, double radius) {
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < perRow; ++i) {
      const QPointF c = staggered(p, i, j, perRow, rows, 0.5) +
                        QPointF(s.random().uniform(-2, 2), s.random().uniform(-2, 2));
      s.reserve(c, radius);
      p.ellipse(c, radius, radius * 0.8, s.random().uniform(-20, 20));
    }
  }
}

void sandGrains(TilePainter& p, TileScatter& s, int count, double minRadius, double maxRadius,
                double gap) {
  for (const auto& m : s.placeSized(count, minRadius, maxRadius, gap)) p.dot(m.centre, m.radius);
}

void sandRows(TilePainter& p, TileScatter& s, int perRow, int rows, double radius) {
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < perRow; ++i) {
      const QPointF c = staggered(p, i, j, perRow, rows, 0.5);
      s.reserve(c, radius);
      p.dot(c, radius);
    }
  }
}

void siltDashes(TilePainter& p, TileScatter& s, int count, double length, double gap) {
  for (const QPointF& c : s.place(count, length / 2, gap))
    p.line(c - QPointF(length / 2, 0), c + QPointF(length / 2, 0));
}

void dashRows(TilePainter& p, int perRow, int rows, double length, double phase) {
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < perRow; ++i) {
      const QPointF c = staggered(p, i, j, perRow, rows, phase);
      p.line(c - QPointF(length / 2, 0), c + QPointF(length / 2, 0));
    }
  }
}

void tickRows(TilePainter& p, int perRow, int rows, double length, double phase) {
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < perRow; ++i) {
      const QPointF c = staggered(p, i, j, perRow, rows, phase);
      p.line(c - QPointF(0, length / 2), c + QPointF(0, length / 2));
    }
  }
}

void keepOffHatch(TileScatter& s, int size, int count, bool rising, double clearance) {
  const double spacing = double(size) / count;
  for (int k = 0; k < count; ++k)
    for (int t = 0; t < size; t += 3) {
      const double x = k * spacing + t;
      s.reserve(QPointF(std::fmod(x, size), rising ? size - t : t), kStroke / 2, clearance);
    }
}

void keepOffHorizontal(TileScatter& s, int size, int count, double offset, double clearance) {
  const double spacing = double(size) / count;
  for (int k = 0; k < count; ++k)
    for (int x = 0; x < size; x += 3)
      s.reserve(QPointF(x, std::fmod(offset + k * spacing, size)), kStroke / 2, clearance);
}

void diagonalHatch(TilePainter& p, int count, bool rising) {
  const double spacing = double(p.width()) / count;
  const QPointF direction = rising ? QPointF(1, -1) : QPointF(1, 1);
  for (int k = 0; k < count; ++k) p.endlessLine(QPointF(k * spacing, 0), direction);
}

void horizontalLines(TilePainter& p, int count, double offset) {
  const double spacing = double(p.height()) / count;
  for (int k = 0; k < count; ++k) p.endlessLine(QPointF(0, offset + k * spacing), QPointF(1, 0));
}

void dashedLines(TilePainter& p, int lines, int dashesPerLine, double fill, double offset) {
  const double spacing = double(p.height()) / lines;
  const double period = double(p.width()) / dashesPerLine;
  for (int j = 0; j < lines; ++j) {
    const double y = offset + j * spacing;
    const double shift = (j % 2) * period / 2;
    for (int i = 0; i < dashesPerLine; ++i) {
      const double x = shift + i * period;
      p.line(QPointF(x, y), QPointF(x + period * fill, y));
    }
  }
}

void organicMarks(TilePainter& p, TileScatter& s, int count, double size, double gap) {
  for (const QPointF& c : s.place(count, size / 2, gap)) {
    QPainterPath wave;
    const double h = size / 2;
    wave.moveTo(c + QPointF(-h, 0));
    wave.cubicTo(c + QPointF(-h / 2, -h * 0.7), c + QPointF(0, -h * 0.7), c);
    wave.cubicTo(c + QPointF(0, h * 0.7), c + QPointF(h / 2, h * 0.7), c + QPointF(h, 0));
    p.path(wave);
  }
}

void grassTufts(TilePainter& p, TileScatter& s, int count, double size, double gap) {
  for (const QPointF& c : s.place(count, size * 0.6, gap)) {
    // Base line, then five blades fanning up from its middle.
    const QPointF base = c + QPointF(0, size * 0.35);
    p.line(base - QPointF(size * 0.55, 0), base + QPointF(size * 0.55, 0));
    for (int b = -2; b <= 2; ++b) {
      const double angle = (90 + b * 24) * kPi / 180;
      const double len = size * (b == 0 ? 0.8 : 0.62);
      p.line(base, base + QPointF(std::cos(angle) * len, -std::sin(angle) * len));
    }
  }
}

void blockCourses(TilePainter& p, int courses, int blocksPerCourse, double slant) {
  const double ch = double(p.height()) / courses;
  const double bw = double(p.width()) / blocksPerCourse;
  for (int j = 0; j < courses; ++j) {
    const double top = j * ch;
    p.endlessLine(QPointF(0, top), QPointF(1, 0));
    const double shift = (j % 2) * bw / 2;
    for (int i = 0; i < blocksPerCourse; ++i) {
      const double x = shift + i * bw + bw / 4;
      p.line(QPointF(x + slant / 2, top), QPointF(x - slant / 2, top + ch));
    }
  }
}

void angularFragments(TilePainter& p, TileScatter& s, int count, double minSize, double maxSize,
                      double gap, bool filledBlack) {
  for (const auto& m : s.placeSized(count, minSize / 2, maxSize / 2, gap)) {
    const int corners = 3 + s.random().below(2);
    const double turn = s.random().uniform(0, 2 * kPi);
    QPainterPath shape;
    for (int k = 0; k < corners; ++k) {
      const double a = turn + k * 2 * kPi / corners + s.random().uniform(-0.35, 0.35);
      const double r = m.radius * s.random().uniform(0.7, 1.0);
      const QPointF v = m.centre + QPointF(std::cos(a) * r, std::sin(a) * r);
      if (k == 0)
        shape.moveTo(v);
      else
        shape.lineTo(v);
    }
    shape.closeSubpath();
    if (filledBlack)
      p.filled(shape);
    else
      p.outlined(shape);
  }
}

void crosses(TilePainter& p, TileScatter& s, int count, double size, double gap) {
  int k = 0;
  for (const QPointF& c : s.place(count, size / 2, gap)) {
    const double h = size / 2;
    if (k++ % 2 == 0) {
      p.line(c - QPointF(h, 0), c + QPointF(h, 0));
      p.line(c - QPointF(0, h), c + QPointF(0, h));
    } else {
      const double d = h * 0.8;
      p.line(c - QPointF(d, d), c + QPointF(d, d));
      p.line(c + QPointF(-d, d), c + QPointF(d, -d));
    }
  }
}

void wavyLines(TilePainter& p, int lines, int waves, double amplitude, double offset) {
  const double spacing = double(p.height()) / lines;
  const int w = p.width();
  for (int j = 0; j < lines; ++j) {
    const double y0 = offset + j * spacing;
    QPainterPath wave;
    for (int x = -w; x <= 2 * w; ++x) {
      const QPointF pt(x, y0 + amplitude * std::sin(2 * kPi * waves * x / w));
      if (x == -w)
        wave.moveTo(pt);
      else
        wave.lineTo(pt);
    }
    p.band(wave);
  }
}

void zigzagLines(TilePainter& p, int lines, int teeth, double depth, double offset) {
  const double spacing = double(p.height()) / lines;
  const double tooth = double(p.width()) / teeth;
  for (int j = 0; j < lines; ++j) {
    const double y0 = offset + j * spacing;
    QPainterPath zig;
    zig.moveTo(-p.width(), y0);
    for (int k = -teeth; k < 2 * teeth; ++k) {
      zig.lineTo(k * tooth + tooth / 2, y0 - depth);
      zig.lineTo((k + 1) * tooth, y0);
    }
    p.band(zig);
  }
}

}  // namespace sq::patterns
