// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/PaletteDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/AppIcons.h"
#include "app/BitmapImage.h"
#include "app/ColorComboBox.h"
#include "app/NumberEdit.h"
#include "dialogs/DialogButtons.h"
#include "document/CmdColorMap.h"
#include "document/EditorContext.h"
#include "editing/PaletteEntries.h"
#include "editing/TextRoutines.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

struct TModeTexts {
    const char* Explanation;
    const char* Caption;
};

constexpr TModeTexts ModeTexts[] = {
    {"Select a color from the color swatches to edit a global color value", "Global Palette"},
    {"Select a color from the color swatches or click on the image.", "Transparent Color"},
    {"Adjust the Red, Green and Blue color values to change the color", "Change Color Value"},
};

constexpr int Margin = 8;

} // namespace

// pbPalette: the swatches of the working colors, the picker on top.
class TfrmPalette::TSwatchGrid final : public QWidget {
public:
    explicit TSwatchGrid(TfrmPalette& dialog) : QWidget(&dialog), dialog_(dialog)
    {
        setObjectName("pbPalette");
        setFixedSize(GridSize, GridSize);
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().window());
        TCmdColorMap& colors = *dialog_.colors_;
        for (int j = 0; j < 256; ++j) {
            const QRect cell((j % 16) * CellSize + 1, (j / 16) * CellSize + 1, CellSize, CellSize);
            if (!event->rect().intersects(cell))
                continue;
            if (j < colors.Count()) {
                painter.fillRect(cell.adjusted(1, 1, -1, -1), ColorFromValue(colors.ColorAt(j)));
                // A raised edge: light on the top and left, dark below.
                painter.setPen(palette().light().color());
                painter.drawLine(cell.topLeft(), cell.topRight() - QPoint(1, 0));
                painter.drawLine(cell.topLeft(), cell.bottomLeft() - QPoint(0, 1));
                painter.setPen(palette().dark().color());
                painter.drawLine(cell.bottomLeft(), cell.bottomRight());
                painter.drawLine(cell.topRight(), cell.bottomRight());
            }
        }
        painter.setPen(palette().mid().color());
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton) {
            const QPoint point = event->position().toPoint();
            dialog_.ClickCell(HitTest(point.x(), point.y(), dialog_.colors_->Count()));
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint point = event->position().toPoint();
        if (HitTest(point.x(), point.y(), dialog_.colors_->Count()) >= 0)
            setCursor(EyedropperCursor());
        else
            unsetCursor();
        if (event->buttons() & Qt::LeftButton) {
            const int index = HitTest(point.x(), point.y(), dialog_.colors_->Count());
            if (index >= 0 && index != dialog_.selected_)
                dialog_.ClickCell(index);
        }
    }

private:
    TfrmPalette& dialog_;
};

// pbImage: the frame with every pixel of the selected color shown in the
// background, inside a one-pixel border.
class TfrmPalette::TFramePreview final : public QWidget {
public:
    explicit TFramePreview(TfrmPalette& dialog) : QWidget(&dialog), dialog_(dialog)
    {
        setObjectName("pbImage");
        setCursor(EyedropperCursor());
    }
    void SetPicture(QImage picture)
    {
        picture_ = std::move(picture);
        setFixedSize(picture_.width() + 2, picture_.height() + 2);
        SelectionChanged();
    }
    const QImage& Picture() const { return picture_; }
    // The shown picture is made once per selected color, not on every paint.
    void SelectionChanged()
    {
        shown_ = picture_;
        const QRgb selected = ColorFromValue(dialog_.selectedColor_).rgb() & 0xFFFFFF;
        const QRgb background = palette().window().color().rgb();
        for (int y = 0; y < shown_.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(shown_.scanLine(y));
            for (int x = 0; x < shown_.width(); ++x)
                if ((row[x] & 0xFFFFFF) == selected)
                    row[x] = background;
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(1, 1, shown_);
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton) {
            const QPoint point = event->position().toPoint();
            dialog_.ClickPreview(point.x() - 1, point.y() - 1);
        }
    }

private:
    TfrmPalette& dialog_;
    QImage picture_;
    QImage shown_;
};

int TfrmPalette::HitTest(int x, int y, int count)
{
    if (x < 3 || y < 3 || x > 243 || y > 243)
        return -1;
    const int index = (x - 3) / CellSize + ((y - 3) / CellSize) * 16;
    return index < count ? index : -1;
}

TfrmPalette::TfrmPalette(TEditorContext& context, TMessageService& messages, int mode, QWidget* parent)
    : QDialog(parent), context_(context), messages_(messages), mode_(std::clamp(mode, 0, 2)),
      colors_(std::make_unique<TCmdColorMap>()), frameIndex_(context.Frames().Selected())
{
    setObjectName("frmPalette");
    setWindowTitle(ModeTexts[mode_].Caption);
    BuildControls();
    if (mode_ == pmGlobalPalette && context_.Animation().GlobalColors().Count() > 0) {
        colors_->CopyFrom(context_.Animation().GlobalColors());
        for (int i = 0; i < colors_->Count(); ++i)
            origins_.push_back(i);
        Select(0);
    }
    LayOut();
    UpdateButtons();
}

TfrmPalette::~TfrmPalette() = default;

void TfrmPalette::BuildControls()
{
    lblCaption_ = new QLabel(ModeTexts[mode_].Explanation, this);
    lblCaption_->setObjectName("lblCaption");
    lblCaption_->setWordWrap(true);
    bevTop_ = new QFrame(this);
    bevTop_->setObjectName("bevTop");
    bevTop_->setFrameShape(QFrame::HLine);
    bevTop_->setFrameShadow(QFrame::Sunken);
    bevBottom_ = new QFrame(this);
    bevBottom_->setObjectName("bevBottom");
    bevBottom_->setFrameShape(QFrame::HLine);
    bevBottom_->setFrameShadow(QFrame::Sunken);

    pbPalette_ = new TSwatchGrid(*this);
    shpPicker_ = new QLabel(pbPalette_);
    shpPicker_->setObjectName("shpPicker");
    shpPicker_->setFixedSize(CellSize, CellSize);
    shpPicker_->setStyleSheet(QStringLiteral("border: 2px solid red; background: transparent;"));
    shpPicker_->setAttribute(Qt::WA_TransparentForMouseEvents);

    pnlRGB_ = new QWidget(this);
    pnlRGB_->setObjectName("pnlRGB");
    const auto field = [this](const char* name, TUpDown*& upDown, const char* upDownName) {
        auto* edit = new TNumberEdit(3, pnlRGB_);
        edit->setObjectName(name);
        edit->SetRestoreOnLeave(false);
        upDown = new TUpDown(*edit, 0, 255, pnlRGB_);
        upDown->setObjectName(upDownName);
        connect(edit, &TNumberEdit::Left, this, [this, edit] { FieldLeft(*edit); });
        connect(upDown, &TUpDown::Clicked, this, [this] { ApplyFields(); });
        return edit;
    };
    txtRed_ = field("txtRed", udRed_, "udRed");
    txtGreen_ = field("txtGreen", udGreen_, "udGreen");
    txtBlue_ = field("txtBlue", udBlue_, "udBlue");
    for (TNumberEdit* edit : {txtRed_, txtGreen_, txtBlue_})
        edit->SetNumber(0);
    shpPreview_ = new QLabel(pnlRGB_);
    shpPreview_->setObjectName("shpPreview");
    shpPreview_->setFixedSize(40, 40);
    shpPreview_->setFrameShape(QFrame::Box);
    shpPreview_->setAutoFillBackground(true);
    btnColorAdd_ = new QToolButton(pnlRGB_);
    btnColorAdd_->setObjectName("btnColorAdd");
    btnColorAdd_->setText("+");
    btnColorAdd_->setToolTip("Add Color");
    btnColorAdd_->setStatusTip("Adds a color to the color palette");
    btnColorDelete_ = new QToolButton(pnlRGB_);
    btnColorDelete_->setObjectName("btnColorDelete");
    btnColorDelete_->setText(QStringLiteral("\u2212"));
    btnColorDelete_->setToolTip("Delete Color");
    btnColorDelete_->setStatusTip("Deletes the selected color from the color palette");
    connect(btnColorAdd_, &QToolButton::clicked, this, [this] { AddColor(); });
    connect(btnColorDelete_, &QToolButton::clicked, this, [this] { DeleteColor(); });

    sbPreview_ = new QScrollArea(this);
    sbPreview_->setObjectName("sbPreview");
    sbPreview_->setAlignment(Qt::AlignCenter);
    pbImage_ = new TFramePreview(*this);
    sbPreview_->setWidget(pbImage_);
    sbPreview_->setFixedSize(GridSize, GridSize);

    buttons_ = MakeDialogButtons(*this);
}

void TfrmPalette::LayOut()
{
    auto* rgb = new QGridLayout(pnlRGB_);
    rgb->setContentsMargins(0, 0, 0, 0);
    const char* labels[] = {"&Red:", "&Green:", "&Blue:"};
    TNumberEdit* edits[] = {txtRed_, txtGreen_, txtBlue_};
    TUpDown* upDowns[] = {udRed_, udGreen_, udBlue_};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(labels[i], pnlRGB_);
        label->setBuddy(edits[i]);
        rgb->addWidget(label, i, 0);
        rgb->addWidget(edits[i], i, 1);
        rgb->addWidget(upDowns[i], i, 2);
    }
    rgb->addWidget(shpPreview_, 0, 3, 3, 1, Qt::AlignCenter);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnColorAdd_);
    buttons->addWidget(btnColorDelete_);
    buttons->addStretch();
    rgb->addLayout(buttons, 0, 4, 3, 1);
    rgb->setColumnStretch(5, 1);

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(Margin, Margin, Margin, Margin);
    main->setSpacing(Margin);
    main->addWidget(lblCaption_);
    main->addWidget(bevTop_);
    auto* body = new QHBoxLayout;
    body->setSpacing(Margin);
    auto* left = new QVBoxLayout;
    left->setSpacing(Margin);
    left->addWidget(pbPalette_);
    left->addWidget(pnlRGB_);
    body->addLayout(left);
    body->addWidget(sbPreview_, 0, Qt::AlignTop);
    main->addLayout(body);
    main->addWidget(bevBottom_);
    main->addLayout(buttons_.Row);

    pbPalette_->setVisible(mode_ != pmColorValue);
    sbPreview_->setVisible(mode_ == pmTransparentColor);
    bevBottom_->setVisible(mode_ == pmTransparentColor);
    bevTop_->setVisible(mode_ != pmColorValue);
    btnColorAdd_->setVisible(mode_ != pmColorValue);
    btnColorDelete_->setVisible(mode_ != pmColorValue);
    main->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(txtRed_, txtGreen_);
    setTabOrder(txtGreen_, txtBlue_);
    setTabOrder(txtBlue_, buttons_.OK);
    setTabOrder(buttons_.OK, buttons_.Cancel);
    txtRed_->setFocus();
}

void TfrmPalette::PresetSelection(int index, TColor color)
{
    selected_ = index;
    selectedColor_ = color;
}

void TfrmPalette::LoadColor(TColor color)
{
    selectedColor_ = color;
    ShowColorInFields(color);
}

void TfrmPalette::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (mode_ == pmTransparentColor && !loaded_) {
        loaded_ = true;
        LoadFrame();
    }
}

void TfrmPalette::LoadFrame()
{
    TGIFImage& image = context_.Animation();
    if (image.IsEmpty() || frameIndex_ < 0 || frameIndex_ >= image.Frames.Count())
        return;
    TGIFSubImage& frame = *image.Frames[frameIndex_];
    if (const TBitmap* bitmap = frame.RenderBitmap())
        pbImage_->SetPicture(ToQImage(*bitmap).convertToFormat(QImage::Format_RGB32));
    colors_->CopyFrom(frame.LocalColors.Count() > 0 ? static_cast<TGIFColorMap&>(frame.LocalColors)
                                                    : image.GlobalColors());
    origins_.clear();
    for (int i = 0; i < colors_->Count(); ++i)
        origins_.push_back(i);
    if (frame.Transparent && frame.ControlBlock) {
        selected_ = frame.ControlBlock->TransparentIndex();
        selectedColor_ = frame.ControlBlock->TransparentRGB();
    }
    if (selected_ >= 0 && selected_ < colors_->Count())
        Select(selected_);
    pbPalette_->update();
    UpdateButtons();
}

void TfrmPalette::Select(int index)
{
    selected_ = index;
    selectedColor_ = colors_->ColorAt(index);
    ShowColorInFields(selectedColor_);
    MovePicker();
    pbImage_->SelectionChanged();
}

void TfrmPalette::MovePicker()
{
    const bool shown = selected_ >= 0 && selected_ < colors_->Count();
    shpPicker_->setVisible(shown);
    if (shown)
        shpPicker_->move((selected_ % 16) * CellSize + 1, (selected_ / 16) * CellSize + 1);
}

void TfrmPalette::ShowColorInFields(TColor color)
{
    txtRed_->SetNumber(RedOf(color));
    txtGreen_->SetNumber(GreenOf(color));
    txtBlue_->SetNumber(BlueOf(color));
    ShowPreviewColor(color);
}

void TfrmPalette::ShowPreviewColor(TColor color)
{
    QPalette swatch = shpPreview_->palette();
    swatch.setColor(QPalette::Window, ColorFromValue(color));
    shpPreview_->setPalette(swatch);
}

void TfrmPalette::ClickCell(int index)
{
    if (index < 0 || index >= colors_->Count()) {
        btnColorDelete_->setEnabled(false);
        return;
    }
    Select(index);
    if (mode_ == pmTransparentColor)
        modified_ = true;
    UpdateButtons();
}

void TfrmPalette::ClickPreview(int x, int y)
{
    const QImage& picture = pbImage_->Picture();
    if (!picture.valid(x, y))
        return;
    const TColor color = ValueFromColor(picture.pixelColor(x, y));
    const int index = colors_->Find(color);
    selectedColor_ = color;
    modified_ = true;
    if (index >= 0) {
        selected_ = index;
        MovePicker();
    }
    ShowColorInFields(color);
    pbImage_->SelectionChanged();
    UpdateButtons();
}

TColor TfrmPalette::FieldColor() const
{
    const auto value = [](const TNumberEdit* edit) {
        return static_cast<uint8_t>(std::clamp(edit->Number(), 0, 255));
    };
    return MakeColor(value(txtRed_), value(txtGreen_), value(txtBlue_));
}

void TfrmPalette::FieldLeft(TNumberEdit& field)
{
    const std::string text = field.text().toStdString();
    if (!ValidateIntegerEdit(messages_, text, true)) {
        field.Restore();
        field.setFocus();
        return;
    }
    if (field.Number() > 255) {
        ShowMessageBox(messages_, TMsgDlgType::mtWarning, FormatText(ColorRangeMessage, {text}),
                       {TMsgDlgBtn::mbOK});
        field.Restore();
        field.setFocus();
        return;
    }
    if (field.text() != field.Remembered())
        ApplyFields();
}

void TfrmPalette::ApplyFields()
{
    const TColor color = FieldColor();
    ShowPreviewColor(color);
    modified_ = true;
    for (TNumberEdit* edit : {txtRed_, txtGreen_, txtBlue_})
        edit->SetNumber(edit->Number());
    if (selected_ >= 0 && selected_ < colors_->Count() && colors_->ColorAt(selected_) != color) {
        colors_->SetColorAt(selected_, color);
        selectedColor_ = color;
        pbPalette_->update();
        pbImage_->SelectionChanged();
    }
    if (mode_ == pmColorValue)
        selectedColor_ = color;
}

void TfrmPalette::AddColor()
{
    if (colors_->Count() >= 256) {
        btnColorAdd_->setEnabled(false);
        return;
    }
    const int index = colors_->Add(MakeColor(255, 255, 255));
    origins_.push_back(-1);
    Select(index);
    pbPalette_->update();
    modified_ = true;
    UpdateButtons();
}

void TfrmPalette::DeleteColor()
{
    if (colors_->Count() <= 2) {
        btnColorDelete_->setEnabled(false);
        return;
    }
    if (selected_ < 0 || selected_ >= colors_->Count())
        return;
    // The pixels use the original indices: an entry that moved is looked up
    // where it came from.
    const int origin = origins_[static_cast<size_t>(selected_)];
    if (HasTwinEntry(*colors_, selected_) || origin < 0 ||
        !PixelsUseEntry(context_.Animation(), origin, -1)) {
        colors_->Delete(selected_);
        origins_.erase(origins_.begin() + selected_);
        Select(std::max(selected_ - 1, 0));
        pbPalette_->update();
        modified_ = true;
    } else {
        ShowMessageBox(messages_, TMsgDlgType::mtWarning, ColorRequiredMessage, {TMsgDlgBtn::mbOK});
    }
    UpdateButtons();
}

void TfrmPalette::UpdateButtons()
{
    btnColorDelete_->setEnabled(colors_->Count() > 2);
    btnColorAdd_->setEnabled(colors_->Count() < 256);
}

void TfrmPalette::done(int result)
{
    if (result == QDialog::Accepted && mode_ == pmColorValue)
        ApplyFields();
    QDialog::done(result);
}

} // namespace fl
