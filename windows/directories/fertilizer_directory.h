// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace solvane {

class Database;
class DBGrid;
class DBGridColumn;
class DBNavigator;
class DBRecordCount;
class Splitter;
enum class NavButton;

// The fertilizer directory "Справочник удобрений": the fertilizer list that
// the whole program shares, and each fertilizer's content in percent by mass.
class FertilizerDirectory : public Form {
    Q_OBJECT
public:
    FertilizerDirectory(Database& data, HandlerGuard& guard);
    ~FertilizerDirectory() override;

    // The bar between the list and the content, whose position size.ini keeps.
    Splitter* listSplitter() const { return splitter_; }

    // ---- the user's actions ----
    // Shows the fertilizers whose name contains the search text.
    void searchTextChanged();
    // Sorts the list by name, toggling between descending and ascending.
    void listHeaderClicked();
    // Stores a fertilizer being typed in before its content is worked on.
    void contentClicked();
    void contentNavigatorPressed(NavButton button);
    // "КОНВЕРТЕР"
    void openConverter();
    // The list navigator's delete.
    void deleteFertilizer();

signals:
    // The number of listed fertilizers, as the count labels show it.
    void countChanged(const QString& count);
    // "КОНВЕРТЕР": the converter is to be shown.
    void converterRequested();
    // The window closes: the closing sequence is to run (sizes saved, every
    // data set read again).
    void closing();

protected:
    void FormShow() override;
    void FormResize() override;
    void FormClose() override;

private:
    void buildLayout();
    void splitterMoved();
    void setSearchBoxWidth(int width);

    Database& data_;
    QGroupBox* listGroup_ = nullptr;
    Splitter* splitter_ = nullptr;
    QWidget* searchRow_ = nullptr;
    QLineEdit* searchBox_ = nullptr;
    DBGrid* listGrid_ = nullptr;
    DBGridColumn* nameColumn_ = nullptr;
    DBRecordCount* countLabel_ = nullptr;
    DBNavigator* contentNavigator_ = nullptr;
    DBGrid* contentGrid_ = nullptr;
    QPushButton* converterButton_ = nullptr;
};

} // namespace solvane
