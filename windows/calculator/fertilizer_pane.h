// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QEvent;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace solvane {

class Database;
class DBGrid;
class Field;
class HandlerGuard;

// The calculator's fertilizer list: "Удобрения:" with the name search, the
// list and the count under it, and beside it the column of buttons. The
// search, the sort by name and the list's hint are the pane's own; what acts
// on the composition or opens another window it asks for by its signals,
// each emitted as a user action through the handler guard's relay.
class FertilizerPane : public QWidget {
    Q_OBJECT
public:
    FertilizerPane(HandlerGuard& guard, Database& data, QWidget* parent);

    // The fertilizer directory's count of listed fertilizers, shown here too.
    void showCount(const QString& count);
    // The search box starts 56 pixels from its strip's left edge and is 65
    // pixels narrower than the strip.
    void applySearchBoxWidth();
    // The fertilizer list ends as the classic fit always left it.
    void leaveListAsBefore();

signals:
    void addRequested();         // ">", and a double click in the list
    void removeRequested();      // "<"
    void clearRequested();       // "X"
    void elementsRequested();    // "E": the element directory
    void fertilizersRequested(); // "U": the fertilizer directory

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildList(QHBoxLayout* layout);
    void buildButtons(QHBoxLayout* layout);
    void wire();
    // Emits one of the pane's requests through the guard's relay.
    void request(void (FertilizerPane::*signal)());
    void searchTextChanged();
    // A click in the list: the hint lists the fertilizer's content.
    void listClicked();
    void headerClicked();

    HandlerGuard& guard_;
    Database& data_;
    QWidget* searchStrip_ = nullptr;
    QLineEdit* searchBox_ = nullptr;
    DBGrid* grid_ = nullptr;
    QLabel* count_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* elementsButton_ = nullptr;
    QPushButton* fertilizersButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    Field* listName_ = nullptr;       // fertilizers.name_udobra
    Field* lineFertilizer_ = nullptr; // composition.id_udobra
    Field* contentName_ = nullptr;    // fertilizerContent.name_element
    Field* contentPercent_ = nullptr; // fertilizerContent.kol_element
};

} // namespace solvane
