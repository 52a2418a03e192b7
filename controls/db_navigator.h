// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QToolButton;

namespace solvane {

class DataSource;
class HandlerGuard;

enum class NavButton { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };

// A record navigator bar over a data source, showing a chosen subset of its
// buttons. Delete asks "Delete record?" through the message service. onClick
// runs after the button's action and says which button it was. After an
// insert the keyboard goes to the new row in the grid of the same window
// that shows the rows.
class DBNavigator : public QWidget {
    Q_OBJECT
public:
    DBNavigator(HandlerGuard& guard, QWidget* parent = nullptr);
    ~DBNavigator() override;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return source_; }
    void setButtons(const std::vector<NavButton>& buttons);
    void setHint(NavButton button, const QString& hint);
    QToolButton* button(NavButton button) const; // nullptr when not shown

    // Presses a button as a user's click would, but raw: an error propagates
    // to the caller instead of being shown.
    void press(NavButton button);

    std::function<void(NavButton)> onClick;
    // When set, the delete button runs it instead of the standard question
    // and delete (a window that asks its own question, or deletes more).
    std::function<void()> deleteAction;

private:
    class Link;
    // Enables the buttons that make sense in the data set's state.
    void updateButtons();
    void giveNewRowToGrid();
    QString hintOf(NavButton button) const;

    HandlerGuard& guard_;
    DataSource* source_ = nullptr;
    std::vector<std::pair<NavButton, QToolButton*>> buttons_;
    std::unique_ptr<Link> link_;
    std::map<NavButton, QString> hints_;
};

} // namespace solvane
