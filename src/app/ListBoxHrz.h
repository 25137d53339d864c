// SPDX-License-Identifier: GPL-3.0-or-later
// A list box whose horizontal scroll extent follows its widest entry, and
// the extent rule itself, which the frame list shares.
#pragma once

#include <QListWidget>
#include <QObject>

namespace fl {

// Keeps a list widget's horizontal scroll extent: an added entry wider than
// the extent ("XX" appended) widens it to that width plus a tab width; a
// deletion or a font change measures every entry again; an emptied list has
// none. The owning list applies the extent in its updateGeometries().
class THorizontalExtent final : public QObject {
    Q_OBJECT
public:
    explicit THorizontalExtent(QListWidget& list);

    int Width() const { return width_; }
    void SetWidth(int width);
    // Measures every entry again.
    void Recompute();
    // Width of one entry as the rule measures it, and the tab width added.
    int EntryWidth(const QString& text) const;
    int TabWidth() const;
    // Gives the scroll bar the range of the extent; call after the list's own
    // geometry update.
    void ApplyToScrollBar() const;
    // Stops following the list. Its owner calls this first thing in its
    // destructor: the model's last reset comes after the scroll bars are
    // gone.
    void Detach();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RowsInserted(int first, int last);

    QListWidget& list_;
    int width_ = 0;
    bool attached_ = true;
};

class TListBoxHrz : public QListWidget {
    Q_OBJECT
    Q_PROPERTY(int CurrentWidth READ CurrentWidth WRITE SetCurrentWidth)
public:
    explicit TListBoxHrz(QWidget* parent = nullptr);
    ~TListBoxHrz() override;

    // The horizontal scroll extent in pixels.
    int CurrentWidth() const { return extent_->Width(); }
    void SetCurrentWidth(int width) { extent_->SetWidth(width); }

protected:
    void updateGeometries() override;

private:
    THorizontalExtent* extent_ = nullptr;
};

} // namespace fl
