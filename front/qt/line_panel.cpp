#include "front/qt/line_panel.h"

#include <QPainter>
#include <QPainterPath>

#include "front/common/line_look.h"

namespace quillon::qt {
namespace {

QColor ColourOf(const Rgb& rgb) {
  return QColor(rgb.red, rgb.green, rgb.blue);
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// The tile's icon, drawn rather than taken from a font that may lack it.
void DrawIcon(QPainter& painter, TileIcon icon, const QRectF& box, const QColor& colour) {
  painter.save();
  QPen pen(colour, std::max(3.0, box.width() / 8));
  pen.setCapStyle(Qt::RoundCap);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  const QRectF inner = box.adjusted(box.width() / 6, box.height() / 6, -box.width() / 6, -box.height() / 6);
  switch (icon) {
    case TileIcon::kPassed: {
      QPainterPath tick;
      tick.moveTo(inner.left(), inner.center().y());
      tick.lineTo(inner.left() + inner.width() * 0.4, inner.bottom());
      tick.lineTo(inner.right(), inner.top());
      painter.drawPath(tick);
      break;
    }
    case TileIcon::kFailed:
      painter.drawLine(inner.topLeft(), inner.bottomRight());
      painter.drawLine(inner.topRight(), inner.bottomLeft());
      break;
    case TileIcon::kWriting: {
      QPainterPath arrow;
      arrow.moveTo(inner.left(), inner.top());
      arrow.lineTo(inner.right(), inner.center().y());
      arrow.lineTo(inner.left(), inner.bottom());
      painter.drawPath(arrow);
      break;
    }
    case TileIcon::kWaiting:
      painter.drawEllipse(inner);
      break;
    case TileIcon::kStopped:
      painter.drawRect(inner);
      break;
    case TileIcon::kNone:
      break;
  }
  painter.restore();
}

void DrawTile(QPainter& painter, const QFont& base, const Tile& tile, const Box& box) {
  const TileLook look = LookOf(tile);
  const QRectF area(box.left, box.top, box.width, box.height);
  painter.fillRect(area, ColourOf(look.background));
  const TileFonts sizes = FontsFor(box);
  const QColor ink = ColourOf(look.text);
  const double margin = sizes.small;
  QFont large = base;
  large.setPixelSize(sizes.large);
  large.setBold(true);
  QFont small = base;
  small.setPixelSize(sizes.small);

  painter.setPen(ink);
  painter.setFont(large);
  const QRectF top(area.left() + margin, area.top() + margin / 2, area.width() - 2 * margin,
                   sizes.large * 1.3);
  painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, Text(look.number));
  DrawIcon(painter, look.icon, QRectF(top.right() - sizes.large, top.top(), sizes.large, sizes.large * 1.2),
           ink);
  painter.setFont(small);
  double y = top.bottom();
  painter.drawText(QRectF(top.left(), y, top.width(), sizes.small * 1.4), Qt::AlignLeft, Text(look.name));
  y += sizes.small * 1.6;
  painter.setFont(large);
  painter.drawText(QRectF(top.left(), y, top.width(), sizes.large * 1.3), Qt::AlignHCenter | Qt::AlignVCenter,
                   Text(look.stateWord));
  y += sizes.large * 1.4;
  if (look.bar >= 0) {
    const QRectF bar(top.left(), y, top.width(), sizes.small);
    painter.fillRect(bar, QColor(255, 255, 255, 60));
    painter.fillRect(QRectF(bar.left(), bar.top(), bar.width() * look.bar, bar.height()), ink);
    y += sizes.small * 1.5;
  }
  painter.setFont(small);
  const QRectF rest(top.left(), y, top.width(), area.bottom() - y - margin / 2);
  QString lines;
  for (const std::string& line : look.lines) lines += Text(line) + "\n";
  painter.drawText(rest, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, lines.trimmed());
  if (!look.flag.empty()) {
    const QRectF band(area.left(), area.bottom() - sizes.small * 2, area.width(), sizes.small * 2);
    painter.fillRect(band, ColourOf(kFlagBackground));
    painter.setPen(Qt::black);
    QFont bold = small;
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(band, Qt::AlignCenter, Text(look.flag));
  }
}

}  // namespace

LinePanel::LinePanel(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
}

void LinePanel::Show(const LineModel* model, const std::string& problem) {
  m_model = model;
  m_problem = problem;
  update();
}

void LinePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), QColor(0x20, 0x20, 0x20));
  if (m_model == nullptr) {
    painter.setPen(Qt::white);
    painter.drawText(rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap, Text(m_problem));
    return;
  }
  const LineHeader header = m_model->Header();
  const QRect headerArea(0, 0, width(), kLineHeaderHeight);
  painter.fillRect(headerArea, ColourOf(kHeaderBackground));
  painter.setPen(Qt::white);
  QFont headerFont = font();
  headerFont.setPixelSize(20);
  painter.setFont(headerFont);
  int y = 6;
  for (const std::string& line : HeaderLines(header)) {
    painter.drawText(QRect(12, y, width() - 24, 28), Qt::AlignLeft | Qt::AlignVCenter, Text(line));
    y += 28;
  }
  int top = kLineHeaderHeight;
  if (const std::string banner = OpenBanner(header); !banner.empty()) {
    painter.fillRect(QRect(0, top, width(), kLineBannerHeight), ColourOf(kBannerBackground));
    painter.setPen(Qt::black);
    headerFont.setPixelSize(16);
    painter.setFont(headerFont);
    painter.drawText(QRect(0, top, width(), kLineBannerHeight), Qt::AlignCenter, Text(banner));
    top += kLineBannerHeight;
  }
  const std::vector<Tile> tiles = m_model->Tiles();
  const std::vector<Box> boxes =
      TileGrid(static_cast<int>(tiles.size()), {0, top, width(), height() - top}, kLineTileGap);
  for (std::size_t i = 0; i < tiles.size(); ++i) DrawTile(painter, QWidget::font(), tiles[i], boxes[i]);
}

}  // namespace quillon::qt
