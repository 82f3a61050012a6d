#include "IconCatalogue.h"

namespace {

QColor hex(quint32 rgb)
{
    return QColor::fromRgb(QRgb(0xFF000000u | rgb));
}

// The untinted icons are shown on light and dark panels alike, so their colours sit
// in the middle of the lightness range where both give enough contrast.
const QColor teal = hex(0x13A191);
const QColor coral = hex(0xE5484D);
const QColor blue = hex(0x3B7BEA);
const QColor amber = hex(0xD17A00);
const QColor violet = hex(0x8A5CF0);
const QColor slate = hex(0x667892);

// The themed icons: for a light scheme, for a dark one, and for a disabled button in
// either.
const QColor lightSchemeInk = hex(0x344054);
const QColor darkSchemeInk = hex(0xF2F4F7);
const QColor disabledInk = hex(0x98A2B3);

QString glyph(const char *name)
{
    return QStringLiteral(":/art/icons/%1.svg").arg(QLatin1String(name));
}

} // namespace

QList<IconSpec> iconCatalogue()
{
    QList<IconSpec> list{
        {glyph("add"), QStringLiteral("Add24"), teal},
        {glyph("delete"), QStringLiteral("Delete24"), coral},
        {glyph("align-left"), QStringLiteral("FormatAlignLeft24"), blue},
        {glyph("align-center"), QStringLiteral("FormatAlignCenter24"), blue},
        {glyph("align-right"), QStringLiteral("FormatAlignRight24"), blue},
        {glyph("sticker"), QStringLiteral("Sticker24"), amber},
        {glyph("about"), QStringLiteral("About24"), blue},
        {glyph("text"), QStringLiteral("Text24"), violet},
        {glyph("export"), QStringLiteral("Export24"), teal},
        {glyph("website"), QStringLiteral("websiteIcon24"), blue},
        {glyph("print"), QStringLiteral("Print24"), slate},
        {glyph("keyboard"), QStringLiteral("Keyboard24"), slate},
        {glyph("settings"), QStringLiteral("Options24"), slate},
    };
    const struct
    {
        const char *glyph;
        const char *stem;
    } themed[] = {
        {"delete", "Delete"}, {"settings", "Settings"}, {"text", "Text"}, {"sticker", "Sticker"}};
    for (const auto &icon : themed) {
        const QString stem = QStringLiteral("_") + QLatin1String(icon.stem);
        list.append({glyph(icon.glyph), stem + QStringLiteral("Icon24"), lightSchemeInk});
        list.append({glyph(icon.glyph), stem + QStringLiteral("WhiteIcon24"), darkSchemeInk});
        list.append({glyph(icon.glyph), stem + QStringLiteral("GrayIcon24"), disabledInk});
    }
    return list;
}
