// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt implementations of the platform services, the companion library
// built beside the program, and the start-up window.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>

#ifndef _WIN32
#include <dlfcn.h>
#endif
#include <string>
#include <vector>

#include "app/BitmapImage.h"
#include "app/QtClipboard.h"
#include "app/QtFileDialogService.h"
#include "app/QtMessageService.h"
#include "app/QtShellService.h"
#include "app/SplashScreen.h"
#include "editing/LibraryResources.h"
#include "editing/LoopCount.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/Stream.h"
#include "windows/ModalSupport.h"

using namespace fl;
using fl::test::OnModal;

namespace {

std::string CompanionLibraryPath()
{
    return (QCoreApplication::applicationDirPath() + QLatin1Char('/')).toStdString() +
           CompanionLibraryFileName();
}

// The box's push buttons from left to right, as the user sees them.
std::vector<QAbstractButton*> ButtonsInOrder(QMessageBox& box)
{
    std::vector<QAbstractButton*> buttons;
    for (QAbstractButton* button : box.findChildren<QDialogButtonBox*>().value(0)->buttons())
        buttons.push_back(button);
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    return buttons;
}

QStringList Captions(const std::vector<QAbstractButton*>& buttons)
{
    QStringList captions;
    for (QAbstractButton* button : buttons)
        captions.append(button->text());
    return captions;
}

TMessageRequest Request(TMsgDlgType kind, std::vector<TMessageButton> buttons, std::string checkBox = {})
{
    TMessageRequest request;
    request.Kind = kind;
    request.Text = "Some <b>text</b> & more";
    request.Buttons = std::move(buttons);
    request.CheckBoxCaption = std::move(checkBox);
    return request;
}

// A dialog service whose preparing hook accepts or cancels the dialog with
// what the test chooses, and records how the dialog was set up.
class TDrivenFileDialogService final : public TQtFileDialogService {
public:
    std::function<void(QFileDialog&)> drive;
    bool prepared = false;
    bool nonNative = false;
    QStringList nameFilters;
    QString defaultSuffix;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QString directory;

protected:
    void PrepareDialog(QFileDialog& dialog, const TFileDialogRequest&) override
    {
        prepared = true;
        nonNative = dialog.testOption(QFileDialog::DontUseNativeDialog);
        nameFilters = dialog.nameFilters();
        defaultSuffix = dialog.defaultSuffix();
        fileMode = dialog.fileMode();
        acceptMode = dialog.acceptMode();
        directory = dialog.directory().absolutePath();
        QFileDialog* target = &dialog;
        QTimer::singleShot(0, target, [this, target]() { drive(*target); });
    }
};

} // namespace

class ServicesTest : public QObject {
    Q_OBJECT

private slots:
    void companionLibraryHoldsTheArtwork();
    void companionLibraryRefusesUnknownResources();
    void bitmapsOfEveryFormatBecomeImages();
    void clipboardCarriesBitmapsAndOwnFormats();
    void messageBoxShowsButtonsInOrderAndAnswersTheClick();
    void messageBoxReportsTheCheckBox();
    void messageBoxEscapeAnswersCancel();
    void messageBoxKindsAndTitle();
    void busyCursorNests();
    void fileFiltersConvert();
    void fileDialogOpensAndSaves();
    void shellTargetsBecomeUrls();
    void splashShowsThePictureAndStartCloses();
    void splashWithoutLibraryReportsIt();
};

void ServicesTest::companionLibraryHoldsTheArtwork()
{
    const std::string path = CompanionLibraryPath();
    QVERIFY2(QFile::exists(QString::fromStdString(path)), path.c_str());
    TScriptedMessageService messages;

    struct Expected {
        const char* name;
        int width;
        int height;
    };
    for (const Expected& expected :
         {Expected{"SPLASH", 420, 260}, Expected{"ANI_WIZ", 160, 300}, Expected{"OPT_WIZ", 160, 300}}) {
        TBitmap bitmap;
        QVERIFY2(LoadLibraryBitmap(messages, path, expected.name, bitmap), expected.name);
        QCOMPARE(bitmap.Width(), expected.width);
        QCOMPARE(bitmap.Height(), expected.height);
        // Real artwork, not a blank: more than a handful of colors.
        const QImage image = ToQImage(bitmap);
        QSet<QRgb> colors;
        for (int y = 0; y < image.height(); y += 5)
            for (int x = 0; x < image.width(); x += 5)
                colors.insert(image.pixel(x, y));
        QVERIFY2(colors.size() > 16, expected.name);
    }

    TGIFImage logo;
    QVERIFY(LoadLibraryAnimation(messages, path, "ANIMATED", "GIF", logo));
    QVERIFY(logo.Frames.Count() >= 8);
    QVERIFY(logo.Frames.Count() <= 20);
    QCOMPARE(logo.Width(), 200);
    QCOMPARE(logo.Height(), 120);
    QCOMPARE(GetLoopCount(logo), 0);
    QVERIFY(messages.Requests().empty());

#ifndef _WIN32
    // Each load releases the library again at once.
    QCOMPARE(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
#endif

    // Names and types are found in any case, as resource names are.
    std::vector<uint8_t> bytes;
    QVERIFY(ReadLibraryResource(path, "splash", "Bitmap", bytes));
    QCOMPARE(bytes.at(0), uint8_t('B'));
    QCOMPARE(bytes.at(1), uint8_t('M'));
}

void ServicesTest::companionLibraryRefusesUnknownResources()
{
    const std::string path = CompanionLibraryPath();
    std::vector<uint8_t> bytes;
    QVERIFY(!ReadLibraryResource(path, "NOPE", "BITMAP", bytes));
    QVERIFY(bytes.empty());
    // The right name under another type is another resource.
    QVERIFY(!ReadLibraryResource(path, "SPLASH", "GIF", bytes));

    // A library without the resource is reported like a missing one.
    TScriptedMessageService messages;
    TBitmap bitmap(2, 2, TPixelFormat::pf24bit);
    QVERIFY(!LoadLibraryBitmap(messages, path, "NOPE", bitmap));
    QVERIFY(bitmap.Empty());
    // GIF bytes asked for as a bitmap are damaged bytes to the reader.
    TGIFImage animation;
    QVERIFY(!LoadLibraryAnimation(messages, path, "SPLASH", "BITMAP", animation));
    QVERIFY(animation.IsEmpty());
    QCOMPARE(messages.Requests().size(), size_t(2));
    QCOMPARE(messages.Requests()[1].Text, "Could not load " + CompanionLibraryFileName() + " library file.");
}

void ServicesTest::bitmapsOfEveryFormatBecomeImages()
{
    TBitmap source(7, 3, TPixelFormat::pf24bit);
    // Eight colors that every format down to 4 bits keeps exactly.
    const uint32_t colors[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00,
                               0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF};
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x) {
            const uint32_t color = colors[(x + 3 * y) % 8];
            uint8_t* pixel = source.ScanLine(y) + 3 * x;
            pixel[0] = uint8_t(color);
            pixel[1] = uint8_t(color >> 8);
            pixel[2] = uint8_t(color >> 16);
        }
    for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf32bit, TPixelFormat::pfDevice,
                                TPixelFormat::pf16bit, TPixelFormat::pf15bit}) {
        TBitmap bitmap(source);
        bitmap.SetPixelFormat(format);
        const QImage image = ToQImage(bitmap);
        QCOMPARE(image.size(), QSize(7, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x) {
                QCOMPARE(image.pixel(x, y), 0xFF000000u | bitmap.PixelColor(x, y));
                QCOMPARE(bitmap.PixelColor(x, y), colors[(x + 3 * y) % 8]);
            }
    }

    // Indexed pixels go through the palette; an index past its end is black.
    TBitmap indexed(3, 1, TPixelFormat::pf8bit);
    auto palette = std::make_shared<TPalette>();
    palette->Entries.push_back({0x10, 0x20, 0x30, 0});
    palette->Entries.push_back({0xF0, 0x80, 0x08, 0});
    indexed.SetPalette(palette);
    indexed.ScanLine(0)[0] = 1;
    indexed.ScanLine(0)[1] = 0;
    indexed.ScanLine(0)[2] = 200;
    const QImage image = ToQImage(indexed);
    QCOMPARE(image.pixel(0, 0), qRgb(0xF0, 0x80, 0x08));
    QCOMPARE(image.pixel(1, 0), qRgb(0x10, 0x20, 0x30));
    QCOMPARE(image.pixel(2, 0), qRgb(0, 0, 0));

    QVERIFY(ToQImage(TBitmap()).isNull());
}

void ServicesTest::messageBoxShowsButtonsInOrderAndAnswersTheClick()
{
    TQtMessageService service;
    QStringList shown;
    QString defaultCaption;
    OnModal([&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        const auto buttons = ButtonsInOrder(box);
        shown = Captions(buttons);
        defaultCaption = box.defaultButton() ? box.defaultButton()->text() : QString();
        buttons.at(1)->click();
    });
    const TMessageAnswer answer = service.Ask(Request(
        TMsgDlgType::mtConfirmation,
        {{TMsgDlgBtn::mbYes, "&Include"}, {TMsgDlgBtn::mbNo, "&Start New"}, {TMsgDlgBtn::mbCancel, {}}}));
    QCOMPARE(shown, QStringList({"&Include", "&Start New", "Cancel"}));
    QCOMPARE(defaultCaption, QString("&Include"));
    QCOMPARE(answer.ModalResult, mrNo);
    QVERIFY(!answer.Checked);

    OnModal([&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        const auto buttons = ButtonsInOrder(box);
        shown = Captions(buttons);
        buttons.at(2)->click();
    });
    const int result = ShowMessageBox(service, TMsgDlgType::mtWarning, "Warned",
                                      {TMsgDlgBtn::mbAbort, TMsgDlgBtn::mbIgnore, TMsgDlgBtn::mbAll});
    QCOMPARE(shown, QStringList({"&Abort", "&Ignore", "&All"}));
    QCOMPARE(result, mrAll);
}

void ServicesTest::messageBoxReportsTheCheckBox()
{
    TQtMessageService service;
    QString caption;
    bool startedUnticked = false;
    OnModal([&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        QVERIFY(box.checkBox());
        caption = box.checkBox()->text();
        startedUnticked = !box.checkBox()->isChecked();
        box.checkBox()->setChecked(true);
        ButtonsInOrder(box).at(0)->click();
    });
    TMessageAnswer answer = service.Ask(
        Request(TMsgDlgType::mtInformation, {{TMsgDlgBtn::mbOK, {}}}, "&Don't show this message again"));
    QCOMPARE(caption, QString("&Don't show this message again"));
    QVERIFY(startedUnticked);
    QCOMPARE(answer.ModalResult, mrOk);
    QVERIFY(answer.Checked);

    // Without a caption there is no check box.
    bool hadCheckBox = true;
    OnModal([&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        hadCheckBox = box.checkBox() != nullptr;
        ButtonsInOrder(box).at(0)->click();
    });
    answer = service.Ask(Request(TMsgDlgType::mtInformation, {{TMsgDlgBtn::mbOK, {}}}));
    QVERIFY(!hadCheckBox);
    QVERIFY(!answer.Checked);
}

void ServicesTest::messageBoxEscapeAnswersCancel()
{
    TQtMessageService service;
    const std::vector<std::vector<TMessageButton>> boxes = {
        {{TMsgDlgBtn::mbOK, {}}},
        {{TMsgDlgBtn::mbYes, {}}, {TMsgDlgBtn::mbNo, {}}},
        {{TMsgDlgBtn::mbAbort, {}}, {TMsgDlgBtn::mbIgnore, {}}, {TMsgDlgBtn::mbAll, {}}},
        {{TMsgDlgBtn::mbYes, {}}, {TMsgDlgBtn::mbCancel, {}}},
    };
    for (const auto& buttons : boxes) {
        OnModal([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); });
        const TMessageAnswer answer = service.Ask(Request(TMsgDlgType::mtWarning, buttons, "Remember"));
        QCOMPARE(answer.ModalResult, mrCancel);
        QVERIFY(!answer.Checked);
    }

    // Closing the window is the same as Escape.
    OnModal([](QWidget& modal) { modal.close(); });
    QCOMPARE(service.Ask(Request(TMsgDlgType::mtError, {{TMsgDlgBtn::mbOK, {}}})).ModalResult, mrCancel);
}

void ServicesTest::messageBoxKindsAndTitle()
{
    TQtMessageService service;
    struct Case {
        TMsgDlgType kind;
        QMessageBox::Icon icon;
    };
    for (const Case& item : {Case{TMsgDlgType::mtWarning, QMessageBox::Warning},
                             Case{TMsgDlgType::mtError, QMessageBox::Critical},
                             Case{TMsgDlgType::mtInformation, QMessageBox::Information},
                             Case{TMsgDlgType::mtConfirmation, QMessageBox::Question},
                             Case{TMsgDlgType::mtCustom, QMessageBox::NoIcon}}) {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
        OnModal([&](QWidget& modal) {
            auto& box = dynamic_cast<QMessageBox&>(modal);
            icon = box.icon();
            title = box.windowTitle();
            text = box.text();
            ButtonsInOrder(box).at(0)->click();
        });
        service.Ask(Request(item.kind, {{TMsgDlgBtn::mbOK, {}}}));
        QCOMPARE(icon, item.icon);
        QCOMPARE(title, QString("Quillmark Frameloom 4.0"));
        // Shown as written, not as markup.
        QCOMPARE(text, QString("Some <b>text</b> & more"));
    }

    // The program's own title once it has set one; a box without buttons
    // still gets one to close it with.
    QApplication::setApplicationDisplayName(QStringLiteral("Quillmark Frameloom 4.0 - test"));
    QString title;
    QStringList shown;
    OnModal([&](QWidget& modal) {
        auto& box = dynamic_cast<QMessageBox&>(modal);
        title = box.windowTitle();
        const auto buttons = ButtonsInOrder(box);
        shown = Captions(buttons);
        buttons.at(0)->click();
    });
    const TMessageAnswer answer = service.Ask(Request(TMsgDlgType::mtInformation, {}));
    QApplication::setApplicationDisplayName(QString());
    QCOMPARE(title, QString("Quillmark Frameloom 4.0 - test"));
    QCOMPARE(shown, QStringList({"OK"}));
    QCOMPARE(answer.ModalResult, mrOk);
}

void ServicesTest::busyCursorNests()
{
    QVERIFY(!QApplication::overrideCursor());
    {
        TQtMessageService service;
        {
            TBusyCursor outer(service);
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            {
                TBusyCursor inner(service);
                QCOMPARE(service.BusyDepth(), 2);
            }
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QVERIFY(!QApplication::overrideCursor());

        // An unmatched end pops nobody else's cursor.
        QApplication::setOverrideCursor(Qt::CrossCursor);
        service.EndBusy();
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
        QApplication::restoreOverrideCursor();

        // A service that goes while busy takes its hourglass with it.
        service.BeginBusy();
        service.BeginBusy();
    }
    QVERIFY(!QApplication::overrideCursor());
}

void ServicesTest::fileFiltersConvert()
{
    QCOMPARE(ConvertFileFilter("GIF Files|*.gif"), QStringList({"GIF Files (*.gif)"}));
    QCOMPARE(ConvertFileFilter("Image Files|*.gif;*.jpg;*.bmp|All Files|*.*"),
             QStringList({"Image Files (*.gif *.jpg *.bmp)", "All Files (*.*)"}));
    // Patterns the description already names are not shown twice.
    QCOMPARE(ConvertFileFilter("GIF Image (*.gif)|*.gif|Bitmaps (*.bmp;*.dib)|*.bmp;*.dib"),
             QStringList({"GIF Image (*.gif)", "Bitmaps (*.bmp *.dib)"}));
    // Stray separators, spaces and a description without patterns.
    QCOMPARE(ConvertFileFilter(" AVI | *.avi ; ;*.AVI |||Everything"),
             QStringList({"AVI (*.avi *.AVI)", "Everything (*)"}));
    QCOMPARE(ConvertFileFilter("|*.txt"), QStringList({"*.txt (*.txt)"}));
    QVERIFY(ConvertFileFilter("").isEmpty());
    QVERIFY(ConvertFileFilter("||").isEmpty());
}

void ServicesTest::fileDialogOpensAndSaves()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString existing = folder.filePath("first.gif");
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("GIF89a");
    file.close();

    TDrivenFileDialogService service;
    TFileDialogRequest open;
    open.Kind = TFileDialogKind::Open;
    open.Title = "Open";
    open.Filter = "GIF Files|*.gif|All Files|*.*";
    open.InitialDir = folder.path().toStdString();
    open.MultiSelect = true;
    service.drive = [](QFileDialog& dialog) {
        dialog.selectFile(QStringLiteral("first.gif"));
        static_cast<QDialog&>(dialog).accept();
    };
    TFileDialogAnswer answer = service.Run(open);
    QVERIFY(service.prepared);
    QVERIFY(service.nonNative);
    QCOMPARE(service.nameFilters, QStringList({"GIF Files (*.gif)", "All Files (*.*)"}));
    QCOMPARE(service.fileMode, QFileDialog::ExistingFiles);
    QCOMPARE(service.acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(service.directory, QDir(folder.path()).absolutePath());
    QVERIFY(answer.Accepted);
    QCOMPARE(answer.Files.size(), size_t(1));
    QCOMPARE(QString::fromStdString(answer.Files[0]), QDir::toNativeSeparators(existing));

    // Cancelling answers nothing.
    service.drive = [](QFileDialog& dialog) { dialog.reject(); };
    answer = service.Run(open);
    QVERIFY(!answer.Accepted);
    QVERIFY(answer.Files.empty());

    // Save: a typed name without extension gets the default one, in the
    // preset file's folder.
    TFileDialogRequest save;
    save.Kind = TFileDialogKind::Save;
    save.Title = "Save As";
    save.Filter = "GIF Files|*.gif";
    save.FileName = folder.filePath("Untitled1.gif").toStdString();
    save.DefaultExt = "gif";
    service.drive = [](QFileDialog& dialog) {
        dialog.selectFile(QStringLiteral("logo"));
        static_cast<QDialog&>(dialog).accept();
    };
    answer = service.Run(save);
    QCOMPARE(service.acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(service.defaultSuffix, QString("gif"));
    QCOMPARE(service.directory, QDir(folder.path()).absolutePath());
    QVERIFY(answer.Accepted);
    QCOMPARE(answer.Files.size(), size_t(1));
    QCOMPARE(QString::fromStdString(answer.Files[0]), QDir::toNativeSeparators(folder.filePath("logo.gif")));
}

void ServicesTest::shellTargetsBecomeUrls()
{
    QCOMPARE(ShellTargetUrl("https://example.org/help"), QUrl("https://example.org/help"));
    QCOMPARE(ShellTargetUrl("mailto:support@example.org").scheme(), QString("mailto"));
    const QUrl path = ShellTargetUrl("/tmp/my images/a#1.gif");
    QVERIFY(path.isLocalFile());
    QCOMPARE(path.toLocalFile(), QString("/tmp/my images/a#1.gif"));
    // A drive letter is no scheme.
    QVERIFY(ShellTargetUrl("C:\\Images\\a.gif").isLocalFile());
    QVERIFY(ShellTargetUrl("relative.gif").isLocalFile());
    QVERIFY(ShellTargetUrl("").isEmpty());
    TQtShellService shell;
    QVERIFY(!shell.Open(""));
}

void ServicesTest::splashShowsThePictureAndStartCloses()
{
    TScriptedMessageService messages;
    TSplashScreen splash(messages, CompanionLibraryPath());
    QVERIFY(splash.HasPicture());
    QVERIFY(messages.Requests().empty());
    QCOMPARE(splash.windowTitle(), QString("Quillmark Frameloom 4.0"));
    auto* picture = splash.findChild<QLabel*>("imgSplash");
    QVERIFY(picture);
    QCOMPARE(picture->pixmap().size(), QSize(420, 260));

    auto* start = splash.findChild<QPushButton*>("btnStart");
    QVERIFY(start);
    QCOMPARE(start->text(), QString("&Start"));
    QVERIFY(start->isDefault());
    bool wasVisible = false;
    OnModal([&](QWidget& modal) {
        wasVisible = &modal == &splash;
        QTest::mouseClick(start, Qt::LeftButton);
    });
    QCOMPARE(splash.exec(), int(QDialog::Accepted));
    QVERIFY(wasVisible);
    QVERIFY(!splash.isVisible());

    // Return presses the default button.
    OnModal([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Return); });
    QCOMPARE(splash.exec(), int(QDialog::Accepted));
}

void ServicesTest::splashWithoutLibraryReportsIt()
{
    QTemporaryDir folder;
    TScriptedMessageService messages;
    TSplashScreen splash(messages,
                         folder.filePath(QString::fromStdString(CompanionLibraryFileName())).toStdString());
    QVERIFY(!splash.HasPicture());
    QCOMPARE(messages.Requests().size(), size_t(1));
    QCOMPARE(messages.Requests()[0].Kind, TMsgDlgType::mtError);
    QCOMPARE(messages.Requests()[0].Text, "Could not load " + CompanionLibraryFileName() + " library file.");
    // Still a window to start from.
    OnModal(
        [](QWidget& modal) { QTest::mouseClick(modal.findChild<QPushButton*>("btnStart"), Qt::LeftButton); });
    QCOMPARE(splash.exec(), int(QDialog::Accepted));
}

void ServicesTest::clipboardCarriesBitmapsAndOwnFormats()
{
    TQtClipboard clipboard;
    clipboard.Clear();
    QVERIFY(!clipboard.HasFormat(ClipboardFormatBitmap));
    QVERIFY(!clipboard.GetData(ClipboardFormatGIF));

    // A bitmap put there is an image for every program, and comes back
    // with its pixels.
    TBitmap bitmap(3, 2, TPixelFormat::pf24bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            uint8_t* pixel = bitmap.ScanLine(y) + x * 3;
            pixel[0] = uint8_t(40 * x);
            pixel[1] = uint8_t(100 * y);
            pixel[2] = 200;
        }
    TMemoryStream dib;
    bitmap.SaveToDIB(dib);
    QVERIFY(clipboard.SetData(ClipboardFormatBitmap, std::vector<uint8_t>(dib.Data(), dib.Data() + dib.Size())));
    QVERIFY(QGuiApplication::clipboard()->mimeData()->hasImage());
    QVERIFY(clipboard.HasFormat(ClipboardFormatBitmap));

    // An animation joins the bitmap instead of replacing it.
    QVERIFY(clipboard.SetData(ClipboardFormatGIF, {'G', 'I', 'F'}));
    QVERIFY(clipboard.HasFormat(ClipboardFormatBitmap));
    QCOMPARE(*clipboard.GetData(ClipboardFormatGIF), std::vector<uint8_t>({'G', 'I', 'F'}));
    const auto back = clipboard.GetData(ClipboardFormatBitmap);
    QVERIFY(back);
    TBitmap pasted;
    pasted.LoadFromDIB(back->data(), back->size());
    QCOMPARE(pasted.Width(), 3);
    QCOMPARE(pasted.Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            QCOMPARE(pasted.PixelColor(x, y), bitmap.PixelColor(x, y));

    // Another program's picture is a bitmap too; damaged bytes are refused.
    QImage picture(5, 4, QImage::Format_ARGB32);
    picture.fill(QColor(10, 20, 30));
    QGuiApplication::clipboard()->setImage(picture);
    QVERIFY(clipboard.HasFormat(ClipboardFormatBitmap));
    QVERIFY(!clipboard.HasFormat(ClipboardFormatGIF));
    QVERIFY(!clipboard.SetData(ClipboardFormatBitmap, {1, 2, 3}));
    clipboard.Clear();
}

QTEST_MAIN(ServicesTest)
#include "ServicesTest.moc"
