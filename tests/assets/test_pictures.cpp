// Checks the built-in pictures: sizes at 1x and 2x, the sheet/mask colour
// rules the transparent blits depend on, and that every picture cut from the
// clock face lines up with the face underneath it.

#include "tessuri/assets.h"
#include "window/Outlines.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QPolygon>
#include <QRegion>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTransform>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr QRgb kWhite = 0xffffffff;
constexpr QRgb kBlack = 0xff000000;

QImage load(const std::string& name, int scale) {
    QImage image(tessuri::assets::picturePath(QString::fromStdString(name), scale == 2));
    return image.convertToFormat(QImage::Format_RGB32);
}

bool hasPicture(const QString& name) { return QFileInfo::exists(tessuri::assets::picturePath(name)); }

// Names of all 1x pictures in the resource.
QStringList resourceNames() {
    tessuri::assets::init();
    QStringList names;
    QDirIterator it(QStringLiteral(":/pictures"));
    while (it.hasNext()) {
        const QString base = QFileInfo(it.next()).completeBaseName();
        if (!base.endsWith(QStringLiteral("@2x"))) names << base;
    }
    names.sort();
    return names;
}

// One of the program's window outlines, as Qt's polygon.
QPolygon polygonOf(const std::vector<platform::Point>& outline) {
    QPolygon polygon;
    for (const platform::Point& p : outline) polygon << QPoint(p.x, p.y);
    return polygon;
}

std::string testName(std::string name) {
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

// ---------------------------------------------------------------- sizes

struct Sized {
    std::string name;
    int width;
    int height;
    bool opaque = true;  // blitted pictures are 24-bit; icons keep transparent corners
};

std::vector<Sized> sizedPictures() {
    std::vector<Sized> list = {
        {"face", 230, 170},         {"hour_tens", 40, 26},    {"hour_units", 200, 26},   {"min_tens", 120, 26},
        {"min_units", 200, 26},     {"colon_on", 12, 26},     {"colon_off", 12, 26},     {"ampm_am", 31, 26},
        {"ampm_pm", 31, 26},        {"close_normal", 52, 52}, {"close_pressed", 52, 52}, {"sign_idle", 22, 22},
        {"sign_countdown", 22, 22}, {"sign_alarm", 22, 22},   {"callout_bg0", 208, 224}, {"callout_bg1", 208, 224},
        {"pokku", 86, 46},          {"pokku_mask", 86, 46},   {"icon", 256, 256, false}, {"icon64", 64, 64, false},
    };
    // Character pictures are optional, but when present they have fixed sizes.
    for (const QString& name : resourceNames()) {
        if (name.startsWith(QStringLiteral("char")))
            list.push_back({name.toStdString(), 360, 100});
        else if (name.startsWith(QStringLiteral("talk")))
            list.push_back({name.toStdString(), 240, 120});
    }
    return list;
}

void PrintTo(const Sized& p, std::ostream* os) { *os << p.name << " " << p.width << "x" << p.height; }

class PictureSize : public testing::TestWithParam<Sized> {};

TEST_P(PictureSize, ExistsAtOneAndTwiceTheSize) {
    const Sized& p = GetParam();
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        QImage image(tessuri::assets::picturePath(QString::fromStdString(p.name), scale == 2));
        ASSERT_FALSE(image.isNull()) << p.name << " is missing";
        EXPECT_EQ(image.width(), p.width * scale);
        EXPECT_EQ(image.height(), p.height * scale);
        if (p.opaque) {
            EXPECT_FALSE(image.hasAlphaChannel()) << "pictures are opaque 24-bit colour";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(All, PictureSize, testing::ValuesIn(sizedPictures()),
                         [](const auto& info) { return testName(info.param.name); });

// ---------------------------------------------------------------- sheets and masks

std::vector<std::string> maskedPictures() {
    std::vector<std::string> list;
    for (const QString& name : resourceNames())
        if (name.endsWith(QStringLiteral("_mask"))) list.push_back(name.chopped(5).toStdString());
    return list;
}

class SheetAndMask : public testing::TestWithParam<std::string> {};

TEST_P(SheetAndMask, FollowTheBlitColourRules) {
    const std::string& name = GetParam();
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const QImage sheet = load(name, scale);
        const QImage mask = load(name + "_mask", scale);
        ASSERT_FALSE(sheet.isNull());
        ASSERT_EQ(sheet.size(), mask.size());
        int figure = 0;
        int wrong = 0;
        for (int y = 0; y < mask.height(); ++y) {
            for (int x = 0; x < mask.width(); ++x) {
                const QRgb m = mask.pixel(x, y);
                const QRgb s = sheet.pixel(x, y);
                if (m == kBlack) {
                    ++figure;
                    wrong += s == kWhite;  // would be taken for background
                } else {
                    wrong += m != kWhite;  // masks are two-coloured
                    wrong += s != kWhite;  // background must be pure white
                }
            }
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(figure, mask.width() * mask.height() / 20) << "the figure is (nearly) empty";
        EXPECT_LT(figure, mask.width() * mask.height()) << "the figure has no background";
    }
}

INSTANTIATE_TEST_SUITE_P(All, SheetAndMask, testing::ValuesIn(maskedPictures()),
                         [](const auto& info) { return testName(info.param); });

TEST(SheetAndMask, MascotIsAmongThem) {
    EXPECT_TRUE(hasPicture(QStringLiteral("pokku")));
    EXPECT_TRUE(hasPicture(QStringLiteral("pokku_mask")));
}

// ---------------------------------------------------------------- cut from the face

struct FaceCut {
    std::string name;
    QRect place;       // on the face, 1x
    int cells;         // the picture repeats this place side by side
    int extraColumns;  // the last column repeated this often
    bool plain;        // nothing drawn over the face
};

const std::vector<FaceCut> kFaceCuts = {
    {"hour_tens", {67, 12, 20, 26}, 2, 0, false},     {"hour_units", {87, 12, 20, 26}, 10, 0, false},
    {"min_tens", {119, 12, 20, 26}, 6, 0, false},     {"min_units", {139, 12, 20, 26}, 10, 0, false},
    {"colon_on", {107, 12, 12, 26}, 1, 0, false},     {"colon_off", {107, 12, 12, 26}, 1, 0, true},
    {"ampm_am", {36, 12, 31, 26}, 1, 0, false},       {"ampm_pm", {36, 12, 31, 26}, 1, 0, false},
    {"sign_idle", {14, 12, 22, 22}, 1, 0, false},     {"sign_countdown", {14, 12, 22, 22}, 1, 0, false},
    {"sign_alarm", {14, 12, 22, 22}, 1, 0, false},    {"close_normal", {179, 0, 51, 52}, 1, 1, true},
    {"close_pressed", {179, 0, 51, 52}, 1, 1, false},
};

void PrintTo(const FaceCut& c, std::ostream* os) { *os << c.name; }

class CutFromFace : public testing::TestWithParam<FaceCut> {};

TEST_P(CutFromFace, AgreesWithTheFaceBehindIt) {
    const FaceCut& c = GetParam();
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const QImage face = load("face", scale);
        const QImage pic = load(c.name, scale);
        ASSERT_FALSE(face.isNull());
        ASSERT_FALSE(pic.isNull());
        const QRect place(c.place.topLeft() * scale, c.place.size() * scale);
        ASSERT_EQ(pic.width(), place.width() * c.cells + c.extraColumns * scale);

        std::vector<QImage> cells;
        for (int cell = 0; cell < c.cells; ++cell) {
            SCOPED_TRACE(cell);
            int same = 0;
            for (int y = 0; y < place.height(); ++y)
                for (int x = 0; x < place.width(); ++x)
                    same += pic.pixel(cell * place.width() + x, y) == face.pixel(place.x() + x, place.y() + y);
            const int total = place.width() * place.height();
            if (c.plain) {
                EXPECT_EQ(same, total) << "should be exactly the face";
            } else {
                // The mark covers part of the place; the rest is the face.
                EXPECT_LT(same, total) << "nothing drawn over the face";
                EXPECT_GT(same, total / 2) << "the background is not the face at this place";
            }
            cells.push_back(pic.copy(cell * place.width(), 0, place.width(), place.height()));
        }
        // Digits of one strip must differ from one another.
        for (size_t i = 0; i < cells.size(); ++i)
            for (size_t j = i + 1; j < cells.size(); ++j)
                EXPECT_NE(cells[i], cells[j]) << "cells " << i << " and " << j << " are the same";

        for (int e = 0; e < c.extraColumns * scale; ++e)
            for (int y = 0; y < pic.height(); ++y)
                ASSERT_EQ(pic.pixel(place.width() + e, y), pic.pixel(place.width() - 1, y));
    }
}

INSTANTIATE_TEST_SUITE_P(All, CutFromFace, testing::ValuesIn(kFaceCuts),
                         [](const auto& info) { return testName(info.param.name); });

// The pressed CLOSE corner only changes the button's own triangle; the rest
// of the square is the window's surface and has to match the face.
TEST(CutFromFace, PressedCloseChangesOnlyItsTriangle) {
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const QImage normal = load("close_normal", scale);
        const QImage pressed = load("close_pressed", scale);
        const QRegion button =
            QRegion(polygonOf(outlines::CloseButton()), Qt::OddEvenFill).intersected(QRect(0, 0, 52, 52));
        int changedInside = 0;
        int changedOutside = 0;
        for (int y = 0; y < pressed.height(); ++y) {
            for (int x = 0; x < pressed.width(); ++x) {
                const bool changed = normal.pixel(x, y) != pressed.pixel(x, y);
                if (button.contains(QPoint(x / scale, y / scale)))
                    changedInside += changed;
                else
                    changedOutside += changed;
            }
        }
        EXPECT_GT(changedInside, 100 * scale * scale);
        EXPECT_EQ(changedOutside, 0);
    }
}

// ---------------------------------------------------------------- scenes

TEST(Face, StageIsAScene) {
    const QImage face = load("face", 1);
    QSet<QRgb> colours;
    for (int y = 59; y < 159; ++y)
        for (int x = 9; x < 221; ++x) colours.insert(face.pixel(x, y));
    EXPECT_GE(colours.size(), 12);
}

// The call-out window is cut to the frame's outline; what lies outside it is
// one plain colour, so no stray detail shows along the cut.
TEST(CallOut, OutsideTheFrameIsPlain) {
    const QRegion shape(polygonOf(outlines::CallOutWindow()), Qt::OddEvenFill);
    for (const char* name : {"callout_bg0", "callout_bg1"}) {
        SCOPED_TRACE(name);
        const QImage bg = load(name, 1);
        const QRgb plain = bg.pixel(0, 0);  // a cut-away corner
        QStringList stray;
        for (int y = 0; y < bg.height(); ++y)
            for (int x = 0; x < bg.width(); ++x)
                if (!shape.contains(QPoint(x, y)) && bg.pixel(x, y) != plain)
                    stray << QStringLiteral("(%1,%2)").arg(x).arg(y);
        EXPECT_TRUE(stray.isEmpty()) << stray.size() << " pixels: " << stray.mid(0, 12).join(u' ').toStdString();
    }
    EXPECT_NE(load("callout_bg0", 1), load("callout_bg1", 1));
}

}  // namespace
