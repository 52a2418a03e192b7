// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/calculator/added_line_row.h"

#include "controls/db_grid.h"

#include <QHeaderView>

namespace solvane {

AddedLineRow::AddedLineRow(DBGrid& grid, const QString& objectName, QWidget* parent)
    : QTableWidget(1, 0, parent), grid_(grid) {
    setObjectName(objectName);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFont(grid.font());
    setRowHeight(0, grid.verticalHeader()->defaultSectionSize());
    setFixedHeight(rowHeight(0) + 2 * frameWidth());
    connect(grid.horizontalHeader(), &QHeaderView::sectionResized, this, [this] { followGrid(); });
    hide();
}

void AddedLineRow::showTexts(const QStringList& texts, const std::vector<bool>& numbers, const QStringList& tips) {
    setVisible(!texts.isEmpty());
    if (texts.isEmpty())
        return;
    if (columnCount() != texts.size())
        setColumnCount(static_cast<int>(texts.size()));
    for (int c = 0; c < texts.size(); ++c) {
        QTableWidgetItem* cell = item(0, c);
        if (!cell) {
            cell = new QTableWidgetItem;
            setItem(0, c, cell);
        }
        cell->setText(texts[c]);
        cell->setToolTip(c < tips.size() ? tips[c] : QString());
        const bool number = static_cast<size_t>(c) < numbers.size() && numbers[static_cast<size_t>(c)];
        cell->setTextAlignment(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    followGrid();
}

// Each column as wide as the grid's column shown at its place.
void AddedLineRow::followGrid() {
    const QHeaderView* header = grid_.horizontalHeader();
    int shown = 0;
    for (int logical = 0; logical < header->count() && shown < columnCount(); ++logical) {
        if (header->isSectionHidden(logical))
            continue;
        setColumnWidth(shown++, header->sectionSize(logical));
    }
}

} // namespace solvane
