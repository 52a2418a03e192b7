// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSplitter>
#include <functional>

namespace solvane {

class HandlerGuard;

// A splitter bar between two panes whose position is the size, in pixels,
// of the left (or upper) pane.
class Splitter : public QSplitter {
    Q_OBJECT
public:
    Splitter(HandlerGuard& guard, Qt::Orientation orientation, QWidget* parent = nullptr);

    // While the splitter has no geometry yet (hidden, not laid out), the
    // position last set; it is applied once the splitter is shown.
    int position() const;
    void setPosition(int pixels);
    // The second pane keeps its size when the splitter is resized; otherwise
    // the first one does.
    void setFixedSecondPane(bool fixed);
    bool fixedSecondPane() const { return fixedSecond_; }
    // The hover hint of the bar.
    void setHint(const QString& hint);

    // Runs whenever the position changes (a drag, or setPosition).
    std::function<void()> onChange;

protected:
    QSplitterHandle* createHandle() override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    bool hasGeometry() const;
    // The least size, along the bar's axis, that a pane's contents need.
    int smallestPane(int index) const;
    void applyPosition(int pixels);
    void applyStretch();
    // Runs onChange when the position differs from the one last reported.
    void reportChange(bool guarded);
    // The pane that keeps its size when the splitter is resized (the first,
    // or the second with setFixedSecondPane) remembers the size last chosen
    // for it, by a drag or a position set, and takes it back after a squeeze.
    void rememberFixedPane();
    void restoreFixedPane();

    HandlerGuard& guard_;
    int pending_ = -1;
    int reported_ = 0;
    int wantedFixed_ = -1;
    bool fixedSecond_ = false;
    bool inChange_ = false;
    QString hint_;
};

} // namespace solvane
