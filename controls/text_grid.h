// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QListWidget;

namespace solvane {

class HandlerGuard;
class TextGridModel;

// One cell of a TextGrid: its text and how it is drawn.
struct TextCell {
    QString text;
    bool number = false; // right-aligned, as the grids align numbers
    QColor foreground;   // invalid: the palette's (kept readable on a background)
    QColor background;   // invalid: the palette's
};
bool operator==(const TextCell& a, const TextCell& b);
inline bool operator!=(const TextCell& a, const TextCell& b) {
    return !(a == b);
}
using TextRow = std::vector<TextCell>;

// A grid of texts that a window works out itself (not bound to a data set):
// captions, then rows of cells. Cells are read-only, except in a column given
// a list of choices: there a drop-down offers them, and picking one runs
// onChoice as one user action (through the handler guard).
class TextGrid : public QTableView {
    Q_OBJECT
public:
    explicit TextGrid(HandlerGuard& guard, QWidget* parent = nullptr);
    ~TextGrid() override;

    void setCaptions(const QStringList& captions);
    QStringList captions() const;
    // Shows the rows; the view keeps its columns' widths, its current cell
    // where it still exists, and repaints the rows once.
    void setRows(std::vector<TextRow> rows);
    const std::vector<TextRow>& rows() const;
    int rowCount() const { return static_cast<int>(rows().size()); }
    QString text(int row, int column) const;

    // The column's cells offer these texts to pick from.
    void setChoices(int column, const QStringList& choices);
    // Runs with the row and the position of the picked text among the choices.
    std::function<void(int row, int choice)> onChoice;

private:
    friend class TextGridModel;
    HandlerGuard& guard_;
    std::unique_ptr<TextGridModel> model_;
};

// A list of lines to read, such as warnings, named by its caption label:
// long lines wrap and the rows alternate their colour.
QListWidget* MakeLineList(const QString& objectName, QLabel* caption, QWidget* parent);

// Shows the lines in the list unless it holds them already (laying out
// wrapped lines again costs more than the rest of a refresh).
void ShowLines(QListWidget* list, const QStringList& lines);

// Gives every column the width its caption needs, and at least a few digits'.
void FitColumnsToCaptions(TextGrid& grid);

} // namespace solvane
