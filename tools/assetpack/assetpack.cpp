// assetpack: turns rendered artwork into the program's final pictures.
//
//   assetpack compose --out OUT --base BASE [--scale S] [--crop X,Y,W,H]
//                     [--tile N] [--extend K] [--overlay PNG]...
//       Crops BASE (coordinates in 1x pixels, multiplied by S), repeats the
//       crop N times side by side, repeats its last column K more times, then
//       draws each overlay over it in order (overlays must match the result's
//       size; --overlay-rect X,Y,W,H takes that part of each overlay first).
//       Writes an opaque 24-bit PNG, or with --alpha keep one that keeps its
//       transparency (for icons, which are never blitted).
//
//   assetpack mask --in PNG --sheet OUT --mask OUT
//       Splits a figure with a transparent background into a sheet and a
//       mask: a pixel belongs to the figure when its alpha is at least 50 %.
//       Figure pixels keep their own colour, made opaque (pure white becomes
//       254,254,254 so it cannot be mistaken for background); the mask is
//       pure black there. Everywhere else both the sheet and the mask are
//       pure white.
//
//   assetpack contact --out OUT [--zoom Z] [--width W] LABEL=PNG...
//       Lays the pictures out in a labelled grid, each enlarged Z times with
//       nearest-neighbour sampling.

#include <QColor>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "assetpack: %s\n", qPrintable(message));
    std::exit(1);
}

QImage loadImage(const QString& path) {
    QImage image(path);
    if (image.isNull()) fail(QStringLiteral("cannot read picture '%1'").arg(path));
    // Files named "...@2x" come in with a device pixel ratio of 2; here every
    // picture is handled in plain pixels.
    image.setDevicePixelRatio(1.0);
    return image.convertToFormat(QImage::Format_ARGB32);
}

void saveOpaque(const QImage& image, const QString& path) {
    const QImage out = image.convertToFormat(QImage::Format_RGB888);
    if (!out.save(path, "PNG")) fail(QStringLiteral("cannot write '%1'").arg(path));
}

int toInt(const QString& text, const char* what) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0) fail(QStringLiteral("bad %1: '%2'").arg(QString::fromLatin1(what), text));
    return value;
}

QRect parseRect(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4) fail(QStringLiteral("bad rectangle '%1' (want X,Y,W,H)").arg(text));
    const QRect rect(toInt(parts[0], "x"), toInt(parts[1], "y"), toInt(parts[2], "width"), toInt(parts[3], "height"));
    if (rect.isEmpty()) fail(QStringLiteral("empty rectangle '%1'").arg(text));
    return rect;
}

// Simple option reader: "--name value" pairs plus bare arguments.
struct Options {
    std::vector<std::pair<QString, QString>> named;
    QStringList bare;

    std::optional<QString> value(const QString& name) const {
        std::optional<QString> found;
        for (const auto& [key, val] : named)
            if (key == name) found = val;
        return found;
    }
    QString required(const QString& name) const {
        const auto found = value(name);
        if (!found) fail(QStringLiteral("missing --%1").arg(name));
        return *found;
    }
    QStringList all(const QString& name) const {
        QStringList out;
        for (const auto& [key, val] : named)
            if (key == name) out << val;
        return out;
    }
};

Options parseOptions(const QStringList& args) {
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg.startsWith(QStringLiteral("--"))) {
            if (i + 1 >= args.size()) fail(QStringLiteral("%1 needs a value").arg(arg));
            options.named.emplace_back(arg.mid(2), args[i + 1]);
            ++i;
        } else {
            options.bare << arg;
        }
    }
    return options;
}

int compose(const Options& options) {
    const QString out = options.required(QStringLiteral("out"));
    const QImage base = loadImage(options.required(QStringLiteral("base")));
    const int scale = toInt(options.value(QStringLiteral("scale")).value_or(QStringLiteral("1")), "scale");
    if (scale < 1) fail(QStringLiteral("scale must be at least 1"));

    QRect crop = base.rect();
    if (const auto text = options.value(QStringLiteral("crop"))) {
        const QRect r = parseRect(*text);
        crop = QRect(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale);
        if (!base.rect().contains(crop))
            fail(QStringLiteral("crop %1 lies outside the %2 x %3 base")
                     .arg(*text)
                     .arg(base.width())
                     .arg(base.height()));
    }
    const int tile = toInt(options.value(QStringLiteral("tile")).value_or(QStringLiteral("1")), "tile");
    const int extend = toInt(options.value(QStringLiteral("extend")).value_or(QStringLiteral("0")), "extend") * scale;
    if (tile < 1) fail(QStringLiteral("tile must be at least 1"));

    const QImage piece = base.copy(crop);
    QImage result(piece.width() * tile + extend, piece.height(), QImage::Format_ARGB32);
    for (int t = 0; t < tile; ++t)
        for (int y = 0; y < piece.height(); ++y)
            for (int x = 0; x < piece.width(); ++x) result.setPixel(t * piece.width() + x, y, piece.pixel(x, y));
    const int last = piece.width() * tile - 1;
    for (int e = 1; e <= extend; ++e)
        for (int y = 0; y < result.height(); ++y) result.setPixel(last + e, y, result.pixel(last, y));

    const bool keepAlpha = options.value(QStringLiteral("alpha")).value_or(QString()) == QStringLiteral("keep");
    // Anything still transparent in the base would otherwise turn black.
    if (!keepAlpha) {
        QImage flat(result.size(), QImage::Format_ARGB32);
        flat.fill(Qt::white);
        QPainter p(&flat);
        p.drawImage(0, 0, result);
        p.end();
        result = flat;
    }

    // Overlays may be cut to a part first (1x pixels, like the crop).
    std::optional<QRect> overlayPart;
    if (const auto text = options.value(QStringLiteral("overlay-rect"))) {
        const QRect r = parseRect(*text);
        overlayPart = QRect(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale);
    }
    for (const QString& path : options.all(QStringLiteral("overlay"))) {
        QImage overlay = loadImage(path);
        if (overlayPart) {
            if (!overlay.rect().contains(*overlayPart))
                fail(QStringLiteral("overlay part lies outside '%1'").arg(path));
            overlay = overlay.copy(*overlayPart);
        }
        if (overlay.size() != result.size())
            fail(QStringLiteral("overlay '%1' is %2 x %3, the picture is %4 x %5")
                     .arg(path)
                     .arg(overlay.width())
                     .arg(overlay.height())
                     .arg(result.width())
                     .arg(result.height()));
        QPainter p(&result);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.drawImage(0, 0, overlay);
    }
    if (keepAlpha) {
        if (!result.save(out, "PNG")) fail(QStringLiteral("cannot write '%1'").arg(out));
    } else {
        saveOpaque(result, out);
    }
    return 0;
}

int mask(const Options& options) {
    const QImage in = loadImage(options.required(QStringLiteral("in")));
    QImage sheet(in.size(), QImage::Format_RGB32);
    QImage maskImage(in.size(), QImage::Format_RGB32);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < in.height(); ++y) {
        for (int x = 0; x < in.width(); ++x) {
            const QRgb px = in.pixel(x, y);  // straight (not premultiplied) alpha
            if (qAlpha(px) >= 128) {
                QRgb colour = qRgb(qRed(px), qGreen(px), qBlue(px));
                if (colour == white) colour = qRgb(254, 254, 254);
                sheet.setPixel(x, y, colour);
                maskImage.setPixel(x, y, black);
            } else {
                sheet.setPixel(x, y, white);
                maskImage.setPixel(x, y, white);
            }
        }
    }
    saveOpaque(sheet, options.required(QStringLiteral("sheet")));
    saveOpaque(maskImage, options.required(QStringLiteral("mask")));
    return 0;
}

int contact(const Options& options) {
    // Text needs a GUI application; no display is involved.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int appArgc = 1;
    static char appName[] = "assetpack";
    static char* appArgv[] = {appName, nullptr};
    QGuiApplication app(appArgc, appArgv);

    const QString out = options.required(QStringLiteral("out"));
    const int zoom = toInt(options.value(QStringLiteral("zoom")).value_or(QStringLiteral("2")), "zoom");
    const int maxWidth = toInt(options.value(QStringLiteral("width")).value_or(QStringLiteral("1600")), "width");
    if (zoom < 1) fail(QStringLiteral("zoom must be at least 1"));

    struct Entry {
        QString label;
        QImage image;
        QRect place;  // where the enlarged picture goes
    };
    std::vector<Entry> entries;
    for (const QString& arg : options.bare) {
        const qsizetype eq = arg.indexOf(u'=');
        if (eq <= 0) fail(QStringLiteral("bad entry '%1' (want LABEL=PNG)").arg(arg));
        Entry e;
        e.label = arg.left(eq);
        e.image = loadImage(arg.mid(eq + 1));
        e.label += QStringLiteral("  %1x%2").arg(e.image.width()).arg(e.image.height());
        entries.push_back(std::move(e));
    }

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13);
    const QFontMetrics metrics(font);
    const int gap = 16;
    const int labelHeight = metrics.height() + 4;
    const int titleHeight = 32;

    // Flow layout: left to right, wrapping at maxWidth.
    int x = gap;
    int y = titleHeight;
    int rowHeight = 0;
    int sheetWidth = 0;
    for (Entry& e : entries) {
        const int w = e.image.width() * zoom;
        const int h = e.image.height() * zoom;
        const int cellWidth = std::max(w, metrics.horizontalAdvance(e.label));
        if (x > gap && x + cellWidth + gap > maxWidth) {
            x = gap;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        e.place = QRect(x, y + labelHeight, w, h);
        x += cellWidth + gap;
        rowHeight = std::max(rowHeight, labelHeight + h);
        sheetWidth = std::max(sheetWidth, x);
    }
    const int sheetHeight = y + rowHeight + gap;

    QImage sheet(std::max(sheetWidth, 320), sheetHeight, QImage::Format_RGB32);
    sheet.fill(QColor(0x9a, 0x9a, 0xa0));
    QPainter p(&sheet);
    p.setFont(font);
    p.setPen(QColor(0x10, 0x10, 0x18));
    QFont title = font;
    title.setPixelSize(16);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(gap, 0, sheet.width() - 2 * gap, titleHeight), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Tessuri pictures at 1x, shown %1x (nearest neighbour)").arg(zoom));
    p.setFont(font);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (const Entry& e : entries) {
        p.drawText(QRect(e.place.x(), e.place.y() - labelHeight, sheet.width(), labelHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, e.label);
        p.drawImage(e.place, e.image.scaled(e.place.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
        p.setPen(QColor(0x30, 0x30, 0x38));
        p.drawRect(e.place.adjusted(-1, -1, 0, 0));
        p.setPen(QColor(0x10, 0x10, 0x18));
    }
    p.end();
    saveOpaque(sheet, out);
    return 0;
}

void usage() {
    std::fprintf(stderr,
                 "usage: assetpack compose --out OUT --base BASE [--scale S] [--crop X,Y,W,H]\n"
                 "                         [--tile N] [--extend K] [--overlay-rect X,Y,W,H]\n"
                 "                         [--alpha keep] [--overlay PNG]...\n"
                 "       assetpack mask --in PNG --sheet OUT --mask OUT\n"
                 "       assetpack contact --out OUT [--zoom Z] [--width W] LABEL=PNG...\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage();
        return 2;
    }
    const std::string command = argv[1];
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const Options options = parseOptions(args);

    if (command == "compose") return compose(options);
    if (command == "mask") return mask(options);
    if (command == "contact") return contact(options);
    usage();
    return 2;
}
