// SPDX-License-Identifier: GPL-3.0-or-later
// The real program on a virtual X display: started with an animation, it
// takes a picture of the screen, which must show the main window and the
// animation's first frame.
#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstring>

#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

namespace fl {

namespace {

constexpr int ScreenWidth = 1024;
constexpr int ScreenHeight = 768;

// The first frame as the program draws it, 0x00RRGGBB per pixel.
QImage FirstFrame(const QString& path)
{
    TGIFImage animation;
    animation.LoadFromFile(path.toStdString());
    TBitmap* rendering = animation.Frames[0]->RenderBitmap();
    TBitmap pixels(rendering->Width(), rendering->Height(), TPixelFormat::pf32bit);
    TCanvas canvas(pixels);
    canvas.Draw(0, 0, *rendering);
    QImage image(pixels.Width(), pixels.Height(), QImage::Format_RGB32);
    for (int y = 0; y < pixels.Height(); ++y)
        std::memcpy(image.scanLine(y), pixels.ScanLine(y), size_t(pixels.Width()) * 4);
    return image;
}

// A 16x16 piece near the top-left corner busy enough (many colors) that it
// cannot occur anywhere else on the screen by chance. It keeps off the
// frame's edges, where the view draws its dotted outline.
QImage DistinctPatch(const QImage& frame)
{
    for (int top = 8; top + 16 <= std::min(frame.height() - 8, 128); top += 8)
        for (int left = 8; left + 16 <= std::min(frame.width() - 8, 128); left += 8) {
            const QImage patch = frame.copy(left, top, 16, 16);
            QSet<QRgb> colors;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    colors.insert(patch.pixel(x, y));
            if (colors.size() >= 24)
                return patch;
        }
    return {};
}

// Whether the patch occurs anywhere in the picture, pixel for pixel.
bool Contains(const QImage& picture, const QImage& patch)
{
    const QRgb first = patch.pixel(0, 0) | 0xFF000000;
    for (int y = 0; y + patch.height() <= picture.height(); ++y)
        for (int x = 0; x + patch.width() <= picture.width(); ++x) {
            if ((picture.pixel(x, y) | 0xFF000000) != first)
                continue;
            bool same = true;
            for (int py = 0; py < patch.height() && same; ++py)
                for (int px = 0; px < patch.width() && same; ++px)
                    same = (picture.pixel(x + px, y + py) | 0xFF000000) == (patch.pixel(px, py) | 0xFF000000);
            if (same)
                return true;
        }
    return false;
}

} // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void programShowsItsWindowAndTheDocument()
    {
        const QString xvfb = QStandardPaths::findExecutable("xvfb-run");
        if (xvfb.isEmpty())
            QSKIP("xvfb-run is not installed, so the program was not started");
        const QString program = QCoreApplication::applicationDirPath() + "/frameloom";
        QVERIFY2(QFile::exists(program), qPrintable("no program at " + program));
        const QString animation = QStringLiteral(FL_SHARED_DIR) + "/corpus/still/hibiscus.regular.gif";

        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString shot = scratch.filePath("screen.png");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // A real display, and settings of its own rather than the user's.
        environment.remove("QT_QPA_PLATFORM");
        environment.insert("XDG_CONFIG_HOME", scratch.filePath("config"));
        QProcess run;
        run.setProcessEnvironment(environment);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(xvfb, {"-a", "-s", QString("-screen 0 %1x%2x24").arg(ScreenWidth).arg(ScreenHeight), program,
                         "--screenshot", shot, animation});
        QVERIFY(run.waitForStarted());
        const bool finished = run.waitForFinished(120000);
        if (!finished)
            run.kill();
        QVERIFY2(finished, "the program did not end");
        QVERIFY2(run.exitCode() == 0, run.readAll().constData());

        const QImage screen(shot);
        QVERIFY2(!screen.isNull(), "no screenshot written");
        QCOMPARE(screen.size(), QSize(ScreenWidth, ScreenHeight));

        // The bare X screen is black: a maximized main window covers it.
        int black = 0;
        for (int y = 0; y < screen.height(); y += 4)
            for (int x = 0; x < screen.width(); x += 4)
                black += (screen.pixel(x, y) & 0xFFFFFF) == 0;
        QVERIFY2(black < (screen.width() / 4) * (screen.height() / 4) / 10, "the main window is not drawn");

        // The document window shows the first frame unscaled, from its
        // top-left corner at least.
        const QImage patch = DistinctPatch(FirstFrame(animation));
        QVERIFY(!patch.isNull());
        QVERIFY2(Contains(screen, patch), "the animation's frame is not on the screen");
    }
};

} // namespace fl

QTEST_GUILESS_MAIN(fl::ScreenshotTest)
#include "ScreenshotTest.moc"
