// SPDX-License-Identifier: GPL-3.0-or-later
// The open dialog's preview pane: its controls inside Qt's file dialog, the
// pictures and texts it shows, the splitter position it keeps, and the file
// dialog service that adds it.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/OpenPreviewPane.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "windows/MainWindowSupport.h"
#include "windows/ModalSupport.h"

using namespace fl;
using fl::test::OnModal;

namespace {

std::optional<int> StoredPosition(const TSettingsStore& settings)
{
    return settings.FindInteger(KeySplitterPreviewPos.Section, KeySplitterPreviewPos.Name);
}

// A file dialog set up as the service sets up an open dialog, with the pane.
struct TRig {
    TRig(const QString& folder, TSettingsStore& store) : settings(store)
    {
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDirectory(folder);
        pane = std::make_unique<TOpenPreviewPane>(dialog, settings, messages);
    }

    template <typename T> T* Find(const char* name) const { return dialog.findChild<T*>(QLatin1String(name)); }
    QSplitter* Splitter() const { return Find<QSplitter>("SplitterShell"); }
    QScrollArea* ScrollBox() const { return Find<QScrollArea>("sbxShell"); }
    QWidget* Panel() const { return Find<QWidget>("pnlShell"); }
    QLabel* Image() const { return Find<QLabel>("imgX"); }
    QLabel* Label() const { return Find<QLabel>("lblShell"); }

    void Show()
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCoreApplication::processEvents();
    }
    // The cleared state: no picture, a 1 x 1 image, no text.
    bool Cleared() const
    {
        return Image()->pixmap().isNull() && Image()->size() == QSize(1, 1) && Label()->text().isEmpty();
    }
    // Where the scroll box puts a panel of the given size: centred, or at
    // the margin of an axis it does not fit.
    QPoint Centred(QSize size) const
    {
        const QSize view = ScrollBox()->viewport()->size();
        return {std::max(0, (view.width() - size.width()) / 2), std::max(0, (view.height() - size.height()) / 2)};
    }

    TSettingsStore& settings;
    TScriptedMessageService messages;
    QFileDialog dialog;
    std::unique_ptr<TOpenPreviewPane> pane;
};

} // namespace

class OpenPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void controlsSitInTheDialogsLayout();
    void picturesShowWithTheirDimensions();
    void failuresFoldersAndEmptySelectionsClear();
    void dialogSelectionDrivesThePreview();
    void pictureStaysCentredAsTheSplitterMoves();
    void splitterPositionIsStoredAndRestored();
    void releasingThePaneRestoresTheDialog();
    void serviceAddsThePaneOnlyWhenAsked();

private:
    QString Path(const char* name) const { return folder_.filePath(QLatin1String(name)); }

    QTemporaryDir folder_;
};

void OpenPreviewTest::initTestCase()
{
    QVERIFY(folder_.isValid());
    // 6 wide, 4 high; the first frame is gray 0x10.
    test::WriteAnimation(Path("anim.gif").toStdString(), 2, 6, 4);
    QImage bmp(40, 10, QImage::Format_RGB32);
    bmp.fill(qRgb(200, 10, 30));
    QVERIFY(bmp.save(Path("red.bmp"), "BMP"));
    QImage wide(1500, 12, QImage::Format_RGB32);
    wide.fill(qRgb(0, 90, 0));
    QVERIFY(wide.save(Path("wide.bmp"), "BMP"));
    QImage png(8, 3, QImage::Format_RGB32);
    png.fill(qRgb(0, 0, 255));
    QVERIFY(png.save(Path("blue.png"), "PNG"));
    for (const char* name : {"corrupt.gif", "notes.txt"}) {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("GIF89a this is not a picture");
    }
    QVERIFY(QDir(folder_.path()).mkdir(QStringLiteral("sub")));
}

void OpenPreviewTest::controlsSitInTheDialogsLayout()
{
    TMemorySettingsStore settings;
    TRig rig(folder_.path(), settings);
    QSplitter* splitter = rig.Splitter();
    QVERIFY(splitter && rig.ScrollBox() && rig.Panel() && rig.Image() && rig.Label());

    // The dialog's own sidebar and list on the left, the preview on the right,
    // in the grid cell the list had.
    auto* grid = qobject_cast<QGridLayout*>(rig.dialog.layout());
    QVERIFY(grid);
    QCOMPARE(grid->itemAtPosition(1, 0)->widget(), splitter);
    QCOMPARE(splitter->count(), 2);
    QCOMPARE(splitter->widget(0)->objectName(), QStringLiteral("splitter"));
    QCOMPARE(splitter->widget(1), rig.ScrollBox());
    QCOMPARE(rig.ScrollBox()->widget(), rig.Panel());
    QCOMPARE(rig.Image()->parentWidget(), rig.Panel());
    QVERIFY(rig.Label()->text().isEmpty());
    QVERIFY(rig.Cleared());

    rig.Show();
    QCOMPARE(rig.Image()->pos(), QPoint(0, 0));
    QVERIFY(rig.ScrollBox()->geometry().left() > splitter->widget(0)->geometry().right());
    QVERIFY(rig.ScrollBox()->width() > 0 && splitter->widget(0)->width() > 0);
    // The label shares the top row with the folder combo box, right after it.
    auto* combo = rig.Find<QComboBox>("lookInCombo");
    QVERIFY(combo);
    rig.pane->ShowFile(Path("anim.gif"));
    QCoreApplication::processEvents();
    const QRect label = rig.Label()->geometry();
    QVERIFY(label.left() >= combo->geometry().right());
    QVERIFY(label.top() < combo->geometry().bottom() && label.bottom() > combo->geometry().top());
    QVERIFY(label.width() >= rig.Label()->fontMetrics().horizontalAdvance(rig.Label()->text()));
}

void OpenPreviewTest::picturesShowWithTheirDimensions()
{
    TMemorySettingsStore settings;
    TRig rig(folder_.path(), settings);
    rig.Show();

    struct TCase {
        const char* Name;
        QSize Size;
        QRgb Color;
    };
    // GIF through our own reader, BMP through the engine's, PNG through the
    // imaging control.
    const TCase cases[] = {{"anim.gif", {6, 4}, qRgb(0x10, 0x10, 0x10)},
                           {"red.bmp", {40, 10}, qRgb(200, 10, 30)},
                           {"blue.png", {8, 3}, qRgb(0, 0, 255)}};
    int loads = 0;
    for (const TCase& item : cases) {
        rig.pane->ShowFile(Path(item.Name));
        ++loads;
        const QString expected =
            QStringLiteral("Dimensions: (%1 x %2)").arg(item.Size.height()).arg(item.Size.width());
        QCOMPARE(rig.Label()->text(), expected);
        QCOMPARE(rig.Panel()->size(), item.Size);
        QCOMPARE(rig.Image()->geometry(), QRect(QPoint(0, 0), item.Size));
        const QImage shown = rig.Image()->pixmap().toImage();
        QCOMPARE(shown.size(), item.Size);
        QCOMPARE(shown.pixel(item.Size.width() - 1, item.Size.height() - 1) & 0xFFFFFFu, item.Color & 0xFFFFFFu);
        QCOMPARE(rig.pane->ShownFile(), Path(item.Name));
    }
    QCOMPARE(rig.Label()->text(), QStringLiteral("Dimensions: (3 x 8)"));
    // Every load showed the hourglass, and none left it on.
    QCOMPARE(rig.messages.BusyCount(), loads);
    QCOMPARE(rig.messages.BusyDepth(), 0);
    QVERIFY(rig.messages.Requests().empty());
}

void OpenPreviewTest::failuresFoldersAndEmptySelectionsClear()
{
    TMemorySettingsStore settings;
    TRig rig(folder_.path(), settings);
    rig.Show();

    // A file that does not load: the text says so and the previous picture goes.
    for (const char* name : {"corrupt.gif", "notes.txt", "missing.bmp"}) {
        rig.pane->ShowFile(Path("anim.gif"));
        QVERIFY(!rig.Image()->pixmap().isNull());
        rig.pane->ShowFile(Path(name));
        QCOMPARE(rig.Label()->text(), QStringLiteral("Unabled to load image."));
        QVERIFY(rig.Image()->pixmap().isNull());
        QCOMPARE(rig.Image()->size(), QSize(1, 1));
    }
    QCOMPARE(rig.messages.BusyDepth(), 0);
    QVERIFY(rig.messages.Requests().empty());

    // A folder, or no file at all, is no picture: nothing is loaded.
    for (const QString& path : {Path("sub"), QString()}) {
        rig.pane->ShowFile(Path("red.bmp"));
        const int busy = rig.messages.BusyCount();
        rig.pane->ShowFile(path);
        QVERIFY(rig.Cleared());
        QVERIFY(rig.pane->ShownFile().isEmpty());
        QCOMPARE(rig.messages.BusyCount(), busy);
    }
    // The dialog's own signal reaches the pane.
    rig.pane->ShowFile(Path("red.bmp"));
    emit rig.dialog.currentChanged(QString());
    QVERIFY(rig.Cleared());
}

void OpenPreviewTest::dialogSelectionDrivesThePreview()
{
    TMemorySettingsStore settings;
    TRig rig(folder_.path(), settings);
    rig.Show();
    auto* list = rig.Find<QAbstractItemView>("listView");
    auto* model = qobject_cast<QFileSystemModel*>(list ? list->model() : nullptr);
    QVERIFY(model);
    // The dialog reads the folder in the background.
    QTRY_VERIFY(model->index(Path("anim.gif")).isValid() && model->index(Path("sub")).isValid());

    list->setCurrentIndex(model->index(Path("anim.gif")));
    QCOMPARE(rig.Label()->text(), QStringLiteral("Dimensions: (4 x 6)"));
    list->selectionModel()->clearSelection();
    QVERIFY(rig.Cleared());

    list->setCurrentIndex(model->index(Path("corrupt.gif")));
    QCOMPARE(rig.Label()->text(), QStringLiteral("Unabled to load image."));
    list->setCurrentIndex(model->index(Path("sub")));
    QVERIFY(rig.Cleared());

    // A typed name selects its file, and the preview follows.
    auto* name = rig.Find<QLineEdit>("fileNameEdit");
    QVERIFY(name);
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("anim.gif"));
    QTRY_COMPARE(rig.Label()->text(), QStringLiteral("Dimensions: (4 x 6)"));
}

void OpenPreviewTest::pictureStaysCentredAsTheSplitterMoves()
{
    TMemorySettingsStore settings;
    TRig rig(folder_.path(), settings);
    rig.Show();
    QSplitter* splitter = rig.Splitter();

    rig.pane->ShowFile(Path("anim.gif"));
    QCOMPARE(rig.Panel()->pos(), rig.Centred({6, 4}));
    QVERIFY(rig.Panel()->x() > 0 && rig.Panel()->y() > 0);

    const int before = rig.Panel()->x();
    QList<int> sizes = splitter->sizes();
    splitter->setSizes({sizes[0] - 80, sizes[1] + 80});
    QCoreApplication::processEvents();
    QCOMPARE(rig.Panel()->pos(), rig.Centred({6, 4}));
    QCOMPARE(rig.Panel()->x(), before + 40);

    // Wider than the box: at the left margin, still centred from top to bottom.
    rig.pane->ShowFile(Path("wide.bmp"));
    QCOMPARE(rig.Label()->text(), QStringLiteral("Dimensions: (12 x 1500)"));
    QCOMPARE(rig.Panel()->size(), QSize(1500, 12));
    QCOMPARE(rig.Panel()->x(), 0);
    QCOMPARE(rig.Panel()->y(), rig.Centred({1500, 12}).y());
    QVERIFY(rig.Panel()->y() > 0);

    // A small picture after a scrolled large one is centred again.
    rig.ScrollBox()->horizontalScrollBar()->setValue(300);
    rig.pane->ShowFile(Path("red.bmp"));
    QCOMPARE(rig.Panel()->pos(), rig.Centred({40, 10}));
}

void OpenPreviewTest::splitterPositionIsStoredAndRestored()
{
    TMemorySettingsStore settings;
    int moved = 0;
    {
        TRig rig(folder_.path(), settings);
        rig.Show();
        // Nothing stored: the preview gets its default width.
        QCOMPARE(rig.Splitter()->sizes().value(1), TOpenPreviewPane::DefaultPreviewWidth);
        QVERIFY(!StoredPosition(settings));
        const QList<int> sizes = rig.Splitter()->sizes();
        rig.Splitter()->setSizes({sizes[0] - 70, sizes[1] + 70});
        moved = rig.Splitter()->sizes().value(0);
        QCOMPARE(moved, sizes[0] - 70);
        rig.dialog.reject();
        QCOMPARE(StoredPosition(settings), std::optional<int>(moved));
    }
    {
        // The next dialog opens where the last one closed, and an accepted
        // dialog writes too.
        TRig rig(folder_.path(), settings);
        rig.Show();
        QCOMPARE(rig.Splitter()->sizes().value(0), moved);
        rig.Splitter()->setSizes({moved + 30, rig.Splitter()->sizes().value(1) - 30});
        static_cast<QDialog&>(rig.dialog).done(QDialog::Accepted);
        QCOMPARE(StoredPosition(settings), std::optional<int>(moved + 30));
    }
    // Stored values out of reach still leave both sides in view.
    for (const int stored : {-500, 100000}) {
        WriteIntegerSetting(settings, KeySplitterPreviewPos, stored);
        TRig rig(folder_.path(), settings);
        rig.Show();
        const QList<int> sizes = rig.Splitter()->sizes();
        QVERIFY2(sizes.value(0) > 0 && sizes.value(1) > 0, qPrintable(QString::number(stored)));
        QVERIFY(sizes.value(0) + sizes.value(1) + rig.Splitter()->handleWidth() <= rig.Splitter()->width());
    }
    // A dialog closed before it was ever laid out keeps the stored position.
    WriteIntegerSetting(settings, KeySplitterPreviewPos, 123);
    {
        TRig rig(folder_.path(), settings);
        rig.dialog.reject();
    }
    QCOMPARE(StoredPosition(settings), std::optional<int>(123));
}

void OpenPreviewTest::releasingThePaneRestoresTheDialog()
{
    TMemorySettingsStore settings;
    {
        TRig rig(folder_.path(), settings);
        rig.Show();
        rig.pane->ShowFile(Path("anim.gif"));
        QWidget* fileArea = rig.Splitter()->widget(0);
        rig.pane.reset();
        QCoreApplication::processEvents();

        auto* grid = qobject_cast<QGridLayout*>(rig.dialog.layout());
        QCOMPARE(grid->itemAtPosition(1, 0)->widget(), fileArea);
        QCOMPARE(fileArea->parentWidget(), &rig.dialog);
        QVERIFY(fileArea->isVisible());
        for (const char* name : {"SplitterShell", "sbxShell", "pnlShell", "imgX", "lblShell"})
            QVERIFY2(!rig.dialog.findChild<QWidget*>(QLatin1String(name)), name);
        // The dialog goes on without the pane.
        emit rig.dialog.currentChanged(Path("anim.gif"));
        rig.dialog.reject();
        QVERIFY(!StoredPosition(settings));
    }
    // A dialog destroyed first takes the controls; the pane then has nothing
    // to hand back.
    auto dialog = std::make_unique<QFileDialog>();
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    TScriptedMessageService messages;
    TOpenPreviewPane pane(*dialog, settings, messages);
    dialog.reset();
    pane.ShowFile(Path("anim.gif"));
    pane.ClearPreview();
}

void OpenPreviewTest::serviceAddsThePaneOnlyWhenAsked()
{
    TMemorySettingsStore settings;
    TScriptedMessageService messages;
    TPreviewFileDialogService service(settings, messages);
    TFileDialogRequest request;
    request.Title = "Open";
    request.Filter = "All files|*.*";
    request.InitialDir = folder_.path().toStdString();
    request.Preview = true;

    // With the preview: the pane is there, a chosen file is answered, and
    // the position is written as the dialog closes.
    bool hadPane = false;
    OnModal([&](QWidget& modal) {
        auto* dialog = qobject_cast<QFileDialog*>(&modal);
        hadPane = modal.findChild<QSplitter*>(QStringLiteral("SplitterShell")) != nullptr;
        dialog->selectFile(Path("anim.gif"));
        static_cast<QDialog*>(dialog)->accept();
    });
    const TFileDialogAnswer chosen = service.Run(request);
    QVERIFY(hadPane);
    QVERIFY(chosen.Accepted);
    QCOMPARE(chosen.Files.size(), size_t(1));
    QCOMPARE(QFileInfo(QString::fromStdString(chosen.Files[0])).canonicalFilePath(),
             QFileInfo(Path("anim.gif")).canonicalFilePath());
    QVERIFY(StoredPosition(settings));

    // Switched off by the user, or not asked for: Qt's dialog as it is.
    struct TCase {
        bool Preview;
        int Switch;
    };
    for (const TCase item : {TCase{true, 1}, TCase{false, 0}}) {
        settings.DeleteValue(KeySplitterPreviewPos.Section, KeySplitterPreviewPos.Name);
        WriteIntegerSetting(settings, KeyNoOpenDlgPreview, item.Switch);
        request.Preview = item.Preview;
        bool controls = true;
        OnModal([&](QWidget& modal) {
            controls = false;
            for (const char* name : {"SplitterShell", "sbxShell", "lblShell"})
                controls = controls || modal.findChild<QWidget*>(QLatin1String(name));
            qobject_cast<QDialog*>(&modal)->reject();
        });
        QVERIFY(!service.Run(request).Accepted);
        QVERIFY(!controls);
        QVERIFY(!StoredPosition(settings));
    }
}

QTEST_MAIN(OpenPreviewTest)
#include "OpenPreviewTest.moc"
