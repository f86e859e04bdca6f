#include "toolkit/tool_icons.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace varkel {

namespace {

struct Glyph {
    const char* name;
    QRgb color;
    const char16_t* text;
};

// Our own simple images: a coloured tile with a glyph, readable at toolbar size.
const Glyph kGlyphs[] = {
    {"connect", 0xFF2E7D32, u"接"}, {"discon", 0xFF757575, u"断"},   {"go", 0xFF1565C0, u"▶"},
    {"stop", 0xFFC62828, u"■"},     {"ok", 0xFF00838F, u"C"},        {"ng", 0xFFEF6C00, u"R"},
    {"temp", 0xFF6A1B9A, u"T"},     {"hist", 0xFF4E342E, u"H"},      {"save", 0xFF283593, u"保"},
    {"inst", 0xFF558B2F, u"登"},    {"table", 0xFF1565C0, u"T"},     {"view", 0xFF2E7D32, u"V"},
    {"synonym", 0xFF6A1B9A, u"S"},  {"column", 0xFF757575, u"c"},    {"key", 0xFFF9A825, u"k"},
    {"search", 0xFF37474F, u"検"},  {"SortASC", 0xFF546E7A, u"▲"},   {"SortDESC", 0xFF546E7A, u"▼"},
    {"start", 0xFF2E7D32, u"▶"},    {"stopfetch", 0xFFC62828, u"■"},
};

}  // namespace

QIcon ToolIcon(const QString& name) {
    for (const Glyph& glyph : kGlyphs) {
        if (name != QLatin1String(glyph.name)) continue;
        QPixmap pixmap(24, 24);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor::fromRgba(glyph.color));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(1, 1, 22, 22), 4, 4);
        QFont font = painter.font();
        font.setPixelSize(14);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, QString::fromUtf16(glyph.text));
        return QIcon(pixmap);
    }
    return {};
}

}  // namespace varkel
