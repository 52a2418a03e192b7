// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/splitter.h"

#include "controls/handler_guard.h"

#include <QChildEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <numeric>
#include <qdrawutil.h>

namespace solvane {

namespace {

// A group-bar handle: a raised bar across the splitter with a grip in its middle.
class GroupBarHandle : public QSplitterHandle {
public:
    GroupBarHandle(Qt::Orientation orientation, QSplitter* parent) : QSplitterHandle(orientation, parent) {
        setAccessibleName(QStringLiteral("Разделитель"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, palette().button());
        qDrawShadePanel(&p, r, palette(), false, 1);
        const QPoint c = r.center();
        p.setPen(palette().dark().color());
        for (int i = -2; i <= 2; ++i) {
            const QPoint dot =
                orientation() == Qt::Horizontal ? QPoint(c.x(), c.y() + i * 4) : QPoint(c.x() + i * 4, c.y());
            p.drawPoint(dot);
        }
    }
};

} // namespace

Splitter::Splitter(HandlerGuard& guard, Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent), guard_(guard) {
    setAccessibleName(QStringLiteral("Разделитель"));
    setChildrenCollapsible(false);
    setOpaqueResize(true);
    connect(this, &QSplitter::splitterMoved, this, [this] {
        rememberFixedPane();
        reportChange(true);
    });
}

QSplitterHandle* Splitter::createHandle() {
    auto* handle = new GroupBarHandle(orientation(), this);
    handle->setToolTip(hint_);
    return handle;
}

void Splitter::setHint(const QString& hint) {
    hint_ = hint;
    for (int i = 0; i < count(); ++i)
        if (QSplitterHandle* h = handle(i))
            h->setToolTip(hint);
}

bool Splitter::hasGeometry() const {
    if (!isVisible() || count() < 2)
        return false;
    return (orientation() == Qt::Horizontal ? width() : height()) > 0;
}

int Splitter::smallestPane(int index) const {
    if (index >= count())
        return 0;
    const QWidget* pane = widget(index);
    const QSize least = pane->minimumSize().expandedTo(pane->minimumSizeHint());
    return orientation() == Qt::Horizontal ? least.width() : least.height();
}

int Splitter::position() const {
    if (pending_ >= 0)
        return pending_;
    const QList<int> s = sizes();
    return s.isEmpty() ? 0 : s.first();
}

void Splitter::setPosition(int pixels) {
    // Never less than the first pane's minimum; the second's is kept once
    // the splitter has its size.
    pixels = std::max({0, pixels, smallestPane(0)});
    if (hasGeometry())
        applyPosition(pixels);
    else
        pending_ = pixels;
    reportChange(false);
}

void Splitter::applyPosition(int pixels) {
    QList<int> s = sizes();
    if (s.size() < 2)
        return;
    const int total = s[0] + s[1];
    const int lowest = std::min(smallestPane(0), total);
    const int highest = std::max(lowest, total - smallestPane(1));
    s[0] = std::clamp(pixels, lowest, highest);
    s[1] = total - s[0];
    setSizes(s);
    pending_ = -1;
    rememberFixedPane();
}

void Splitter::rememberFixedPane() {
    const QList<int> s = sizes();
    if (s.size() >= 2 && s[0] + s[1] > 0)
        wantedFixed_ = fixedSecond_ ? s[1] : s[0];
}

void Splitter::restoreFixedPane() {
    QList<int> s = sizes();
    if (wantedFixed_ < 0 || s.size() < 2 || !hasGeometry())
        return;
    const int fixed = fixedSecond_ ? 1 : 0;
    const int other = 1 - fixed;
    const int total = s[0] + s[1];
    const int size = std::min(wantedFixed_, total - smallestPane(other));
    if (size <= s[fixed])
        return;
    s[fixed] = size;
    s[other] = total - size;
    setSizes(s);
}

void Splitter::setFixedSecondPane(bool fixed) {
    fixedSecond_ = fixed;
    applyStretch();
}

void Splitter::applyStretch() {
    // Only the pane with a stretch takes up a change of the splitter's size.
    if (count() >= 2) {
        setStretchFactor(0, fixedSecond_ ? 1 : 0);
        setStretchFactor(1, fixedSecond_ ? 0 : 1);
    }
}

void Splitter::childEvent(QChildEvent* event) {
    QSplitter::childEvent(event);
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished)
        applyStretch();
}

void Splitter::resizeEvent(QResizeEvent* event) {
    applyStretch();
    // QSplitter shares out a resize by the pane sizes it last stored (a drag,
    // setSizes), not by the panes' sizes now: store the present ones, so the
    // pane without a stretch keeps exactly its size.
    const QList<int> present = sizes();
    if (present.size() >= 2 && std::accumulate(present.begin(), present.end(), 0) > 0)
        setSizes(present);
    QSplitter::resizeEvent(event);
    if (pending_ >= 0 && hasGeometry())
        applyPosition(pending_);
    // A pane squeezed by a smaller window grows back to the size last chosen
    // for it as soon as there is room again.
    restoreFixedPane();
    reportChange(true);
}

void Splitter::showEvent(QShowEvent* event) {
    QSplitter::showEvent(event);
    if (pending_ >= 0 && hasGeometry())
        applyPosition(pending_);
    reportChange(true);
}

void Splitter::reportChange(bool guarded) {
    const int now = position();
    if (now == reported_ || inChange_)
        return;
    reported_ = now;
    if (!onChange)
        return;
    const QScopedValueRollback<bool> inChange(inChange_, true);
    if (guarded)
        guard_.run(this, onChange);
    else
        onChange();
}

} // namespace solvane
