// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the companion library's artwork into art/: the start-up picture, the
// two wizard pictures and the animated logo. Drawn with QPainter, reduced to
// 256 colors and written by the engine, so that the files are exactly what
// the program's own readers take. Run offscreen:
//   QT_QPA_PLATFORM=offscreen reellib-artwork resources/reellib/art
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <numbers>
#include <string>

#include "color/BitmapReduction.h"
#include "color/ColorReduction.h"
#include "editing/LoopCount.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/BmpCodec.h"
#include "platform/Stream.h"

namespace {

using fl::TBitmap;

const QColor ink(0x1b, 0x22, 0x4a);
const QColor accent(0xf2, 0x8c, 0x28);
const QColor paper(0xf6, 0xf3, 0xea);

TBitmap FromImage(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    TBitmap bitmap(image.width(), image.height(), fl::TPixelFormat::pf32bit);
    // Format_RGB32 rows are blue, green, red, 0xff: the engine's 32-bit layout.
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(bitmap.ScanLine(y), image.constScanLine(y), static_cast<size_t>(image.width()) * 4);
    return bitmap;
}

void WriteBitmap(const QImage& image, const std::string& path)
{
    TBitmap bitmap = FromImage(image);
    auto reduced = fl::ReduceBitmapColors(bitmap, fl::reduceQuantize, 0, 8, nullptr);
    fl::TMemoryStream stream;
    fl::WriteBMP(*reduced, stream, fl::TBMPLayout::File);
    stream.SaveToFile(path);
}

QFont Font(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A strip of film with sprocket holes, its frames filled by drawFrame.
template <typename DrawFrame>
void FilmStrip(QPainter& painter, QRectF strip, int frames, bool horizontal, DrawFrame drawFrame)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x10, 0x10, 0x18));
    painter.drawRect(strip);
    const double along = horizontal ? strip.width() : strip.height();
    const double across = horizontal ? strip.height() : strip.width();
    const double margin = across * 0.16;
    painter.setBrush(paper);
    for (double p = 6; p + 6 < along; p += 14) {
        const QRectF a = horizontal ? QRectF(strip.left() + p, strip.top() + margin * 0.3, 7, margin * 0.45)
                                    : QRectF(strip.left() + margin * 0.3, strip.top() + p, margin * 0.45, 7);
        const QRectF b = horizontal ? a.translated(0, across - margin * 0.3 * 2 - margin * 0.45)
                                    : a.translated(across - margin * 0.3 * 2 - margin * 0.45, 0);
        painter.drawRoundedRect(a, 1.5, 1.5);
        painter.drawRoundedRect(b, 1.5, 1.5);
    }
    const double step = along / frames;
    for (int i = 0; i < frames; ++i) {
        const QRectF frame =
            horizontal
                ? QRectF(strip.left() + i * step + 3, strip.top() + margin, step - 6, across - 2 * margin)
                : QRectF(strip.left() + margin, strip.top() + i * step + 3, across - 2 * margin, step - 6);
        painter.save();
        painter.setClipRect(frame);
        painter.fillRect(frame, paper);
        drawFrame(painter, frame, i);
        painter.restore();
    }
}

// A ball at the height of a bounce, phase 0..1 over one bounce.
void Ball(QPainter& painter, const QRectF& frame, double phase, const QColor& color)
{
    const double radius = std::min(frame.width(), frame.height()) * 0.16;
    const double ground = frame.bottom() - radius - 3;
    const double top = frame.top() + radius + 3;
    const double y = ground - (ground - top) * 4 * phase * (1 - phase);
    const double x = frame.left() + radius + 3 + (frame.width() - 2 * radius - 6) * phase;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(QPointF(x, frame.bottom() - 3), radius, radius * 0.3);
    QRadialGradient shade(QPointF(x - radius * 0.4, y - radius * 0.4), radius * 1.6);
    shade.setColorAt(0, color.lighter(150));
    shade.setColorAt(1, color.darker(130));
    painter.setBrush(shade);
    painter.drawEllipse(QPointF(x, y), radius, radius);
}

QImage Splash()
{
    QImage image(420, 260, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 260);
    sky.setColorAt(0, QColor(0x24, 0x2f, 0x6b));
    sky.setColorAt(1, ink);
    painter.fillRect(image.rect(), sky);

    FilmStrip(painter, QRectF(0, 28, 420, 86), 5, true,
              [](QPainter& p, const QRectF& frame, int i) { Ball(p, frame, 0.1 + 0.2 * i, accent); });

    painter.setPen(Qt::white);
    painter.setFont(Font(50, true));
    painter.drawText(QRectF(24, 130, 372, 64), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Frameloom"));
    painter.setPen(accent);
    painter.setFont(Font(30, true));
    painter.drawText(QRectF(24, 130, 372, 64), Qt::AlignRight | Qt::AlignBottom, QStringLiteral("4.0"));
    painter.setPen(QColor(0xc8, 0xcc, 0xe6));
    painter.setFont(Font(15, false));
    painter.drawText(QRectF(26, 196, 372, 22), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Animated GIF editor"));
    painter.setFont(Font(12, false));
    painter.drawText(QRectF(26, 226, 372, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillmark"));
    painter.setPen(QPen(accent, 3));
    painter.drawLine(QPointF(26, 220), QPointF(190, 220));
    return image;
}

QImage WizardPicture(const QColor& top, const QColor& bottom, const QString& title, bool optimize)
{
    QImage image(160, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(0, 0, 0, 300);
    shade.setColorAt(0, top);
    shade.setColorAt(1, bottom);
    painter.fillRect(image.rect(), shade);

    if (optimize) {
        // Frames shrinking to what changes: the optimizer's work.
        FilmStrip(painter, QRectF(28, 14, 104, 216), 4, false, [](QPainter& p, const QRectF& frame, int i) {
            const double scale = 1.0 - 0.22 * i;
            const QRectF block(frame.center().x() - frame.width() * 0.4 * scale,
                               frame.center().y() - frame.height() * 0.35 * scale,
                               frame.width() * 0.8 * scale, frame.height() * 0.7 * scale);
            p.setPen(Qt::NoPen);
            p.setBrush(i % 2 ? QColor(0x3c, 0x9d, 0x6b) : accent);
            p.drawRoundedRect(block, 4, 4);
        });
    } else {
        FilmStrip(painter, QRectF(28, 14, 104, 216), 4, false,
                  [](QPainter& p, const QRectF& frame, int i) { Ball(p, frame, 0.15 + 0.23 * i, accent); });
    }
    painter.setPen(Qt::white);
    painter.setFont(Font(17, true));
    painter.drawText(QRectF(0, 236, 160, 30), Qt::AlignCenter, title);
    painter.setFont(Font(12, false));
    painter.drawText(QRectF(0, 264, 160, 22), Qt::AlignCenter, QStringLiteral("Wizard"));
    return image;
}

// One frame of the logo: a film reel turned by angle degrees beside the name.
QImage LogoFrame(double angle, double phase)
{
    QImage image(200, 120, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(52, 52);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawEllipse(centre, 40, 40);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 7, 7);
    for (int hole = 0; hole < 5; ++hole) {
        const double a = (angle + hole * 72.0) * std::numbers::pi / 180.0;
        painter.drawEllipse(centre + QPointF(std::cos(a) * 24, std::sin(a) * 24), 10, 10);
    }
    // The film leaving the reel, its frames moving along with the turn.
    const QRectF film(52, 88, 148, 24);
    painter.setBrush(QColor(0x10, 0x10, 0x18));
    painter.drawRect(film);
    painter.save();
    painter.setClipRect(film);
    painter.setBrush(Qt::white);
    const double shift = phase * 20;
    for (double x = film.left() - 20 + shift; x < film.right(); x += 20) {
        painter.drawRect(QRectF(x + 3, film.top() + 2, 6, 3));
        painter.drawRect(QRectF(x + 3, film.bottom() - 5, 6, 3));
        painter.setBrush(accent);
        painter.drawRect(QRectF(x + 2, film.top() + 7, 16, 10));
        painter.setBrush(Qt::white);
    }
    painter.restore();
    painter.setPen(ink);
    painter.setFont(Font(21, true));
    painter.drawText(QRectF(92, 22, 108, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Frame"));
    painter.setPen(accent);
    painter.drawText(QRectF(92, 48, 108, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("loom"));
    return image;
}

void WriteLogo(const std::string& path)
{
    constexpr int frames = 12;
    fl::TGIFImage animation;
    animation.ReductionMethod = fl::reduceQuantize;
    for (int i = 0; i < frames; ++i) {
        // Five holes repeat every 72 degrees, so twelve steps of six close the loop.
        TBitmap bitmap = FromImage(LogoFrame(i * 6.0, static_cast<double>(i) / frames));
        const int index = animation.AddFrame(bitmap);
        fl::TGIFSubImage& frame = *animation.Frames[index];
        auto control = std::make_unique<fl::TGIFGraphicControlExtension>(frame);
        control->Delay = 8;
        frame.Extensions.Append(std::move(control));
    }
    fl::AddLoopExtension(animation, 0, 0);
    animation.Optimize(fl::optimizeAll);
    fl::TMemoryStream stream;
    animation.SaveToStream(stream);
    stream.SaveToFile(path);
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: reellib-artwork <output folder>\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    try {
        WriteBitmap(Splash(), folder + "Splash.bmp");
        WriteBitmap(WizardPicture(QColor(0x2a, 0x5d, 0x8f), ink, QStringLiteral("Animation"), false),
                    folder + "AniWiz.bmp");
        WriteBitmap(WizardPicture(QColor(0x2f, 0x7a, 0x5a), ink, QStringLiteral("Optimization"), true),
                    folder + "OptWiz.bmp");
        WriteLogo(folder + "Animated.gif");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "reellib-artwork: %s\n", error.what());
        return 1;
    }
    return 0;
}
