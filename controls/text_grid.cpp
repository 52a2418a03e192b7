// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/text_grid.h"

#include "controls/handler_guard.h"
#include "controls/text_contrast.h"

#include <QAbstractTableModel>
#include <QBrush>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QStyledItemDelegate>
#include <QFontMetrics>
#include <algorithm>
#include <map>

namespace solvane {

bool operator==(const TextCell& a, const TextCell& b) {
    return a.text == b.text && a.number == b.number && a.foreground == b.foreground && a.background == b.background;
}

class TextGridModel : public QAbstractTableModel {
public:
    explicit TextGridModel(TextGrid& grid) : grid_(grid) {}

    QStringList captions;
    std::vector<TextRow> rows;
    std::map<int, QStringList> choices;

    void setCaptions(const QStringList& newCaptions) {
        beginResetModel();
        captions = newCaptions;
        endResetModel();
    }

    void setRows(std::vector<TextRow> newRows) {
        const int before = static_cast<int>(rows.size());
        const int after = static_cast<int>(newRows.size());
        // Rows come and go at the end, so the view keeps its columns and its
        // current cell; then every row is repainted at once.
        if (after < before) {
            beginRemoveRows(QModelIndex(), after, before - 1);
            rows.resize(static_cast<size_t>(after));
            endRemoveRows();
        } else if (after > before) {
            beginInsertRows(QModelIndex(), before, after - 1);
            rows.resize(static_cast<size_t>(after));
            endInsertRows();
        }
        rows = std::move(newRows);
        if (after > 0 && !captions.isEmpty())
            emit dataChanged(index(0, 0), index(after - 1, static_cast<int>(captions.size()) - 1));
    }

    const TextCell* cell(const QModelIndex& index) const {
        if (!index.isValid() || index.row() >= static_cast<int>(rows.size()))
            return nullptr;
        const TextRow& row = rows[static_cast<size_t>(index.row())];
        return index.column() < static_cast<int>(row.size()) ? &row[static_cast<size_t>(index.column())] : nullptr;
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : static_cast<int>(captions.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const TextCell* c = cell(index);
        if (!c)
            return QVariant();
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::AccessibleTextRole:
            return c->text;
        case Qt::TextAlignmentRole:
            return QVariant(c->number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::BackgroundRole:
            return c->background.isValid() ? QVariant(QBrush(c->background)) : QVariant();
        case Qt::ForegroundRole: {
            if (!c->foreground.isValid() && !c->background.isValid())
                return QVariant();
            const QColor text = c->foreground.isValid() ? c->foreground : grid_.palette().color(QPalette::Text);
            return QBrush(c->background.isValid() ? ReadableTextColour(text, c->background) : text);
        }
        default:
            return QVariant();
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= captions.size())
            return QVariant();
        return captions.at(section);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid())
            return Qt::NoItemFlags;
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (choices.count(index.column()))
            f |= Qt::ItemIsEditable;
        return f;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        const auto it = choices.find(index.column());
        if (role != Qt::EditRole || !cell(index) || it == choices.end())
            return false;
        const int choice = static_cast<int>(it->second.indexOf(value.toString()));
        if (choice < 0 || value.toString() == cell(index)->text || !grid_.onChoice)
            return false;
        const int row = index.row();
        return grid_.guard_.run(&grid_, [this, row, choice] { grid_.onChoice(row, choice); });
    }

private:
    TextGrid& grid_;
};

namespace {

// A drop-down of the column's choices; picking one takes it at once.
class ChoiceDelegate : public QStyledItemDelegate {
public:
    ChoiceDelegate(TextGridModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const auto it = model_.choices.find(index.column());
        if (it == model_.choices.end())
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* combo = new QComboBox(parent);
        combo->setObjectName(QStringLiteral("ChoiceEditor"));
        combo->addItems(it->second);
        auto* self = const_cast<ChoiceDelegate*>(this);
        connect(combo, &QComboBox::activated, self, [self, combo] {
            emit self->commitData(combo);
            emit self->closeEditor(combo);
        });
        return combo;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setCurrentIndex(combo->findText(index.data(Qt::EditRole).toString()));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            model->setData(index, combo->currentText(), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    TextGridModel& model_;
};

} // namespace

TextGrid::TextGrid(HandlerGuard& guard, QWidget* parent)
    : QTableView(parent), guard_(guard), model_(std::make_unique<TextGridModel>(*this)) {
    setModel(model_.get());
    setItemDelegate(new ChoiceDelegate(*model_, this));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::EditKeyPressed);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
}

TextGrid::~TextGrid() {
    // The view lets go of the model before the model goes.
    setModel(nullptr);
}

void TextGrid::setCaptions(const QStringList& captions) {
    model_->setCaptions(captions);
}

QStringList TextGrid::captions() const {
    return model_->captions;
}

void TextGrid::setRows(std::vector<TextRow> rows) {
    model_->setRows(std::move(rows));
}

const std::vector<TextRow>& TextGrid::rows() const {
    return model_->rows;
}

QString TextGrid::text(int row, int column) const {
    const TextCell* c = model_->cell(model_->index(row, column));
    return c ? c->text : QString();
}

void TextGrid::setChoices(int column, const QStringList& choices) {
    model_->choices[column] = choices;
}

QListWidget* MakeLineList(const QString& objectName, QLabel* caption, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setObjectName(objectName);
    list->setAccessibleName(caption->text());
    list->setWordWrap(true);
    list->setAlternatingRowColors(true);
    caption->setBuddy(list);
    return list;
}

void ShowLines(QListWidget* list, const QStringList& lines) {
    bool same = list->count() == lines.size();
    for (int i = 0; same && i < lines.size(); ++i)
        same = list->item(i)->text() == lines.at(i);
    if (same)
        return;
    list->clear();
    list->addItems(lines);
}

void FitColumnsToCaptions(TextGrid& grid) {
    QHeaderView* header = grid.horizontalHeader();
    const QFontMetrics metrics = header->fontMetrics();
    const int least = grid.fontMetrics().horizontalAdvance(QStringLiteral("0000.000"));
    const QStringList captions = grid.captions();
    for (int column = 0; column < captions.size(); ++column) {
        header->setSectionResizeMode(column, QHeaderView::Interactive);
        header->resizeSection(column, std::max(least, metrics.horizontalAdvance(captions.at(column)) + 24));
    }
}

} // namespace solvane
